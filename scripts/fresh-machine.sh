#!/usr/bin/env bash
# Checks that the README's set-up commands work where nothing was installed by hand: a
# clean Debian 12 root is made in a temporary folder, the committed tree (no build
# folders, no uncommitted edits) is copied in, and inside it `bash scripts/run.sh` (no
# display, so the command-line report) and then the `linux` preset with its tests are
# run as the README says. Each step's time is printed; the last line counts the steps.
#
# Needs root (debootstrapping, chroot and mounts). The root is always unmounted and
# deleted, also on a failure or Ctrl-C.
#   KELVANE_FRESH_KEEP=1   keeps the root (still unmounted) for a look afterwards.
# Downloaded packages are kept in /var/cache/kelvane-fresh, so a second run downloads
# little.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

suite=bookworm
cache=/var/cache/kelvane-fresh
# A login shell's PATH on Debian; nothing of the caller's environment goes in, least of
# all DISPLAY or WAYLAND_DISPLAY.
chroot_path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-machine.sh: needs root (debootstrap, chroot, mounts)" >&2
    exit 2
fi

workdir=$(mktemp -d -t kelvane-fresh.XXXXXX)
root=$workdir/root
# mktemp's 0700 would keep apt's unprivileged _apt user out of the root's lists and cache.
chmod 755 "$workdir"

# Processes still running inside the root (a daemon a package started, a test left over
# after Ctrl-C) would keep its mounts busy.
kill_root_processes() {
    local p link
    for p in /proc/[0-9]*; do
        link=$(readlink "$p/root" 2>/dev/null) || continue
        if [ "$link" = "$root" ]; then kill -KILL "${p#/proc/}" 2>/dev/null || true; fi
    done
}

mounts_under_root() {
    findmnt -rn -o TARGET | awk -v r="$root" 'index($0, r "/") == 1 || $0 == r' | sort -r
}

cleanup() {
    local status=$? m left
    set +e
    trap - EXIT INT TERM
    if [ -d "$root" ]; then
        kill_root_processes
        # Deepest first, so /dev/pts goes before /dev.
        while read -r m; do
            [ -n "$m" ] && { umount "$m" 2>/dev/null || umount -l "$m"; }
        done < <(mounts_under_root)
        left=$(mounts_under_root)
        if [ -n "$left" ]; then
            # Deleting now would reach through a mount into the host's /dev or /proc.
            echo "fresh-machine.sh: still mounted, $workdir NOT deleted:" >&2
            echo "$left" >&2
            exit 1
        fi
        # After the unmounting, for the same reason as in mount_root.
        save_cache
    fi
    if [ "${KELVANE_FRESH_KEEP:-0}" = 1 ] && [ -d "$root" ]; then
        echo "kept: $root"
    else
        rm -rf --one-file-system "$workdir"
    fi
    if findmnt -rn -o TARGET | grep -qF "$workdir"; then
        echo "fresh-machine.sh: mounts left under $workdir" >&2
        status=1
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- the package source this machine's apt uses -----------------------------------------

# One-line "deb" entries from the deb822 files and sources.list, for the Debian 12 suites
# only (a third-party source of the host has no place on a fresh machine).
host_sources() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk '
            function flush() {
                if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no" && uris != "") {
                    n = split(uris, u, " "); m = split(suites, s, " ")
                    opt = (signed != "" && signed !~ /BEGIN PGP/) ? "[signed-by=" signed "] " : ""
                    for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
                        print "deb " opt u[i] " " s[j] " " comps
                }
                types = uris = suites = comps = signed = enabled = ""
            }
            /^#/ { next }
            /^[ \t]*$/ { flush(); next }
            /^[ \t]/ { next }
            {
                key = tolower($1); sub(/:$/, "", key)
                val = $0; sub(/^[^:]*:[ \t]*/, "", val)
                if (key == "types") types = val
                else if (key == "uris") uris = val
                else if (key == "suites") suites = val
                else if (key == "components") comps = val
                else if (key == "signed-by") signed = val
                else if (key == "enabled") enabled = val
            }
            END { flush() }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        grep -E '^[[:space:]]*deb[[:space:]]' "$f" || true
    done | sed 's/^[[:space:]]*//'
}

mapfile -t sources < <(host_sources | awk -v s="$suite" '
    { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /=/ && $i !~ /\]$/) break
      suite = $(i + 1) }
    suite == s || index(suite, s "-") == 1')
if [ ${#sources[@]} -eq 0 ]; then
    echo "fresh-machine.sh: no $suite source in this machine's apt sources" >&2
    exit 2
fi

# Settings of the host's apt that decide whether its source can be used at all: a frozen
# snapshot mirror has Release files past their Valid-Until, and a proxy may be the only
# way out. Without them the root's apt would refuse what the host's accepts.
mapfile -t aptopts < <(apt-config dump |
    grep -E '^Acquire::(Check-Valid-Until|Check-Date|http::Proxy|https::Proxy|ftp::Proxy) ' |
    sed 's/;$//')

# --- the steps ---------------------------------------------------------------------------

passed=0
failed=0
summary=()

# Runs one step in a subshell with errexit of its own, so a failure ends that step only.
# Never call it as a condition (if, &&, ||): bash then ignores errexit inside the subshell
# as well, and a step would go on past its failures. Its result is in step_ok.
step_ok=0
step() {
    local name=$1 start=$SECONDS result
    shift
    echo "=== $name ==="
    set +e
    (
        set -euo pipefail
        "$@"
    )
    result=$?
    set -e
    if [ "$result" -eq 0 ]; then
        step_ok=1
        passed=$((passed + 1))
        summary+=("$(printf '%-22s passed %6ds' "$name" $((SECONDS - start)))")
    else
        step_ok=0
        failed=$((failed + 1))
        summary+=("$(printf '%-22s FAILED %6ds  (exit status %d)' "$name" $((SECONDS - start)) "$result")")
    fi
}

not_run() {
    failed=$((failed + 1))
    summary+=("$(printf '%-22s not run' "$1")")
}

need_tool() {
    if ! command -v "$1" >/dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$1" ||
            { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$1"; }
    fi
}

bootstrap_mmdebstrap() {
    local args=() o
    for o in "${aptopts[@]}"; do args+=("--aptopt=$o"); done
    mkdir -p "$cache/bootstrap"
    # The essential packages are kept (essential/unlink) and copied out to the cache; the
    # root itself ends with an empty apt cache and no lists, as a fresh install does.
    nice -n 10 mmdebstrap --mode=root --variant=minbase --include=ca-certificates \
        --skip=essential/unlink "${args[@]}" \
        --setup-hook="mkdir -p \"\$1/var/cache/apt/archives\"" \
        --setup-hook="sync-in $cache/bootstrap /var/cache/apt/archives" \
        --customize-hook="sync-out /var/cache/apt/archives $cache/bootstrap" \
        "$suite" "$root" "${sources[@]}"
}

bootstrap_debootstrap() {
    local mirror o
    # debootstrap takes one mirror; the rest of the host's entries go in afterwards.
    mirror=$(printf '%s\n' "${sources[@]}" | awk -v s="$suite" '{ for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { if ($(i + 1) == s) { print $i; exit } } }')
    mkdir -p "$cache/bootstrap"
    rm -rf --one-file-system "$root"
    nice -n 10 debootstrap --variant=minbase --include=ca-certificates \
        --cache-dir="$cache/bootstrap" "$suite" "$root" "$mirror"
    printf '%s\n' "${sources[@]}" >"$root/etc/apt/sources.list"
    for o in "${aptopts[@]}"; do echo "$o;"; done >"$root/etc/apt/apt.conf.d/99kelvane-fresh"
    chroot "$root" apt-get clean
}

bootstrap() {
    mkdir -p "$cache"
    echo "sources:"
    printf '  %s\n' "${sources[@]}"
    need_tool mmdebstrap
    if bootstrap_mmdebstrap; then return 0; fi
    echo "mmdebstrap failed; trying debootstrap" >&2
    mounts_under_root | while read -r m; do umount "$m" || umount -l "$m"; done
    need_tool debootstrap
    bootstrap_debootstrap
}

copy_tree() {
    mkdir -p "$root/root/kelvane"
    # HEAD as committed: what a user gets from the repository, without this work tree's
    # build folders or uncommitted edits, and without git, which the root lacks.
    git -C "$repo" archive --format=tar HEAD | tar -x -C "$root/root/kelvane"
    git -C "$repo" rev-parse --short HEAD
}

# A fresh machine has these from the kernel and its init.
mount_root() {
    # Packages of earlier runs go into the root's apt cache as hard links (copies on
    # another file system); a bind mount would add a mount, and so a drive, of its own.
    # Before the root's own mount: no hard link crosses a mount point.
    mkdir -p "$cache/archives" "$root/var/cache/apt/archives"
    if compgen -G "$cache/archives/*.deb" >/dev/null; then
        cp -l "$cache/archives/"*.deb "$root/var/cache/apt/archives/" 2>/dev/null ||
            cp "$cache/archives/"*.deb "$root/var/cache/apt/archives/"
    fi
    # The root a mount point of its own, as / is on a real machine: Kelvane's drive list
    # reads the mount table, which inside a chroot shows only mounts below its root.
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --rbind /dev "$root/dev"
    # Unmounting the root's /dev/pts must not unmount the host's.
    mount --make-rslave "$root/dev"
    # The host's name service, as a real machine's network set-up would give it.
    [ -s "$root/etc/resolv.conf" ] || cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    [ -s "$root/etc/hosts" ] || printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$root/etc/hosts"
}

# Keeps what apt downloaded inside the root for the next run; apt-get keeps every package
# it fetched in its cache, and only complete ones lie outside partial/.
save_cache() {
    local debs=("$root"/var/cache/apt/archives/*.deb)
    [ -e "${debs[0]}" ] || return 0
    mkdir -p "$cache/archives"
    cp -ln "${debs[@]}" "$cache/archives/" 2>/dev/null || cp -n "${debs[@]}" "$cache/archives/"
}

# Runs a command in the tree inside the root as root's login would: a clean environment.
in_root() {
    nice -n 10 chroot "$root" /usr/bin/env -i HOME=/root PATH="$chroot_path" TERM=dumb \
        /bin/bash -c 'cd /root/kelvane && "$@"' bash "$@"
}

run_sh() {
    local log=$workdir/run.log
    in_root bash scripts/run.sh 2>&1 | tee "$log"
    # The command-line report, not just any exit status 0.
    if ! grep -Eq '^[[:space:]]*CPU[A-Za-z ]*:' "$log"; then
        echo "run.sh printed no CPU line" >&2
        return 1
    fi
}

install_deps() {
    in_root bash scripts/install-deps.sh
}

linux_preset() {
    in_root bash -c 'cmake --preset linux && cmake --build --preset linux && ctest --preset linux'
}

total_start=$SECONDS
# Without a root, or the tree in it, or its mounts, nothing later can run; a failure of a
# later step does not stop the others, so that one fault does not hide the rest.
prepared=0
step bootstrap bootstrap
if [ "$step_ok" -eq 1 ]; then
    step copy-tree copy_tree
    if [ "$step_ok" -eq 1 ]; then
        step mount mount_root
        prepared=$step_ok
    else
        not_run mount
    fi
else
    not_run copy-tree
    not_run mount
fi
if [ "$prepared" -eq 1 ]; then
    step run.sh run_sh
    step install-deps install_deps
    step "linux preset" linux_preset
    # The apt cache is shared with $cache through hard links: counted there.
    echo "disk: root $(du -sxh --exclude="$root/var/cache/apt/archives" "$root" | cut -f1)," \
        "apt cache $(du -sh "$cache" | cut -f1) in $cache"
else
    for s in run.sh install-deps "linux preset"; do not_run "$s"; done
fi

echo "=== summary ==="
printf '%s\n' "${summary[@]}"
echo "total $((SECONDS - total_start))s"
echo "fresh machine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
