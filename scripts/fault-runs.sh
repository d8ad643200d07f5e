#!/usr/bin/env bash
# Runs the benchmarks where they must fail safely: a full disk, a read-only disk, disk runs
# interrupted or killed (CLI, Windows build, Qt dialog) on a file system with and one
# without O_TMPFILE, drives that are no disk, a user who may not write the mount point, a
# memory-limited cgroup, and absurd durations. Each case that this machine cannot set up
# (no root, no loop devices, no cgroup, no vfat tools, no X server) is skipped with its
# reason.
#   scripts/fault-runs.sh [BUILD_DIR]   (default build/linux)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/linux}
case $build in /*) ;; *) build=$PWD/$build ;; esac
cli=$build/app/kelvane-cli
[ -x "$cli" ] || { echo "fault runs: $cli is missing; build first"; exit 1; }

ulimit -c 0  # SIGQUIT ends a run with a core dump otherwise, in the current directory
failures=0 skips=0
work=$(mktemp -d)
mounts=()
cgroups=()
xvfb=""
main_shell=$BASHPID
cleanup() {
  # A subshell killed in the instant after its fork, before it has dropped this trap (the
  # watchdog below), would run it too and take the mounts and files of the runs still going.
  [ "$BASHPID" = "$main_shell" ] || return 0
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  for c in "${cgroups[@]}"; do rmdir "$c" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
skip() { echo "skip $1: $2"; skips=$((skips + 1)); }

# What a run may leave in the directory it writes to: anything but the file system's own.
leftovers() { find "$1" -mindepth 1 -maxdepth 1 ! -name lost+found | wc -l; }

# open_file PID: the benchmark's open file as the kernel names it ("/mnt/#1234 (deleted)"
# for one that never had a name, "/mnt/1234.bin (deleted)" for one unlinked while open,
# "/mnt/1234.bin" for one still named), once the run holds it.
open_file() {
  local link
  for _ in $(seq 1 200); do
    link=$(ls -l "/proc/$1/fd" 2>/dev/null |
      sed -nE 's|.* -> (.*/(#[0-9]+\|[0-9]+\.bin)( \(deleted\))?)$|\1|p' | head -n 1)
    [ -n "$link" ] && { echo "$link"; return 0; }
    sleep 0.05
  done
  return 1
}

# signal_run NAME DIR BEFORE SIGNAL PID: sends SIGNAL to the run PID while it holds its
# file, then checks that DIR holds no more than the BEFORE entries it held before the run.
signal_run() {
  local name=$1 dir=$2 before=$3 signal=$4 pid=$5 file status watchdog
  if ! file=$(open_file "$pid"); then
    fail "$name: the run never opened its file"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return
  fi
  kill -s "$signal" "$pid"
  (trap - EXIT; sleep 60; kill -KILL "$pid" 2>/dev/null) &
  watchdog=$!
  { wait "$pid"; } 2>/dev/null  # no job notice
  status=$?
  kill "$watchdog" 2>/dev/null
  wait "$watchdog" 2>/dev/null
  # A FUSE daemon drops an unlinked file when the kernel's release reaches it, a moment later.
  for _ in $(seq 1 20); do [ "$(leftovers "$dir")" -eq "$before" ] && break; sleep 0.05; done
  local left
  left=$(find "$dir" -mindepth 1 -maxdepth 1 ! -name lost+found -newer "$work/started" -print)
  if [ "$(leftovers "$dir")" -eq "$before" ]; then
    pass "$name, SIG$signal while writing $file: exit $status, nothing left"
  elif [ -n "$named_window" ] && [ "$signal" = KILL ] && [ "$(echo "$left" | wc -l)" -eq 1 ] &&
    [[ $(basename "$left") =~ ^[0-9]+\.bin$ ]] && [ ! -s "$left" ]; then
    # What a named file can leave: SIGKILL between its create and its unlink.
    pass "$name, SIGKILL while writing $file: exit $status, left an empty $(basename "$left") (killed between create and unlink)"
    empty_names=$((empty_names + 1))
    rm -f -- "$left"
  else
    fail "$name, SIG$signal: left $(ls -A "$dir" | tr '\n' ' ')"
  fi
}

# interrupted NAME DIR SIGNAL CMD...: CMD, a disk run writing in DIR, ended by SIGNAL. A
# shell starts background jobs with SIGINT and SIGQUIT ignored; the run gets them back.
named_window="" empty_names=0
interrupted() {
  local name=$1 dir=$2 signal=$3 before
  shift 3
  before=$(leftovers "$dir")
  touch "$work/started"
  env --default-signal=INT,QUIT "$@" >/dev/null 2>&1 &
  signal_run "$name" "$dir" "$before" "$signal" $!
}

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
  prefix=""
  wine_reason=""
  if [ ! -x "$wine_run" ] || [ ! -f "$cli_exe" ]; then
    wine_reason="build/win32 is not built"
  elif ! "$wine_run" "$cli_exe" --version >/dev/null 2>"$work/err"; then
    # Wine runs 32-bit programs only where the kernel runs 32-bit code.
    wine_reason="Wine cannot run it here: $(tail -n 1 "$work/err")"
  fi
  if [ -z "$wine_reason" ]; then
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
    skip "the Windows build on a read-only and a small drive" "$wine_reason"
  fi

  # Interrupted or killed: the file never had a name (ext4 has O_TMPFILE), so nothing can
  # stay, not even after SIGKILL.
  loop_fs roomy 512M
  for signal in INT TERM QUIT HUP USR1 PIPE KILL KILL KILL KILL KILL; do
    interrupted "disk on ext4" "$work/roomy" $signal "$cli" disk --drive "$work/roomy" --duration 20000
  done

  # The drive unmounted (lazily) during a run: later passes made by path would land on the
  # file system under the empty mount point and be counted for the drive. The run holds the
  # directory, checks each pass's file system, and stops with a text that says so.
  loop_fs leaving 512M
  "$cli" disk --drive "$work/leaving" --duration 8000 >"$work/out" 2>"$work/err" &
  run=$!
  sleep 2
  umount -l "$work/leaving"
  wait "$run"
  status=$?
  if [ $status -eq 1 ] && grep -q "went away" "$work/err" && [ "$(leftovers "$work/leaving")" -eq 0 ]; then
    pass "disk, drive unmounted mid-run: exit 1, \"$(tail -n 1 "$work/err")\", nothing under the mount point"
  else
    fail "disk, drive unmounted mid-run: exit $status, $(tail -n 2 "$work/err" | tr '\n' ' '), under the mount point: $(ls -A "$work/leaving" | head -n 3 | tr '\n' ' ')"
  fi

  # A file system without O_TMPFILE (vfat, or ext4 through FUSE's fuse2fs where this kernel
  # has no vfat): the file is made under a free name and unlinked at once, then written
  # through its descriptor. Only a SIGKILL in the microseconds between the two can leave an
  # empty N.bin; every signal that can be caught waits for that window to close. FUSE shows
  # the unlinked open file as .fuse_hidden* until the kernel closes it.
  plain=""
  if command -v mkfs.vfat >/dev/null; then
    truncate -s 400M "$work/plain.img"
    mkfs.vfat -F 32 "$work/plain.img" >/dev/null
    mkdir -p "$work/plain"
    mount -o loop "$work/plain.img" "$work/plain" 2>/dev/null && mounts+=("$work/plain") && plain=vfat
  fi
  if [ -z "$plain" ] && command -v fuse2fs >/dev/null && [ -e /dev/fuse ]; then
    truncate -s 400M "$work/plain.img"
    mkfs.ext4 -q -F "$work/plain.img"
    mkdir -p "$work/plain"
    fuse2fs -o fakeroot "$work/plain.img" "$work/plain" >/dev/null 2>&1 && mounts+=("$work/plain") &&
      plain=fuse2fs
  fi
  if [ -z "$plain" ]; then
    skip "disk on a file system without O_TMPFILE" "neither vfat nor fuse2fs can be mounted here"
  else
    named_window=yes
    for signal in INT TERM QUIT HUP KILL KILL KILL KILL KILL KILL KILL KILL KILL KILL; do
      interrupted "disk on $plain" "$work/plain" $signal "$cli" disk --drive "$work/plain" --duration 20000
    done
    named_window=""
    echo "     (on $plain, $empty_names of 10 SIGKILLs left an empty N.bin)"
  fi

  # The Windows build: delete-on-close is the only delete; the server closes the handles
  # of a killed process, and the file goes with them.
  if [ -n "$prefix" ]; then
    ln -sfn "$work/roomy" "$prefix/dosdevices/r:"
    for signal in TERM KILL; do
      interrupted "Windows build, drive on ext4" "$work/roomy" $signal \
        "$wine_run" "$cli_exe" disk --drive R: --duration 20000
    done
    # Wine reports a drive mapped to /dev/shm as a fixed disk, so only a real RAM disk
    # (GetDriveTypeA DRIVE_RAMDISK) is refused there.
    ln -sfn /dev/shm "$prefix/dosdevices/t:"
    "$wine_run" "$cli_exe" disk --drive T: --duration 500 >"$work/out" 2>"$work/err"
    skip "Windows build, drive mapped to /dev/shm" \
      "Wine gives no way to tell it from a disk (exit $?, $(tr -d '\r' <"$work/out" | tail -n 1))"
    rm -f "$prefix/dosdevices/r:" "$prefix/dosdevices/t:"
    "$wine_run" --stop >/dev/null 2>&1
  else
    skip "the Windows build, interrupted, and a drive mapped to /dev/shm" "$wine_reason"
  fi

  # A user who may not write the root-owned mount point: the run writes in their home on
  # the same file system and says so; without such a place it fails with the system's text.
  loop_fs rootowned 128M
  chmod 755 "$work/rootowned"
  mkdir "$work/rootowned/home"
  chown 65534:65534 "$work/rootowned/home"
  chmod 711 "$work"
  nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups env -u TMPDIR)
  if ! command -v setpriv >/dev/null || ! "${nobody[@]}" test -x "$cli"; then
    skip "disk as an unprivileged user" "user 65534 cannot run $cli here"
  else
    home=$work/rootowned/home
    "${nobody[@]}" HOME="$home" "$cli" disk --drive "$work/rootowned" --duration 500 >"$work/out" 2>"$work/err"
    status=$?
    if [ $status -eq 0 ] && grep -q "written in $home, [0-9]* ms)" "$work/out"; then
      pass "disk as user 65534 on a root-owned mount point: $(cat "$work/out")"
    else
      fail "disk as user 65534: exit $status, $(cat "$work/out" "$work/err" | tail -n 2 | tr '\n' ' ')"
    fi
    "${nobody[@]}" HOME="$home" "$cli" disk --drive "$work/rootowned" --duration 500 --json >"$work/out" 2>/dev/null
    grep -q "\"written_in\":\"$home\"" "$work/out" && pass "disk as user 65534, JSON: written_in $home" ||
      fail "disk as user 65534, JSON: $(cat "$work/out")"
    interrupted "disk as user 65534" "$home" KILL \
      "${nobody[@]}" HOME="$home" "$cli" disk --drive "$work/rootowned" --duration 20000
    [ "$(leftovers "$work/rootowned")" -eq 1 ] && pass "disk as user 65534: the mount point untouched" ||
      fail "disk as user 65534: the mount point holds $(ls -A "$work/rootowned" | tr '\n' ' ')"
    expect_failure "disk as user 65534 with no writable place on that disk" "Permission denied" \
      "${nobody[@]}" HOME=/nonexistent "$cli" disk --drive "$work/rootowned" --duration 500
  fi
fi

# Drives that are no disk, or no directory: refused with a text that names them, exit 1,
# and nothing written.
if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ]; then
  expect_failure "disk --drive /dev/shm" "/dev/shm keeps its data in memory (tmpfs)" \
    "$cli" disk --drive /dev/shm --duration 500
else
  skip "disk --drive /dev/shm" "/dev/shm is not a tmpfs here"
fi
expect_failure "disk --drive /proc" "/proc is a kernel file system (proc)" "$cli" disk --drive /proc --duration 500
echo "notes" >"$work/notes.txt"
cd "$work"
expect_failure "disk --drive ./notes.txt" "./notes.txt is not a directory" "$cli" disk --drive ./notes.txt --duration 500
cd - >/dev/null
[ "$(cat "$work/notes.txt")" = notes ] || fail "disk --drive ./notes.txt: the file was changed"
expect_failure "disk --drive /nonexistent" "/nonexistent does not exist" \
  "$cli" disk --drive /nonexistent --duration 500

# The Qt dialog under Xvfb: its disk Run on the preselected drive, ended by SIGTERM (and
# SIGKILL) while it writes, leaves nothing there.
dialog=$build/app/kelvane
if [ ! -x "$dialog" ]; then
  skip "the Qt dialog, interrupted" "$dialog is not built"
elif ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  skip "the Qt dialog, interrupted" "no Xvfb or xdotool"
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  display=:$(cat "$work/display")
  # The preselected drive is "/"; a user who may not write there writes in $HOME.
  written=/
  [ -w / ] || written=$HOME
  for signal in TERM KILL; do
    before=$(leftovers "$written")
    DISPLAY=$display "$dialog" 5000 >/dev/null 2>&1 &
    pid=$!
    window=$(DISPLAY=$display timeout 30 xdotool search --sync --pid $pid --name '^Kelvane' 2>/dev/null | head -n 1)
    # The focus starts on Close; the disk Run button is five tab stops on.
    [ -n "$window" ] && DISPLAY=$display xdotool key --window "$window" Tab Tab Tab Tab Tab space 2>/dev/null
    signal_run "Qt dialog, disk run in $written" "$written" "$before" $signal $pid
  done
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=""
fi

# memory_cgroup MiB: a new memory cgroup of that limit, without swap, its directory on
# stdout; nothing where this machine has none we may write.
memory_cgroup() {
  local dir
  if [ -w /sys/fs/cgroup/cgroup.subtree_control ] && grep -qw memory /sys/fs/cgroup/cgroup.controllers; then
    dir=/sys/fs/cgroup/kelvane-fault-$$-$1
    mkdir "$dir" && echo $(($1 << 20)) >"$dir/memory.max" && { echo 0 >"$dir/memory.swap.max"; } 2>/dev/null
  elif [ -d /sys/fs/cgroup/memory ] && mkdir /sys/fs/cgroup/memory/kelvane-fault-$$-$1 2>/dev/null; then
    dir=/sys/fs/cgroup/memory/kelvane-fault-$$-$1
    echo $(($1 << 20)) >"$dir/memory.limit_in_bytes"
    { echo $(($1 << 20)) >"$dir/memory.memsw.limit_in_bytes"; } 2>/dev/null || true
  else
    return 1
  fi
  echo "$dir"
}

# The disk runs need a directory on a disk: the scratch directory, or the tree's where that
# is a tmpfs.
disk_dir=$work
case "$(stat -f -c %T "$work")" in tmpfs | ramfs) disk_dir=$PWD ;; esac

# In a memory cgroup of 256 and of 64 MiB (containers, systemd slices) every run sizes its
# blocks and its disk buffer to the room left and is not killed; `all --json` writes its
# whole document.
if [ "$(id -u)" -ne 0 ]; then
  skip "runs in a memory-limited cgroup" "not root"
elif ! memory_cgroup 256 >"$work/cgroup"; then
  skip "runs in a memory-limited cgroup" "no writable memory cgroup"
else
  cgroups+=("$(cat "$work/cgroup")")
  limits="256:${cgroups[-1]}"
  if cgroup64=$(memory_cgroup 64); then
    cgroups+=("$cgroup64")
    limits="$limits 64:$cgroup64"
  fi
  in_cgroup() {  # in_cgroup DIR CMD...: CMD as a member of the cgroup DIR
    local dir=$1
    shift
    sh -c 'echo $$ >"$0/cgroup.procs" && exec "$@"' "$dir" "$@"
  }
  for entry in $limits; do
    limit=${entry%%:*} dir=${entry#*:}
    runs="memory disk"
    [ "$limit" = 64 ] && runs="memory memory memory memory disk"
    for run in $runs; do
      drive=()
      [ "$run" = disk ] && drive=(--drive "$disk_dir")
      in_cgroup "$dir" "$cli" "$run" --duration 500 "${drive[@]}" >"$work/out" 2>"$work/err"
      status=$?
      if [ $status -eq 0 ] && grep -q "B/second" "$work/out"; then
        pass "$run in a $limit MiB cgroup: $(tail -n 1 "$work/out" | cut -c1-90)"
      else
        fail "$run in a $limit MiB cgroup: exit $status (137 is the OOM killer), $(tail -n 2 "$work/err" | tr '\n' ' ')"
      fi
    done
    in_cgroup "$dir" "$cli" all --json --duration 0 --drive "$disk_dir" >"$work/out" 2>"$work/err"
    status=$?
    if [ $status -le 1 ] && python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert len(d["results"]) == 4' "$work/out" 2>/dev/null; then
      pass "all --json in a $limit MiB cgroup: exit $status, a whole document"
    else
      fail "all --json in a $limit MiB cgroup: exit $status, $(tail -c 200 "$work/out"; tail -n 2 "$work/err" | tr '\n' ' ')"
    fi
  done
fi

# Durations: 0 runs every benchmark at its minimum and ends; what is not a whole number of
# milliseconds within the bounds is refused (exit 2) before anything runs.
start=$(date +%s)
timeout 300 "$cli" all --duration 0 --drive "$disk_dir" >"$work/out" 2>"$work/err"
status=$?
if [ $status -eq 0 ]; then
  pass "all --duration 0: ended in $(( $(date +%s) - start )) s"
else
  fail "all --duration 0: exit $status, $(tail -n 2 "$work/err" | tr '\n' ' ')"
fi
for duration in -1 99999999999 3600001 abc; do
  "$cli" all --duration "$duration" >"$work/out" 2>"$work/err"
  status=$?
  if [ $status -eq 2 ] && [ ! -s "$work/out" ]; then
    pass "all --duration $duration: refused, $(head -n 1 "$work/err")"
  else
    fail "all --duration $duration: exit $status"
  fi
done

# Fewer threads than asked for: an address-space limit lets only some stacks be made. The
# run goes on with those and says so, or ends with status 1; never std::terminate (134).
for run in "flops --threads 64" "memory --threads 8"; do
  # shellcheck disable=SC2086
  (ulimit -v 120000 && exec "$cli" $run --duration 0 --quiet) >"$work/out" 2>"$work/err"
  status=$?
  if { [ $status -eq 0 ] && grep -Eq 'threads:|started only' "$work/out"; } || [ $status -eq 1 ]; then
    pass "$run under ulimit -v 120000: exit $status, $(grep -hE 'started only|threads:' "$work/out" "$work/err" | head -n 1 | cut -c1-100)"
  else
    fail "$run under ulimit -v 120000: exit $status, $(tail -n 2 "$work/err" | tr '\n' ' ')"
  fi
done

# Blocks an address-space limit leaves small enough for the cache: the figure says so.
(ulimit -v 120000 && exec "$cli" memory --duration 0 --quiet) >"$work/out" 2>"$work/err"
status=$?
if [ $status -ne 0 ] || grep -q 'cache-sized blocks' "$work/out"; then
  pass "memory under ulimit -v 120000: exit $status, $(head -n 1 "$work/out")"
else
  fail "memory under ulimit -v 120000: measured the cache without saying so: $(head -n 1 "$work/out")"
fi

# SIGTERM on a terminal: the live progress line is erased before the program ends, so the
# shell's prompt does not stand glued to it.
if ! command -v tmux >/dev/null; then
  skip "SIGTERM on a terminal" "no tmux"
else
  session=kelvane-fault-$$
  tmux new-session -d -s "$session" -x 80 -y 6 "bash --norc --noprofile"
  tmux send-keys -t "$session" "$cli flops; echo STATUS=\$?" Enter
  sleep 2
  # SIGTERM, not SIGINT: after a child ended by SIGINT an interactive shell drops the rest
  # of the line, and the status would not be printed.
  pkill -TERM -f "^$cli flops\$"
  sleep 1
  screen=$(tmux capture-pane -p -t "$session")
  tmux kill-session -t "$session"
  if grep -q 'STATUS=143' <<<"$screen" && ! grep -q 'CPU FLOPS:' <<<"$screen"; then
    pass "SIGTERM on a terminal: the progress line erased, status 143"
  else
    fail "SIGTERM on a terminal: the screen reads: $(tr '\n' '|' <<<"$screen")"
  fi
fi

echo "fault runs: $failures failed, $skips skipped"
[ $failures -eq 0 ]
