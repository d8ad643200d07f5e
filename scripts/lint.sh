#!/usr/bin/env bash
# Static analysis of the portable code: clang-tidy with the checked-in .clang-tidy over
# the Linux build's compile commands, and cppcheck. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

[ -f build/linux/compile_commands.json ] || { cmake --preset linux >/dev/null; }
cmake --build --preset linux >/dev/null

# The portable code: everything outside the platform implementations and front-ends.
mapfile -t sources < <(git ls-files ':(glob)text/*.cpp' ':(glob)sysinfo/*.cpp' ':(glob)bench/*.cpp' \
                                     ':(glob)app/*.cpp' ':(glob)app/cli/*.cpp' ':(glob)ui/*.cpp' | sort)
echo "clang-tidy: ${#sources[@]} files"
printf '%s\n' "${sources[@]}" |
  xargs -P "${KELVANE_LINT_JOBS:-2}" -n 4 clang-tidy -p build/linux --quiet 2> >(grep -v 'warnings generated' >&2)

echo "cppcheck: ${#sources[@]} files"
cppcheck --quiet --std=c++17 --language=c++ --enable=warning,performance,portability \
  --inline-suppr --error-exitcode=1 --suppress=missingIncludeSystem \
  -I . "${sources[@]}"
echo "lint: clean"
