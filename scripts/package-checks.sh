#!/usr/bin/env bash
# Builds the packages and checks them as a distribution and a Windows user meet them:
#   the Debian packages kelvane-cli and kelvane: lintian -I --pedantic without a tag that
#   has no override, what each holds and depends on (no Qt for kelvane-cli), the
#   hardening of both programs, two builds giving the same bytes, the desktop entry and
#   the AppStream metadata valid without a hint, the manual pages rendering without a
#   warning and naming every command and option the tool's --help names, the bash
#   completion, and (as root) an install, both programs run, and a purge leaving nothing;
#   the zip: exactly its four files, texts with Windows line ends, a readme naming every
#   command and option, and both programs starting under Wine (the dialog under Xvfb,
#   found on screen and closed).
# Everything it makes stays in build/linux/packages and build/win32/packages.
set -euo pipefail
cd "$(dirname "$0")/.."

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# --- the Debian packages ----------------------------------------------------------------
packages=build/linux/packages
deb_start=$SECONDS
bash scripts/package-deb.sh "$packages"
echo "built in $((SECONDS - deb_start))s"
cli_deb=$(ls "$packages"/kelvane-cli_*.deb)
gui_deb=$(ls "$packages"/kelvane_*.deb)
changes=$(ls "$packages"/kelvane_*.changes)
root=$packages/root
rebuild=$packages/rebuild
installed=0
cleanup() {
    # A failed check must not leave Kelvane installed on this machine.
    if [ "$installed" -eq 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q purge kelvane kelvane-cli >/dev/null 2>&1 || true
    fi
    rm -rf "$root" "$rebuild" build/win32/packages/unpacked
}
trap cleanup EXIT
rm -rf "$root"
dpkg-deb -x "$cli_deb" "$root"
dpkg-deb -x "$gui_deb" "$root"
version=$(dpkg-deb -f "$gui_deb" Version)
upstream=${version%-*}
[ "$(dpkg-deb -f "$cli_deb" Version)" = "$version" ] || fail "kelvane-cli and kelvane differ in version"

echo "--- lintian"
# The .changes brings both packages, their debug symbols and the .buildinfo along. Every
# tag down to info and pedantic fails, unless an override in debian/ gives its reason.
# Lintian also complains about running as root; that line is not about the packages.
lintian_status=0
lintian_out=$(lintian -I --pedantic --fail-on error,warning,info,pedantic "$changes" 2>&1) || lintian_status=$?
lintian_out=$(grep -v 'running with root privileges' <<<"$lintian_out" || true)
if [ "$lintian_status" -eq 0 ] && ! grep -q '^[EWIPX]:' <<<"$lintian_out"; then
    pass "lintian -I --pedantic $(basename "$changes"): no tag${lintian_out:+ ($lintian_out)}"
else
    fail "lintian (status $lintian_status): $lintian_out"
fi

echo "--- contents and relations"
cli_files=(usr/bin/kelvane-cli usr/share/man/man1/kelvane-cli.1.gz
    usr/share/doc/kelvane-cli/copyright usr/share/doc/kelvane-cli/changelog.Debian.gz
    usr/share/bash-completion/completions/kelvane-cli usr/share/zsh/vendor-completions/_kelvane-cli
    usr/share/kelvane/kelvane-cli.schema.json)
gui_files=(usr/bin/kelvane usr/share/man/man1/kelvane.1.gz
    usr/share/doc/kelvane/copyright usr/share/doc/kelvane/changelog.Debian.gz
    usr/share/applications/org.kelvane.kelvane.desktop
    usr/share/metainfo/org.kelvane.kelvane.metainfo.xml)
for size in 48 64 128 256; do gui_files+=("usr/share/icons/hicolor/${size}x$size/apps/kelvane.png"); done
cli_list=$(dpkg-deb -c "$cli_deb" | awk '{print $6}')
gui_list=$(dpkg-deb -c "$gui_deb" | awk '{print $6}')
for path in "${cli_files[@]}"; do grep -qx "\./$path" <<<"$cli_list" || fail "kelvane-cli lacks /$path"; done
for path in "${gui_files[@]}"; do grep -qx "\./$path" <<<"$gui_list" || fail "kelvane lacks /$path"; done
for size in 48 64 128 256; do
    actual=$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x$size/apps/kelvane.png" 2>&1) || true
    [ "$actual" = "${size}x$size" ] || fail "the ${size}x$size icon is $actual"
done
cli_depends=$(dpkg-deb -f "$cli_deb" Depends)
if grep -qi 'qt' <<<"$cli_depends"; then fail "kelvane-cli depends on Qt: $cli_depends"; else pass "kelvane-cli Depends: $cli_depends"; fi
grep -q "kelvane-cli (= $version)" <<<"$(dpkg-deb -f "$gui_deb" Depends)" ||
    fail "kelvane does not depend on kelvane-cli (= $version)"
for deb in "$cli_deb" "$gui_deb"; do
    grep -qw 'pci.ids' <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "$(basename "$deb") does not recommend pci.ids"
done
for package in kelvane kelvane-cli; do
    doc=$root/usr/share/doc/$package
    changelog_version=$(zcat "$doc/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)
    [ "$changelog_version" = "$version" ] ||
        fail "$package's changelog ends at $changelog_version, the package is $version: add an entry"
    # The text after the last "License: MIT" line, unfolded, is LICENSE without its heading.
    cmp -s <(awk '/^License: MIT$/ {text = ""; next} {text = text $0 "\n"} END {printf "%s", text}' \
        "$doc/copyright" | sed 's/^ //; s/^\.$//') <(tail -n +5 LICENSE) ||
        fail "the licence text in $package's copyright file differs from LICENSE"
done
[ "$("$root/usr/bin/kelvane-cli" --version | head -n 1)" = "kelvane-cli $upstream" ] ||
    fail "the packaged kelvane-cli --version is not $upstream"
if xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash tests/packaging/dialog_starts.sh "" "$root/usr/bin/kelvane" "Kelvane $upstream" 0; then
    pass "the packaged kelvane opened its dialog and closed on Escape"
else
    fail "the packaged kelvane"
fi

echo "--- hardening"
# What dpkg-buildflags' hardening=+all gives on this release; control-flow protection
# only counts where it is one of them (dpkg 1.22's "branch").
hardening_options=()
if ! DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --query-features hardening |
    grep -qx 'Feature: branch'; then
    hardening_options+=(--nocfprotection)
fi
for program in kelvane kelvane-cli; do
    if report=$(hardening-check "${hardening_options[@]}" "$root/usr/bin/$program" 2>&1); then
        pass "hardening-check $program: PIE, stack protector, fortify, RELRO, BIND_NOW"
    else
        fail "hardening-check $program: $report"
    fi
done

echo "--- reproducible"
# A second build from another copy: another folder, other file times, another time zone,
# locale and umask. The packages must come out byte for byte the same.
other_locale=C.UTF-8
if locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then other_locale=de_DE.UTF-8; fi
rebuild_start=$SECONDS
if (umask 0002 && TZ=Etc/GMT-14 LC_ALL=$other_locale bash scripts/package-deb.sh "$rebuild") >"$packages/rebuild.log" 2>&1; then
    same=0
    for deb in "$packages"/*.deb; do
        if cmp -s "$deb" "$rebuild/$(basename "$deb")"; then
            same=$((same + 1))
        else
            fail "$(basename "$deb") differs between two builds of the same sources"
        fi
    done
    built=("$packages"/*.deb)
    rebuilt=("$rebuild"/*.deb)
    [ ${#rebuilt[@]} -eq ${#built[@]} ] || fail "the second build made other packages: ${rebuilt[*]}"
    pass "a second build ($((SECONDS - rebuild_start))s) gave $same identical .debs"
else
    fail "the second build failed (see $packages/rebuild.log)"
fi

echo "--- desktop entry and metadata"
desktop=$root/usr/share/applications/org.kelvane.kelvane.desktop
metainfo=$root/usr/share/metainfo/org.kelvane.kelvane.metainfo.xml
desktop_out=$(desktop-file-validate "$desktop" 2>&1) || true
if [ -z "$desktop_out" ]; then pass "desktop-file-validate: clean"; else fail "desktop-file-validate: $desktop_out"; fi
appstream_out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || true
if appstreamcli validate --no-net --strict "$metainfo" >/dev/null 2>&1 &&
    ! grep -q '^[EWI]:' <<<"$appstream_out"; then
    pass "appstreamcli validate: $(tail -n 1 <<<"$appstream_out")"
else
    fail "appstreamcli validate: $appstream_out"
fi
grep -q "<release version=\"$upstream\"" "$metainfo" || fail "the metadata has no release $upstream"
# One name for the dialog everywhere: the metadata's id, the desktop entry's file name
# and what the program tells the desktop it is.
grep -q '<id>org.kelvane.kelvane</id>' "$metainfo" || fail "the metadata's id is not org.kelvane.kelvane"
grep -q '<launchable type="desktop-id">org.kelvane.kelvane.desktop</launchable>' "$metainfo" ||
    fail "the metadata does not launch org.kelvane.kelvane.desktop"
for binary in kelvane kelvane-cli; do
    grep -q "<binary>$binary</binary>" "$metainfo" || fail "the metadata does not provide $binary"
done
grep -q 'setDesktopFileName("org.kelvane.kelvane")' app/qt/qt_main.cpp ||
    fail "the dialog does not name its desktop entry org.kelvane.kelvane"

echo "--- manual pages"
for page in kelvane kelvane-cli; do
    file=$root/usr/share/man/man1/$page.1.gz
    warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null) ||
        warnings="man failed: $warnings"
    [ -z "$warnings" ] || fail "man --warnings $page.1: $warnings"
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$file" 2>/dev/null) || true
    if grep -q "^NAME" <<<"$text" && grep -q "Kelvane $upstream" <<<"$text"; then
        pass "man -l $page.1 renders"
    else
        fail "man -l $page.1 renders no NAME section or not version $upstream"
    fi
    # As "man PAGE" finds it once the package is installed.
    found=$(MANPATH="$PWD/$root/usr/share/man" man -w "$page" 2>/dev/null) || true
    [ "$found" = "$PWD/$file" ] || fail "man -w $page finds '$found', not the packaged page"
done
# Every command and option of --help is documented and completed.
help=$("$root/usr/bin/kelvane-cli" --help)
cli_page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/usr/share/man/man1/kelvane-cli.1.gz" 2>/dev/null) || true
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | awk 'NF && !/:$/ {print $1}')
options=$(grep -o -- '--[a-z-]*' <<<"$help" | sort -u)
if [ -z "$commands" ] || [ -z "$options" ]; then fail "kelvane-cli --help lists no commands or options"; fi
# shellcheck source=/dev/null
source "$root/usr/share/bash-completion/completions/kelvane-cli"
completions() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kelvane_cli
    printf ' %s ' "${COMPREPLY[@]}"
}
all_commands=$(completions kelvane-cli "")
all_options=$(completions kelvane-cli --)
zsh_completion=$root/usr/share/zsh/vendor-completions/_kelvane-cli
for command in $commands; do
    grep -q "^       $command " <<<"$cli_page" || fail "kelvane-cli.1 does not describe the command $command"
    [[ $all_commands == *" $command "* ]] || fail "the bash completion does not offer the command $command"
    grep -q "^ *$command\\\\:" "$zsh_completion" || fail "the zsh completion does not offer the command $command"
done
for option in $options; do
    grep -q -- "$option" <<<"$cli_page" || fail "kelvane-cli.1 does not describe $option"
    [[ $all_options == *" $option "* ]] || fail "the bash completion does not offer $option"
    grep -q -- "$option" "$zsh_completion" || fail "the zsh completion does not offer $option"
done
bash tests/packaging/bash_completion_test.sh "$root/usr/share/bash-completion/completions/kelvane-cli" ||
    fail "bash completion"
zsh -n "$zsh_completion" || fail "the zsh completion does not parse"

echo "--- install and purge"
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing a package needs root"
elif dpkg-query -W -f='${Status}\n' kelvane kelvane-cli 2>/dev/null | grep -qv 'not-installed'; then
    fail "Kelvane is installed on this machine already; the purge would remove it"
else
    # Without the recommended pci.ids: the purge is then to leave the machine as it was.
    apt=(apt-get -o DPkg::Lock::Timeout=600 -y -q --no-install-recommends)
    installed=1
    if (cd "$packages" && DEBIAN_FRONTEND=noninteractive "${apt[@]}" install \
        "./$(basename "$cli_deb")" "./$(basename "$gui_deb")") >"$packages/install.log" 2>&1; then
        pass "apt-get install ./$(basename "$cli_deb") ./$(basename "$gui_deb")"
    else
        fail "apt-get install: $(tail -n 5 "$packages/install.log")"
    fi
    owned=$(dpkg-query -L kelvane kelvane-cli 2>/dev/null | grep -v '^/\.$' | sort -u) || true
    if info=$(kelvane-cli info 2>&1) && grep -q '^ *CPU' <<<"$info"; then
        pass "kelvane-cli info: $(grep -m 1 '^ *CPU' <<<"$info" | tr -s ' ')"
    else
        fail "the installed kelvane-cli info: $info"
    fi
    gui_version=$(env -u DISPLAY -u WAYLAND_DISPLAY kelvane --version 2>&1) || true
    [ "$gui_version" = "kelvane $upstream" ] || fail "the installed kelvane --version printed '$gui_version'"
    if DEBIAN_FRONTEND=noninteractive "${apt[@]}" purge kelvane kelvane-cli >>"$packages/install.log" 2>&1; then
        installed=0
        pass "apt-get purge kelvane kelvane-cli"
    else
        fail "apt-get purge: $(tail -n 5 "$packages/install.log")"
    fi
    left=()
    while read -r path; do
        if [ -z "$path" ] || [ ! -e "$path" ]; then continue; fi
        # A folder another package also holds (/usr/share/man/man1 and the like) stays.
        if [ -d "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then continue; fi
        left+=("$path")
    done <<<"$owned"
    for path in /usr/share/doc/kelvane*; do [ -e "$path" ] && left+=("$path"); done
    if dpkg-query -W kelvane kelvane-cli >/dev/null 2>&1; then left+=("dpkg still knows the packages"); fi
    if [ -z "$owned" ]; then
        fail "dpkg listed no files of the installed packages"
    elif [ ${#left[@]} -eq 0 ]; then
        pass "the purge left none of the $(wc -l <<<"$owned") paths the packages held"
    else
        fail "left after the purge: ${left[*]}"
    fi
fi

# --- the zip ----------------------------------------------------------------------------
bash scripts/package-win32.sh
zip=build/win32/packages/Kelvane-$upstream-win32.zip
[ -f "$zip" ] || fail "no $zip"
listed=$(unzip -Z1 "$zip" | sort | paste -sd' ' -)
[ "$listed" = "Kelvane.exe LICENSE.txt README.txt kelvane-cli.exe" ] ||
    fail "the zip holds '$listed'"
unpacked=build/win32/packages/unpacked
rm -rf "$unpacked"
unzip -q "$zip" -d "$unpacked"
for text in README.txt LICENSE.txt; do
    # Every line ends in CR LF: no LF without its CR.
    if [ "$(grep -c $'\r$' "$unpacked/$text")" != "$(wc -l <"$unpacked/$text")" ]; then
        fail "$text has lines without a CR LF end"
    fi
done
cmp -s <(tr -d '\r' <"$unpacked/LICENSE.txt") LICENSE || fail "LICENSE.txt differs from LICENSE"
# The readme is all a Windows user has: it names every command and option --help names.
readme=$(tr -d '\r' <"$unpacked/README.txt")
for command in $commands; do
    grep -qE "^ +$command +[^ ]" <<<"$readme" || fail "README.txt does not describe the command $command"
done
for option in $options; do
    grep -q -- "$option" <<<"$readme" || fail "README.txt does not describe $option"
done
# kelvane-cli.exe's version record, as Explorer's properties show it (UTF-16 texts).
cli_strings=$(strings -el "$unpacked/kelvane-cli.exe")
for value in "Kelvane command line" "$(sed -n 's/^#define KELVANE_VERSION_QUAD "\(.*\)"$/\1/p' res/version.h)"; do
    grep -qx -- "$value" <<<"$cli_strings" || fail "kelvane-cli.exe has no version record with '$value'"
done

echo "--- the zip's programs under Wine"
wine_run=build/win32/wine-run.sh
if ! "$wine_run" --version >/dev/null 2>&1; then
    # A kernel without 32-bit emulation starts no 32-bit Wine, whatever the program.
    echo "skipped: this machine runs no 32-bit Wine ($("$wine_run" --version 2>&1 | tail -n 1))"
else
    "$wine_run" --start
    cli_version=$("$wine_run" "$unpacked/kelvane-cli.exe" --version | tr -d '\r' | head -n 1) || true
    if [ "$cli_version" = "kelvane-cli $upstream" ]; then
        pass "kelvane-cli.exe --version: $cli_version"
    else
        fail "kelvane-cli.exe --version printed '$cli_version'"
    fi
    # The driver and helper of the Windows dialog test, with its time-outs: the zip's
    # program opens its dialog with every control and field, shows About and ends on
    # Escape; what the driver and Wine said is printed either way.
    if KELVANE_E2E_NO_RUN=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
        sh tests/e2e/run_win32_dialog_e2e.sh "$wine_run" build/win32/tests/e2e/win32_dialog_e2e.exe \
        "$unpacked/Kelvane.exe" build/win32/packages/screenshots; then
        pass "Kelvane.exe opened its dialog and closed on Escape"
    else
        fail "Kelvane.exe: its dialog did not open or close as it should (above)"
    fi
    "$wine_run" --stop || true
fi

echo "--- files"
for deb in "$cli_deb" "$gui_deb"; do
    echo "$(basename "$deb"):"
    dpkg-deb -c "$deb" | awk '{print "  " $6}'
done
unzip -l "$zip"
if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks: all passed"
