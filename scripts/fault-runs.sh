#!/usr/bin/env bash
# Runs the benchmarks where they must fail safely: a full disk, a read-only disk, an
# interrupted disk run, a memory-limited cgroup, and absurd durations. Each case that this
# machine cannot set up (no root, no loop devices, no cgroup) is skipped with its reason.
#   scripts/fault-runs.sh [BUILD_DIR]   (default build/linux)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/linux}
cli=$PWD/$build/app/kelvane-cli
[ -x "$cli" ] || { echo "fault runs: $cli is missing; build first"; exit 1; }

failures=0 skips=0
work=$(mktemp -d)
mounts=()
cgroups=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  for c in "${cgroups[@]}"; do rmdir "$c" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
skip() { echo "skip $1: $2"; skips=$((skips + 1)); }

# The benchmark's temporary files are numbered .bin files in the directory it writes to.
leftovers() { find "$1" -maxdepth 1 -name '*.bin' | wc -l; }

can_loop_mount() {
  [ "$(id -u)" -eq 0 ] || { echo "not root"; return 1; }
  command -v mkfs.ext4 >/dev/null || { echo "no mkfs.ext4"; return 1; }
  [ -e /dev/loop-control ] || { echo "no loop devices"; return 1; }
  truncate -s 8M "$work/probe.img" && mkfs.ext4 -q -F "$work/probe.img" 2>/dev/null &&
    mkdir -p "$work/probe" && mount -o loop "$work/probe.img" "$work/probe" 2>/dev/null ||
    { echo "loop mount refused here"; rm -f "$work/probe.img"; return 1; }
  umount "$work/probe"; rm -f "$work/probe.img"
}

# loop_fs NAME SIZE [ro]: an ext4 file system of SIZE mounted at $work/NAME.
loop_fs() {
  local name=$1 size=$2 options=${3:-rw}
  truncate -s "$size" "$work/$name.img"
  mkfs.ext4 -q -F -m 0 "$work/$name.img"
  mkdir -p "$work/$name"
  mount -o "loop,$options" "$work/$name.img" "$work/$name"
  mounts+=("$work/$name")
  chmod 1777 "$work/$name" 2>/dev/null || true
}

# expect_failure NAME TEXT CMD...: exit status 1, TEXT on stderr.
expect_failure() {
  local name=$1 text=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  if [ $status -eq 1 ] && grep -qi -- "$text" "$work/err"; then
    pass "$name: exit 1, \"$(tail -n 1 "$work/err")\""
  else
    fail "$name: exit $status, stderr: $(tail -n 3 "$work/err" | tr '\n' ' ')"
  fi
}

reason=$(can_loop_mount)
if [ -n "$reason" ] || ! can_loop_mount >/dev/null; then
  skip "disk on a full, a read-only and an interrupted file system" "${reason:-cannot mount}"
else
  # Less than 32 MiB free: the disk-full text, nothing left behind.
  loop_fs small 24M
  expect_failure "disk, 24 MiB file system" "No space left on device" \
    "$cli" disk --drive "$work/small" --duration 500
  [ "$(leftovers "$work/small")" -eq 0 ] && pass "disk, 24 MiB: no temporary file left" ||
    fail "disk, 24 MiB: temporary files left: $(ls "$work/small")"

  # Room for the check, not for the passes: the write fails with the disk-full text.
  loop_fs filling 40M
  "$cli" disk --drive "$work/filling" --duration 4000 >"$work/out" 2>"$work/err"
  status=$?
  if [ $status -eq 0 ] || grep -qi "No space left on device" "$work/err"; then
    pass "disk, 40 MiB file system: exit $status, $(tail -n 1 "$work/err" "$work/out" | grep -v '^==' | grep . | tail -n 1)"
  else
    fail "disk, 40 MiB file system: exit $status, $(tail -n 2 "$work/err" | tr '\n' ' ')"
  fi
  [ "$(leftovers "$work/filling")" -eq 0 ] && pass "disk, 40 MiB: no temporary file left" ||
    fail "disk, 40 MiB: temporary files left"

  # Read-only: the system's own text for it.
  loop_fs readonly 64M ro
  expect_failure "disk, read-only file system" "Read-only file system" \
    "$cli" disk --drive "$work/readonly" --duration 500

  # The Windows build on the same file systems, as Wine drives R: (read-only) and S: (small).
  wine_run=$PWD/build/win32/wine-run.sh
  cli_exe=$PWD/build/win32/app/kelvane-cli.exe
  if [ -x "$wine_run" ] && [ -f "$cli_exe" ]; then
    prefix=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$wine_run")
    "$wine_run" wineboot -i >/dev/null 2>&1
    ln -sfn "$work/readonly" "$prefix/dosdevices/r:"
    ln -sfn "$work/small" "$prefix/dosdevices/s:"
    expect_failure "Windows build, read-only drive" "protect\|denied" \
      "$wine_run" "$cli_exe" disk --drive R: --duration 500
    expect_failure "Windows build, 24 MiB drive" "space\\|full" \
      "$wine_run" "$cli_exe" disk --drive S: --duration 500
    [ "$(leftovers "$work/small")" -eq 0 ] && pass "Windows build, 24 MiB: no temporary file left" ||
      fail "Windows build, 24 MiB: temporary files left"
    rm -f "$prefix/dosdevices/r:" "$prefix/dosdevices/s:"
    "$wine_run" --stop >/dev/null 2>&1
  else
    skip "the Windows build on a read-only and a small drive" "build/win32 is not built"
  fi

  # Interrupted: the temporary file goes with the process.
  loop_fs roomy 512M
  for signal in INT TERM; do
    "$cli" disk --drive "$work/roomy" --duration 20000 >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 200); do [ "$(leftovers "$work/roomy")" -gt 0 ] && break; sleep 0.05; done
    if [ "$(leftovers "$work/roomy")" -eq 0 ]; then
      fail "disk, SIG$signal: the run never created its file"
      kill -KILL $pid 2>/dev/null
      continue
    fi
    kill -s "$signal" $pid
    wait $pid
    status=$?
    if [ "$(leftovers "$work/roomy")" -eq 0 ]; then
      pass "disk, SIG$signal during the run: exit $status, nothing left"
    else
      fail "disk, SIG$signal: left $(ls "$work/roomy")"
    fi
  done
fi

# Memory in a cgroup of 256 MiB: the run sizes itself to the limit and is not killed.
cgroup_dir=""
if [ "$(id -u)" -ne 0 ]; then
  skip "memory in a limited cgroup" "not root"
elif [ -w /sys/fs/cgroup/cgroup.subtree_control ] && grep -qw memory /sys/fs/cgroup/cgroup.controllers; then
  cgroup_dir=/sys/fs/cgroup/kelvane-fault-$$
  mkdir "$cgroup_dir" && echo $((256 << 20)) >"$cgroup_dir/memory.max" && echo 0 >"$cgroup_dir/memory.swap.max" 2>/dev/null
elif [ -d /sys/fs/cgroup/memory ] && mkdir /sys/fs/cgroup/memory/kelvane-fault-$$ 2>/dev/null; then
  cgroup_dir=/sys/fs/cgroup/memory/kelvane-fault-$$
  echo $((256 << 20)) >"$cgroup_dir/memory.limit_in_bytes"
  echo $((256 << 20)) >"$cgroup_dir/memory.memsw.limit_in_bytes" 2>/dev/null || true
else
  skip "memory in a limited cgroup" "no writable memory cgroup"
fi
if [ -n "$cgroup_dir" ]; then
  cgroups+=("$cgroup_dir")
  sh -c "echo \$\$ >'$cgroup_dir/cgroup.procs' && exec '$cli' memory --duration 500" >"$work/out" 2>"$work/err"
  status=$?
  if [ $status -eq 0 ] && grep -q "B/second" "$work/out"; then
    pass "memory in a 256 MiB cgroup: $(tail -n 1 "$work/out")"
  else
    fail "memory in a 256 MiB cgroup: exit $status (137 is the OOM killer), $(tail -n 2 "$work/err" | tr '\n' ' ')"
  fi
fi

# Absurd durations: every benchmark still ends. -1 keeps the default, 0 runs the minimum,
# 99999999999 wraps in the parser and is cut to an hour (shown, not run).
for duration in -1 0; do
  start=$(date +%s)
  timeout 300 "$cli" all --duration "$duration" --drive "$work" >"$work/out" 2>"$work/err"
  status=$?
  if [ $status -eq 0 ]; then
    pass "all --duration $duration: ended in $(( $(date +%s) - start )) s"
  else
    fail "all --duration $duration: exit $status, $(tail -n 2 "$work/err" | tr '\n' ' ')"
  fi
done
"$cli" cpu --duration 99999999999 --json >"$work/out" 2>"$work/err"
if grep -q '"duration_ms": *3600000' "$work/out"; then
  pass "--duration 99999999999: bounded to 3600000 ms"
else
  fail "--duration 99999999999: $(head -c 300 "$work/out")"
fi

echo "fault runs: $failures failed, $skips skipped"
[ $failures -eq 0 ]
