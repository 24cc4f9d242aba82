#!/usr/bin/env bash
# Builds the demo game and plays it: in a window when a display is available, else headless for a few
# seconds of game time, printing what the script did and leaving a screenshot.
set -euo pipefail
build=${1:-build}
"$build/ruvotool" build examples/demo -o "$build/demo"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec "$build/ruvoplay" "$build/demo"
fi
"$build/ruvoplay" --headless --frames 600 --trace "$build/demo-trace.txt" --dump-vars "$build/demo-vars.txt" \
  --screenshot "$build/demo.png" "$build/demo"
echo "No display: played 600 frames headless."
echo "Commands run (first lines of $build/demo-trace.txt):"
head -n 12 "$build/demo-trace.txt" | sed 's/^/  /'
echo "Variables at the end ($build/demo-vars.txt):"
sed 's/^/  /' "$build/demo-vars.txt"
echo "Screenshot: $build/demo.png"
