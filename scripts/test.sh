#!/usr/bin/env bash
# Installs what is missing, then builds and tests the four presets in turn:
# linux, linux-asan, win32 (the Windows build under Wine, its dialog under Xvfb), win64
# (the same sources as a 64-bit program: on a kernel without 32-bit emulation the win32
# tests are skipped, and these still run the Windows code under Wine); then the packages
# (the .deb and the Windows zip, built and checked), the fault runs, static analysis and a
# bounded fuzzing run (KELVANE_FUZZ_SECONDS per target, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

for preset in linux linux-asan win32 win64; do
  echo "=== $preset ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  if [ "$preset" = win32 ] || [ "$preset" = win64 ]; then
    # Wine's GUI tests need an X display; the rest do not mind one.
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset "$preset"
  else
    ctest --preset "$preset"
  fi
done
echo "=== packages ==="
bash scripts/package-checks.sh
echo "=== fault runs ==="
bash scripts/fault-runs.sh
echo "=== static analysis ==="
bash scripts/lint.sh
echo "=== fuzzing ==="
bash scripts/fuzz.sh
echo "=== all tests passed ==="
