#!/usr/bin/env bash
# Takes the screenshots in docs/: the launcher's three boxes and the magnet question, shown by the
# x86_64 Tarnbeck.exe under Wine on an Xvfb display and grabbed from the screen. Builds the win64
# preset first; uses a prefix of its own, so a CTest run can go on beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2

harness=(python3 tests/wine/wine_harness.py --bin build/win64/bin --helpers build/win64/tests/wine/bin
         --fixtures tests/wine/fixtures --work build/win64/wine-screenshots)
trap '"${harness[@]}" cleanup' EXIT
"${harness[@]}" setup
"${harness[@]}" screenshots docs
