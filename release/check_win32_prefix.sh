#!/usr/bin/env bash
# check_win32_prefix.sh PREFIX BIN SCRIPT: the 32-bit build on 32-bit Windows, in a win32
# prefix of its own. The 32-bit build's registration test (BIN/com_server_test.exe)
# registers it, checks every entry and leaves it registered; the 32-bit cscript then runs
# the VBScript suite SCRIPT against the object it creates by ProgID (from CORVASTEL_PROGID).
set -uo pipefail
prefix=$1 bin=$2 script=Z:$3
scripts=$(dirname "$0")/../scripts
"$scripts/wine-prefix.sh" up "$prefix" win32 || exit 1
trap '"$scripts/wine-prefix.sh" down "$prefix"' EXIT
run() { "$scripts/run-under-wine.sh" "$prefix" x86 "$@"; }
run "$bin/com_server_test.exe" &&
  run cscript.exe //nologo "$script" "$CORVASTEL_PROGID" &&
  run regsvr32.exe /u /s "Z:${bin//\//\\}\\Corvastel.dll"
