#!/usr/bin/env bash
# Installs what is missing, builds and tests the 32-bit and the 64-bit build under the
# host's Wine (Debian 12's Wine 8), runs both builds' tests again under Debian 13's Wine 10
# (extracted into build/wine10, nothing on the host changed), then makes the release from
# both and tests it as users get it, under Wine 8. 32-bit programs run natively, or under
# emulation where the CPU runs none; where neither can be had (or with CORVASTEL_NO_32BIT=1)
# the tests that need them are listed as not run (with-32bit.sh).
set -euo pipefail
extra_packages=(mmdebstrap)
. "$(dirname "$0")/lib.sh"
enter_checkout scripts/test.sh "$@"
wine10=$PWD/build/wine10
# Each run starts from new Wine prefixes, as a fresh clone does, so that nothing an
# interrupted run left registered or installed counts; an interrupt stops their programs.
prefixes=(build/wineprefix build/wineprefix32)
# wine10_prefix up|down|remove: the prefix the tests use under Wine 10, once its root is there.
wine10_prefix() { [ ! -f "$wine10/.corvastel-made" ] || CORVASTEL_WINE_ROOT=$wine10 scripts/wine-prefix.sh "$1" build/wineprefix; }
for prefix in "${prefixes[@]}"; do scripts/wine-prefix.sh remove "$prefix"; done
wine10_prefix remove
at_exit 'for prefix in "${prefixes[@]}"; do scripts/wine-prefix.sh down "$prefix"; done; wine10_prefix down'
status=0
for arch in x86 x64; do
  echo "=== $arch, under Wine 8 (the host's)"
  cmake --workflow --preset "$arch" || status=1
done
echo "=== Debian 13's Wine 10, extracted into build/wine10 unless it is there (a minute)"
if scripts/wine-root.sh "$wine10"; then
  for arch in x86 x64; do
    echo "=== $arch, under Wine 10"
    CORVASTEL_WINE_ROOT=$wine10 ctest --preset "$arch" || status=1
  done
else
  status=1
fi
scripts/setup.sh --actionlint build/actionlint || status=1
echo "=== the release, under Wine 8: both builds side by side, registration-free, the installers,"
echo "    signing, and last the commit built again in another folder and compared (a minute or two without output)"
cmake -S release -B build/release -G Ninja >/dev/null &&
  cmake --build build/release &&
  ctest --test-dir build/release --output-on-failure || status=1
exit $status
