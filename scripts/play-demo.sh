#!/usr/bin/env bash
# Plays the demo game: in a window when a display is available, else headless with a screenshot.
set -euo pipefail
build=${1:-build}
"$build/ruvoplay" --version
if [[ -d examples/demo && -x "$build/ruvotool" ]] && "$build/ruvotool" 2>&1 | grep -q '^  build '; then
  "$build/ruvotool" build examples/demo -o "$build/demo"
  if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec "$build/ruvoplay" "$build/demo"
  fi
  exec "$build/ruvoplay" --headless --screenshot "$build/demo.png" "$build/demo"
fi
echo "The demo game needs the game builder and the interpreter, which are not built yet."
