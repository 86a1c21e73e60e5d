#!/usr/bin/env bash
# check_win32_prefix.sh PREFIX DLL SCRIPT: the 32-bit build on 32-bit Windows, in a win32
# prefix of its own. The 32-bit regsvr32 writes exactly the entries below, the 32-bit
# cscript runs the VBScript suite SCRIPT against the object it creates by ProgID, and
# unregistering leaves no Corvastel key behind. The identities come from the environment
# (CORVASTEL_CLSID, _IID, _LIBID, _PROGID, _VERSION).
set -uo pipefail
prefix=$1 script=Z:$3
dll="Z:${2//\//\\}"
scripts=$(dirname "$0")/../scripts
"$scripts/wine-prefix.sh" up "$prefix" win32 || exit 1
trap '"$scripts/wine-prefix.sh" down "$prefix"' EXIT
run() { "$scripts/run-under-wine.sh" "$prefix" x86 "$@"; }

classes="HKEY_CLASSES_ROOT\CLSID\\$CORVASTEL_CLSID"
progid="HKEY_CLASSES_ROOT\\$CORVASTEL_PROGID"
interface="HKEY_CLASSES_ROOT\Interface\\$CORVASTEL_IID"
typelib="HKEY_CLASSES_ROOT\TypeLib\\$CORVASTEL_LIBID\\$CORVASTEL_VERSION"
entries() {
  for key in "$classes" "$progid" "$interface" "${typelib%\\*}"; do
    run reg.exe query "$key" /s 2>/dev/null
  done | tr -d '\r' | sed -e '/^$/d' -e '/^reg:/d' -e 's/^ *//' -e 's/  */ /g'
}
expected="$classes
(Default) REG_SZ $CORVASTEL_PROGID
$classes\\InprocServer32
(Default) REG_SZ $dll
ThreadingModel REG_SZ Apartment
$classes\\ProgID
(Default) REG_SZ $CORVASTEL_PROGID
$classes\\TypeLib
(Default) REG_SZ $CORVASTEL_LIBID
$progid
(Default) REG_SZ $CORVASTEL_PROGID
$progid\\CLSID
(Default) REG_SZ $CORVASTEL_CLSID
$interface
(Default) REG_SZ _clsRegistry
$interface\\ProxyStubClsid
(Default) REG_SZ {00020424-0000-0000-C000-000000000046}
$interface\\ProxyStubClsid32
(Default) REG_SZ {00020424-0000-0000-C000-000000000046}
$interface\\TypeLib
(Default) REG_SZ $CORVASTEL_LIBID
Version REG_SZ $CORVASTEL_VERSION
$typelib
(Default) REG_SZ Corvastel
$typelib\\0
$typelib\\0\\win32
(Default) REG_SZ $dll
$typelib\\FLAGS
(Default) REG_SZ 8
$typelib\\HELPDIR
(Default) REG_SZ ${dll%\\*}"

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
run regsvr32.exe /s "$dll" || fail "regsvr32 /s"
diff <(echo "$expected") <(entries) || fail "the registered entries differ (< expected, > found)"
run cscript.exe //nologo "$script" "$CORVASTEL_PROGID" || fail "the VBScript suite"
run regsvr32.exe /u /s "$dll" || fail "regsvr32 /u /s"
left=$(entries)
[ -z "$left" ] || fail "unregistering left: $left"
echo "$failures problems"
[ "$failures" -eq 0 ]
