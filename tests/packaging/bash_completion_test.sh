#!/usr/bin/env bash
# The bash completion of kelvane-cli, driven as bash drives it: COMP_WORDS and
# COMP_CWORD set, the function called, COMPREPLY compared.
#   bash_completion_test.sh COMPLETION_FILE
set -uo pipefail
# shellcheck source=/dev/null
source "$1"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home dir" "$work/hold" "$work/media"
touch "$work/hold.txt"

failures=0
# expect "WANTED REPLIES (sorted, space-separated)" WORD...; the last word is the one completed.
expect() {
    local wanted=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kelvane_cli
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd' ' -)
    if [ "$got" != "$wanted" ]; then
        echo "FAIL: '${COMP_WORDS[*]}': wanted '$wanted', got '$got'"
        failures=$((failures + 1))
    fi
}

expect "all bench cpu cpuid disk flops help info memory" kelvane-cli ""
expect "disk" kelvane-cli di
expect "--cpuid --drive --duration --help --json --quiet --repeat --sysroot --threads --version" kelvane-cli --
expect "--cpuid --help --json --sysroot" kelvane-cli info ""
expect "--duration --help --json --quiet --repeat" kelvane-cli cpu ""
expect "--drive --duration --help --json --quiet --repeat" kelvane-cli disk --
expect "--drive --duration --help --json --quiet --threads" kelvane-cli bench ""
expect "disk" kelvane-cli help d
# A command after options; options already given are not offered again.
expect "--drive --duration --help --quiet --repeat" kelvane-cli --json disk ""
expect "--drive --help --json --quiet --repeat --threads" kelvane-cli all --duration 500 ""
expect "" kelvane-cli disk --duration ""
# --drive completes directories only, with a blank in a name kept whole, in both spellings.
expect "$work/hold $work/home dir" kelvane-cli disk --drive "$work/ho"
expect "$work/hold $work/home dir" kelvane-cli disk --drive = "$work/ho"
expect "$work/media" kelvane-cli disk --drive "$work/m"
expect "--drive=$work/hold --drive=$work/home dir" kelvane-cli disk "--drive=$work/ho"

if [ "$failures" -ne 0 ]; then
    echo "$failures bash completion case(s) failed"
    exit 1
fi
echo "bash completion: all cases passed"
