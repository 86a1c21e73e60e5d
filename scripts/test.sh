#!/usr/bin/env bash
# Installs what is missing, then builds and tests the 32-bit and the 64-bit build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
status=0
for arch in x86 x64; do
  echo "=== $arch"
  cmake --workflow --preset "$arch" || status=1
done
exit $status
