#!/bin/sh
# Exit statuses and streams of kelvane-cli: cli_exit_status.sh RUNNER PROGRAM
# RUNNER is empty natively and the Wine wrapper for the Windows build.
runner=$1
cli=$2
if [ -n "$runner" ]; then "$runner" --check || exit $?; fi
failed=0
out=$(mktemp) err=$(mktemp) dump=$(mktemp) tree=$(mktemp -d)
trap 'rm -rf "$out" "$err" "$dump" "$tree"' EXIT

check() { # expected-status expected-stdout-pattern expected-stderr-pattern args...
  want=$1 outpat=$2 errpat=$3
  shift 3
  $runner "$cli" "$@" >"$out" 2>"$err"
  got=$?
  tr -d '\r' <"$out" >"$out.n" && mv "$out.n" "$out"
  tr -d '\r' <"$err" >"$err.n" && mv "$err.n" "$err"
  if [ "$got" != "$want" ]; then
    echo "FAIL: kelvane-cli $*: status $got, expected $want"; failed=1
  fi
  if [ -n "$outpat" ] && ! grep -Eq "$outpat" "$out"; then
    echo "FAIL: kelvane-cli $*: stdout does not match '$outpat':"; cat "$out"; failed=1
  fi
  if [ -n "$errpat" ] && ! grep -Eq "$errpat" "$err"; then
    echo "FAIL: kelvane-cli $*: stderr does not match '$errpat':"; cat "$err"; failed=1
  fi
  if [ "$want" = 2 ] && [ -s "$out" ]; then
    echo "FAIL: kelvane-cli $*: a usage error wrote to stdout"; failed=1
  fi
}

check 0 '^kelvane-cli 0\.4$' '' --version
check 0 '^JSON schema version 1$' '' -V
check 0 '^Usage: kelvane-cli' '' --help
check 0 '^Usage: kelvane-cli disk' '' help disk
check 0 '^Usage: kelvane-cli memory' '' memory --help
check 2 '' "^Try 'kelvane-cli --help'\.$" frobnicate
check 2 '' "unknown option '--frobnicate'" --frobnicate
check 2 '' 'duration needs a value' cpu --duration
check 2 '' 'no command' 
check 2 '' "whole number of milliseconds from 0 to 3600000, not 'abc'" cpu --duration abc
check 2 '' "not '1e4'" flops --duration 1e4
check 2 '' "not '5s'" memory --duration 5s
check 2 '' "not '-5'" all --duration=-5
check 2 '' "sysroot '/nonexistent/machine': not a directory" info --sysroot /nonexistent/machine
check 2 '' 'sysroot does not apply to cpu' cpu --sysroot /
check 2 '' 'sysroot needs a value' info --sysroot
if [ -n "$runner" ]; then
  # Windows reads no machine tree.
  check 2 '' 'this system reads no machine tree' info --sysroot .
else
  check 0 '"online_processor_count":[1-9]' '' info --json --sysroot /
  # A tree's CPUID dump is read as its other files are: a FIFO is no file (it blocked once),
  # and a link out of the tree is not followed.
  mkfifo "$tree/cpuid.txt"
  runner="timeout 30" check 0 '"online_processor_count"' '' info --json --sysroot "$tree"
  rm "$tree/cpuid.txt" && ln -s "$dump" "$tree/cpuid.txt"
  check 0 '' "warning: the tree's /cpuid.txt: a link that leads outside the tree" \
    info --sysroot "$tree"
fi
# A CPUID dump that is none: the file and line at fault, status 2, nothing on stdout.
check 0 '^CPUID 00000000: [0-9A-F]{8}-[0-9A-F]{8}-' '' cpuid
printf 'CPUID 00000000: 0000000D-756E6547-6C65746E-49656E69\nCPUID 00000001: 000306C3\n' >"$dump"
check 2 '' ':2: not a CPUID line$' info --cpuid "$dump"
printf 'CPUID\000\001' >"$dump"
check 2 '' ': a binary file, not a CPUID dump$' info --json --cpuid "$dump"
check 2 '' 'cpuid does not apply to cpu' cpu --cpuid "$dump"
# A usage error is one line and the hint, never the whole help.
$runner "$cli" frobnicate 2>"$err" >/dev/null
[ "$(tr -d '\r' <"$err" | wc -l)" = 2 ] || { echo "FAIL: a usage error wrote more than two lines"; cat "$err"; failed=1; }
# A full disk or a stream that takes no writes is an error, not an empty success.
if [ -w /dev/full ] && [ -z "$runner" ]; then
  "$cli" info --json >/dev/full 2>"$err"; got=$?
  [ "$got" = 1 ] && grep -qx 'kelvane-cli: write error: No space left on device' "$err" ||
    { echo "FAIL: info --json >/dev/full: status $got, $(cat "$err")"; failed=1; }
fi
$runner "$cli" info --json 1<"$out" 2>"$err"; got=$?
[ "$got" = 1 ] && grep -q 'write error' "$err" ||
  { echo "FAIL: info --json to a stream open for reading: status $got, $(cat "$err")"; failed=1; }
# A reader that goes away: no word of it, as head's users expect.
$runner "$cli" info 2>"$err" | head -n 1 >/dev/null
[ -s "$err" ] && { echo "FAIL: a closed pipe gave: $(cat "$err")"; failed=1; }
[ $failed = 0 ] && echo "all exit-status checks passed"
exit $failed
