#!/usr/bin/env bash
# Static checks of the product code (launcher/, exitprobe/, platform/): cppcheck with the warning,
# portability and performance checks, once as the 64-bit host build sees the code and once as the
# 32-bit Windows build does; and clang-tidy with the checks chosen in .clang-tidy, over the host
# build's compile commands and, for platform/win32, with clang aimed at the MinGW target. Fails on
# any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
jobs=2

echo "== cppcheck (host, 64-bit)"
cppcheck --enable=warning,portability,performance --std=c++17 --language=c++ --platform=unix64 \
  --error-exitcode=1 --inline-suppr --quiet -j"$jobs" \
  -Iplatform -Iplatform/host -Ilauncher -Ilauncher/core -Ilauncher/magnet -Iexitprobe \
  launcher exitprobe platform/host || status=1

echo "== cppcheck (Windows, 32-bit)"
cppcheck --enable=warning,portability,performance --std=c++17 --language=c++ --platform=win32A \
  --error-exitcode=1 --inline-suppr --quiet -j"$jobs" \
  -Iplatform -Iplatform/win32 -Ilauncher -Ilauncher/core -Ilauncher/magnet -Iexitprobe \
  launcher exitprobe platform/win32 || status=1

echo "== clang-tidy (host)"
# A compile database of the host build, made with clang so every flag is one clang-tidy knows.
cmake -S . -B build/static -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# One file per run: clang-tidy 14 carries analyzer state from one file to the next and then reports
# va_list uses it made up.
for file in launcher/*.cpp launcher/core/*.cpp launcher/magnet/*.cpp exitprobe/*.cpp platform/host/*.cpp; do
  clang-tidy -p build/static --quiet "$file" 2>/dev/null || { echo "   in $file"; status=1; }
done

echo "== clang-tidy (platform/win32, MinGW i686)"
for file in platform/win32/*.cpp; do
  clang-tidy --quiet "$file" -- --target=i686-w64-mingw32 -std=c++17 -fno-exceptions -fno-rtti \
    -Iplatform -Iplatform/win32 2>/dev/null || { echo "   in $file"; status=1; }
done

if [ $status -eq 0 ]; then
  echo "static checks: clean"
fi
exit $status
