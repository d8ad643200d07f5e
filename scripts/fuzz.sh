#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time: first over its kept
# regression inputs, then from its seed corpus. A crash fails the run; libFuzzer writes
# the input into tests/fuzz/regressions/<target>/, where it stays as a regression case.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60; KELVANE_FUZZ_JOBS targets at once)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${KELVANE_FUZZ_SECONDS:-60}}
jobs=${KELVANE_FUZZ_JOBS:-2}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_one() {
  local target=$1 seconds=$2 work=$3
  local exe=build/fuzz/tests/fuzz/$target
  local kept=tests/fuzz/regressions/$target
  mkdir -p "$kept" "$work/$target"
  if compgen -G "$kept/*" >/dev/null; then
    "$exe" -runs=0 "$kept"/* >"$work/$target.replay.log" 2>&1 ||
      { echo "FAIL $target: a kept regression input fails"; tail -30 "$work/$target.replay.log"; return 1; }
  fi
  # New inputs go to the scratch corpus, never into the tree.
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
       -artifact_prefix="$kept/" "$work/$target" "tests/fuzz/corpus/$target" \
       >"$work/$target.log" 2>&1; then
    echo "ok   $target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target.log" | grep -o '[0-9]*$') runs in ${seconds} s"
  else
    echo "FAIL $target: input kept in $kept/"
    grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$work/$target.log" | head -20
    return 1
  fi
}
export -f run_one

targets=$(ls build/fuzz/tests/fuzz | grep '^fuzz_' | sort)
status=0
printf '%s\n' $targets | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$work" || status=1
exit $status
