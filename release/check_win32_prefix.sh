#!/usr/bin/env bash
# check_win32_prefix.sh PREFIX BIN SCRIPT MSI: the 32-bit build on 32-bit Windows, in a
# win32 prefix of its own. The 32-bit build's registration tests (BIN/registration_test.exe)
# register it, check every entry and leave it registered; the 32-bit cscript then runs
# the VBScript suite SCRIPT against the object it creates by ProgID (from CORVASTEL_PROGID),
# which passes when it prints CORVASTEL_SCRIPT_SUITE_PASSED. Then the same suite passes
# with the x86 MSI installed silently instead, and the uninstall takes its class away.
set -uo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
bin=$2 script=Z:$3 msi=Z:$4
use_prefix "$1" win32 || exit 1
run x86 "$bin/registration_test.exe" && suite_passes x86 "$script" &&
  run x86 regsvr32.exe /u /s "Z:${bin//\//\\}\\Corvastel.dll" &&
  run x86 msiexec.exe /i "$msi" /qn && suite_passes x86 "$script" && run x86 msiexec.exe /x "$msi" /qn &&
  ! run x86 reg.exe query "HKCR\\CLSID\\$CORVASTEL_CLSID" >/dev/null 2>&1
