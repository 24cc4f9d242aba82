#!/usr/bin/env bash
# Runs every test of a build through ctest. Window tests need a display: without one they run on a
# virtual one (decided here, after make deps may have installed xvfb).
#   scripts/run-tests.sh BUILD JOBS
set -euo pipefail
build=${1:?usage: scripts/run-tests.sh BUILD JOBS}
jobs=${2:-2}
cd "$build"
export UBSAN_OPTIONS=print_stacktrace=1
if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs"
fi
exec ctest --output-on-failure -j "$jobs"
