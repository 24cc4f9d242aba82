#!/usr/bin/env bash
# Builds the demo game and plays it: in a window when a display is available, else headless for a few
# seconds of game time, printing what the script did and leaving a screenshot.
set -euo pipefail
build=${1:-build}
"$build/ruvotool" build examples/demo -o "$build/demo"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "Playing in a window: move the pointer over the boxes, click them, move the yellow one with the"
  echo "arrow keys; \"next\" or Enter goes on to the story, whose message windows and menus are not built"
  echo "yet (add --trace - to watch the script). Close the window or press 終了 to end."
  exec "$build/ruvoplay" "$build/demo"
fi
printf '30 move 100 100\n40 click 100 100\n60 key 39\n' > "$build/demo-input.txt"
"$build/ruvoplay" --headless --frames 600 --input "$build/demo-input.txt" --trace "$build/demo-trace.txt" \
  --dump-vars "$build/demo-vars.txt" --dump-objects "$build/demo-objects.txt" --screenshot "$build/demo.png" "$build/demo"
echo "No display: played 600 frames headless."
echo "Commands run (first lines of $build/demo-trace.txt; game clock in hex ms : page(source line)):"
head -n 12 "$build/demo-trace.txt" | sed 's/^/  /'
echo "Variables at the end ($build/demo-vars.txt):"
sed 's/^/  /' "$build/demo-vars.txt"
echo "Objects at the end: $build/demo-objects.txt"
echo "Screenshot: $build/demo.png"
