#!/usr/bin/env bash
# Installs what is missing, builds and tests the 32-bit and the 64-bit build, then makes
# the release from both and tests it as users get it. On a host that runs no 32-bit
# programs (or with CORVASTEL_NO_32BIT=1) the tests that need one are listed as not run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if ! scripts/host-runs-32bit.sh; then
  echo "=== this host runs no 32-bit programs: the 32-bit build's tests under Wine, the 32-bit" \
       "prefix and the installer are skipped; its binaries and type library are still checked"
fi
status=0
for arch in x86 x64; do
  echo "=== $arch"
  cmake --workflow --preset "$arch" || status=1
done
echo "=== the release: both builds side by side, registration-free, the installers, signing, a second build"
cmake -S release -B build/release -G Ninja >/dev/null &&
  cmake --build build/release &&
  ctest --test-dir build/release --output-on-failure || status=1
exit $status
