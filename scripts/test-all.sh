#!/usr/bin/env bash
# Builds every preset and runs every test: host unit and end-to-end tests (real OpenJDK 17), the same
# under AddressSanitizer and UBSan, the x86_64 Windows build under Wine, the i686 deliverables'
# inspection, cppcheck and clang-tidy, and a bounded run of each fuzz target. Installs what it needs
# first.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-machine.sh

jobs=$(nproc)
for preset in host host-asan win32 win64 fuzz; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done

status=0
for preset in host host-asan win64; do
  echo "== test $preset"
  ctest --preset "$preset" -j"$jobs" || status=1
done

if [ -x scripts/static-checks.sh ]; then
  echo "== static checks"
  ./scripts/static-checks.sh || status=1
fi

if [ -x scripts/fuzz-all.sh ]; then
  echo "== fuzz (bounded)"
  ./scripts/fuzz-all.sh --seconds "${FUZZ_SECONDS:-50}" || status=1
fi
exit $status
