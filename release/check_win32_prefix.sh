#!/usr/bin/env bash
# check_win32_prefix.sh PREFIX BIN SCRIPT MSI: the 32-bit build on 32-bit Windows, in a
# win32 prefix of its own. The 32-bit build's registration tests (in BIN/automation_test.exe)
# register it, check every entry and leave it registered; the 32-bit cscript then runs
# the VBScript suite SCRIPT against the object it creates by ProgID (from CORVASTEL_PROGID),
# which passes when it prints CORVASTEL_SCRIPT_SUITE_PASSED. Then the same suite passes
# with the x86 MSI installed silently instead, and the uninstall takes its class away.
set -uo pipefail
prefix=$1 bin=$2 script=Z:$3 msi=Z:$4
scripts=$(dirname "$0")/../scripts
"$scripts/wine-prefix.sh" up "$prefix" win32 || exit 1
trap '"$scripts/wine-prefix.sh" down "$prefix"' EXIT
run() { "$scripts/run-under-wine.sh" "$prefix" x86 "$@"; }
suite() { run cscript.exe //nologo "$script" "$CORVASTEL_PROGID" | grep -E "$CORVASTEL_SCRIPT_SUITE_PASSED"; }
run "$bin/automation_test.exe" --gtest_filter=Registration.* && suite && run regsvr32.exe /u /s "Z:${bin//\//\\}\\Corvastel.dll" &&
  run msiexec.exe /i "$msi" /qn && suite && run msiexec.exe /x "$msi" /qn &&
  ! run reg.exe query "HKCR\\CLSID\\$CORVASTEL_CLSID" >/dev/null 2>&1
