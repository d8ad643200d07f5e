#!/bin/sh
# A CPUID dump read back describes what was dumped: info --cpuid on this processor's dump
# says what info says of the processor, and every dump of the test data, written again by
# cpuid --cpuid, reads as the dump did. cpuid_round_trip.sh RUNNER PROGRAM CPUID_DATA_DIR
runner=$1
cli=$2
data=$3
if [ -n "$runner" ]; then "$runner" --check || exit $?; fi
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The info document without its time stamp.
info() { $runner "$cli" info --json "$@" | tr -d '\r' | sed 's/"time":"[^"]*",//'; }
same() { # what, file, file
  if ! cmp -s "$2" "$3"; then
    echo "FAIL: $1"; diff "$2" "$3" | head -20; failed=1
  fi
}

$runner "$cli" cpuid >"$work/processor.txt" || { echo "FAIL: cpuid: status $?"; exit 1; }
info >"$work/processor.json"
info --cpuid "$work/processor.txt" >"$work/from-dump.json"
same "info --cpuid of this processor's dump differs from info" "$work/processor.json" "$work/from-dump.json"

for dump in "$data"/*.txt; do
  name=$(basename "$dump")
  if ! $runner "$cli" cpuid --cpuid "$dump" >"$work/$name"; then
    echo "FAIL: cpuid --cpuid $name: status $?"; failed=1; continue
  fi
  info --cpuid "$dump" >"$work/table.json"
  info --cpuid "$work/$name" >"$work/text.json"
  same "$name, written again by cpuid, reads otherwise" "$work/table.json" "$work/text.json"
done
[ $failed = 0 ] && echo "every CPUID round trip agrees"
exit $failed
