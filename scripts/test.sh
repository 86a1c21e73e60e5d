#!/usr/bin/env bash
# Installs what is missing, builds and tests the 32-bit and the 64-bit build, then makes
# the release from both and tests it as users get it. 32-bit programs run natively, or
# under emulation where the CPU runs none; where neither can be had (or with
# CORVASTEL_NO_32BIT=1) the tests that need them are listed as not run (with-32bit.sh).
set -euo pipefail
. "$(dirname "$0")/lib.sh"
enter_checkout scripts/test.sh "$@"
# Each run starts from new Wine prefixes, as a fresh clone does, so that nothing an
# interrupted run left registered or installed counts; an interrupt stops their programs.
prefixes=(build/wineprefix build/wineprefix32)
for prefix in "${prefixes[@]}"; do scripts/wine-prefix.sh remove "$prefix"; done
at_exit 'for prefix in "${prefixes[@]}"; do scripts/wine-prefix.sh down "$prefix"; done'
status=0
for arch in x86 x64; do
  echo "=== $arch"
  cmake --workflow --preset "$arch" || status=1
done
echo "=== the release: both builds side by side, registration-free, the installers, signing, and"
echo "    last the commit built again in another folder and compared (a minute or two without output)"
cmake -S release -B build/release -G Ninja >/dev/null &&
  cmake --build build/release &&
  ctest --test-dir build/release --output-on-failure || status=1
exit $status
