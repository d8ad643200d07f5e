#!/usr/bin/env bash
# Builds both packages and checks them as a distribution and a Windows user meet them:
#   the .deb: lintian without error or warning, the desktop entry and the AppStream
#   metadata valid without a hint, the manual pages rendering without a warning and
#   naming every command and option the tool's --help names, the bash completion;
#   the zip: exactly its four files, texts with Windows line ends, and both programs
#   starting under Wine (the dialog under Xvfb, found on screen and closed).
# Everything it makes stays in build/linux/packages and build/win32/packages.
set -euo pipefail
cd "$(dirname "$0")/.."

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# --- the .deb ---------------------------------------------------------------------------
bash scripts/package-deb.sh
deb=$(ls build/linux/packages/kelvane_*.deb)
root=build/linux/packages/root
rm -rf "$root"
trap 'rm -rf "$root" build/win32/packages/unpacked' EXIT
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}

echo "--- lintian $(basename "$deb")"
# Lintian warns when run as root; that line is not about the package.
lintian_out=$(lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges' || true)
if lintian --fail-on error,warning "$deb" >/dev/null 2>&1 && ! grep -q '^[EW]:' <<<"$lintian_out"; then
    pass "lintian: no error, no warning${lintian_out:+ ($lintian_out)}"
else
    fail "lintian: $lintian_out"
fi

echo "--- contents"
for path in usr/bin/kelvane usr/bin/kelvane-cli \
    usr/share/man/man1/kelvane.1.gz usr/share/man/man1/kelvane-cli.1.gz \
    usr/share/doc/kelvane/copyright usr/share/doc/kelvane/changelog.Debian.gz \
    usr/share/applications/kelvane.desktop usr/share/icons/hicolor/256x256/apps/kelvane.png \
    usr/share/metainfo/org.kelvane.kelvane.metainfo.xml \
    usr/share/bash-completion/completions/kelvane-cli usr/share/kelvane/kelvane-cli.schema.json \
    usr/share/zsh/vendor-completions/_kelvane-cli; do
    [ -f "$root/$path" ] || fail "the package lacks /$path"
done
[ "$("$root/usr/bin/kelvane-cli" --version | head -n 1)" = "kelvane-cli $upstream" ] ||
    fail "the packaged kelvane-cli --version is not $upstream"
if xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash tests/packaging/dialog_starts.sh "" "$root/usr/bin/kelvane" "Kelvane $upstream" 0; then
    pass "the packaged kelvane opened its dialog and closed on Escape"
else
    fail "the packaged kelvane"
fi
changelog_version=$(zcat "$root/usr/share/doc/kelvane/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)
[ "$changelog_version" = "$version" ] ||
    fail "the changelog's last entry is $changelog_version, the package $version: add an entry"
# The text after the last "License: MIT" line, unfolded, is LICENSE without its heading.
cmp -s <(awk '/^License: MIT$/ {text = ""; next} {text = text $0 "\n"} END {printf "%s", text}' \
    "$root/usr/share/doc/kelvane/copyright" | sed 's/^ //; s/^\.$//') <(tail -n +5 LICENSE) ||
    fail "the licence text in the copyright file differs from LICENSE"

echo "--- desktop entry and metadata"
desktop_out=$(desktop-file-validate "$root/usr/share/applications/kelvane.desktop" 2>&1) || true
if [ -z "$desktop_out" ]; then pass "desktop-file-validate: clean"; else fail "desktop-file-validate: $desktop_out"; fi
metainfo=$root/usr/share/metainfo/org.kelvane.kelvane.metainfo.xml
appstream_out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || true
if appstreamcli validate --no-net --strict "$metainfo" >/dev/null 2>&1 &&
    ! grep -q '^[EWI]:' <<<"$appstream_out"; then
    pass "appstreamcli validate: $(tail -n 1 <<<"$appstream_out")"
else
    fail "appstreamcli validate: $appstream_out"
fi
grep -q "<release version=\"$upstream\"" "$metainfo" || fail "the metadata has no release $upstream"

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
dpkg-deb -c "$deb" | awk '{print $6}'
unzip -l "$zip"
if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks: all passed"
