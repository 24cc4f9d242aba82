#!/usr/bin/env bash
# Times the player's start-up in a real window against a bare SDL start in the same run: the player
# opens a game whose archive holds 50 MB and stops after its first presented frame (--frames 1).
# Usage: bench/startup/run.sh [BUILD_DIR] [RUNS]; runs under Xvfb when there is no display.
set -euo pipefail
build=${1:-build}
runs=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
work="$build/startup-bench"
mkdir -p "$work/src"

if [[ -z "${DISPLAY:-}" && -z "${RUVO_IN_XVFB:-}" ]]; then
  exec env RUVO_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

cc -O2 -o "$work/sdl_bare" "$here/sdl_bare.c" $(pkg-config --cflags --libs sdl2)

# A game with 50 MB of data that does not compress (stored raw, as pictures and sounds are).
if [[ ! -f "$work/game/game.dat" ]]; then
  printf 'title = "start-up"\nscreen = 640, 480\nstart = "main.rsb"\n' > "$work/src/project.rvp"
  printf 'Wait\n' > "$work/src/main.rvs"
  mkdir -p "$work/src/data"
  for i in $(seq 1 50); do head -c 1048576 /dev/urandom > "$work/src/data/blob$i.bin"; done
  "$build/ruvotool" build "$work/src" -o "$work/game" > /dev/null
fi

time_ms() {  # average wall time of a command over $runs runs, in ms
  local start end
  start=$(date +%s%N)
  for _ in $(seq 1 "$runs"); do "$@" > /dev/null 2>&1; done
  end=$(date +%s%N)
  echo $(( (end - start) / runs / 1000000 ))
}

"$work/sdl_bare"; "$build/ruvoplay" --window --frames 1 "$work/game"  # warm the caches
init=$(time_ms "$work/sdl_bare" init)
bare=$(time_ms "$work/sdl_bare")
headless=$(time_ms "$build/ruvoplay" --headless --frames 1 "$work/game")
player=$(time_ms "$build/ruvoplay" --window --frames 1 "$work/game")
echo "bare SDL video start:            ${init} ms"
echo "bare SDL start, window, present: ${bare} ms"
echo "ruvoplay headless, 1 frame:      ${headless} ms   (data, project, script: no window)"
echo "ruvoplay window, 1 frame:        ${player} ms"
if (( bare > 0 )); then
  echo "ratio: $(( player * 100 / bare ))% of the bare start (target: at most 300%)"
fi
