#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit demo and runs it under Wine in the
# project's private prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset x86 >/dev/null
cmake --build --preset x86 --target demo
prefix=build/wineprefix
scripts/wine-prefix.sh up "$prefix"
trap 'scripts/wine-prefix.sh down "$prefix"' EXIT
echo
WINEPREFIX=$(realpath "$prefix") WINEDEBUG=-all LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 wine build/x86/examples/demo.exe
