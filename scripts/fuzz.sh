#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build (make fuzz), one after the other, each for a set time.
#   scripts/fuzz.sh BUILD SECONDS [TARGET...]   fuzz each target; new inputs go to BUILD/corpus/NAME,
#                                               crashes to BUILD/crashes/
#   scripts/fuzz.sh --check BUILD SECONDS       the CI check: each target from its seeds only, two at
#                                               a time, nothing kept
# Seeds are read from fuzz/corpus/NAME/; a target ends the run at its first crash, leak or timeout.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
check=0
if [[ "${1:-}" == "--check" ]]; then check=1; shift; fi
build=${1:?usage: scripts/fuzz.sh [--check] BUILD SECONDS [TARGET...]}
seconds=${2:?usage: scripts/fuzz.sh [--check] BUILD SECONDS [TARGET...]}
shift 2
targets=("$@")
if ((${#targets[@]} == 0)); then
  for program in "$build"/fuzz_*; do [[ -x "$program" ]] && targets+=("$(basename "$program" | sed 's/^fuzz_//')"); done
fi
if ((${#targets[@]} == 0)); then echo "no fuzz targets in $build" >&2; exit 1; fi
mkdir -p "$build/crashes"

run() {  # NAME CORPUS-DIRS...
  local name=$1; shift
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1
                 -artifact_prefix="$build/crashes/$name-")
  [[ -f "$here/fuzz/$name.dict" ]] && options+=(-dict="$here/fuzz/$name.dict")
  mkdir -p "$here/fuzz/corpus/$name"
  "$build/fuzz_$name" "${options[@]}" "$@" "$here/fuzz/corpus/$name"
}

if ((check)); then
  # Two at a time, each in a throw-away corpus folder; the log of a target is shown when it fails.
  logs=$(mktemp -d)
  trap 'rm -rf "$logs"' EXIT
  status=0
  for name in "${targets[@]}"; do
    ( mkdir -p "$logs/$name.corpus"
      if run "$name" "$logs/$name.corpus" >"$logs/$name.log" 2>&1; then
        echo "fuzz_$name: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$logs/$name.log" | grep -o '[0-9]*$') runs, no crash"
      else
        echo "fuzz_$name: FAILED"; tail -n 60 "$logs/$name.log"; exit 1
      fi ) &
    if (( $(jobs -rp | wc -l) >= 2 )); then wait -n || status=1; fi
  done
  while (( $(jobs -rp | wc -l) > 0 )); do wait -n || status=1; done
  exit $status
fi

for name in "${targets[@]}"; do
  echo "== fuzz_$name for $seconds s"
  mkdir -p "$build/corpus/$name"
  run "$name" "$build/corpus/$name"
done
