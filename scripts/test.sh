#!/usr/bin/env bash
# Installs what is missing, builds and tests the 32-bit and the 64-bit build, then tests
# both registered side by side in one prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
status=0
for arch in x86 x64; do
  echo "=== $arch"
  cmake --workflow --preset "$arch" || status=1
done
echo "=== x86 and x64 side by side"
cmake -S tests/side_by_side -B build/side-by-side -G Ninja >/dev/null &&
  ctest --test-dir build/side-by-side --output-on-failure || status=1
exit $status
