#!/usr/bin/env bash
# check_win32_prefix.sh PREFIX DLL SCRIPT: the 32-bit build on 32-bit Windows, in a win32
# prefix of its own. The 32-bit regsvr32 writes exactly the entries below, the 32-bit
# cscript runs the VBScript suite SCRIPT against the object it creates by ProgID, and
# unregistering leaves no Corvastel key behind.
set -uo pipefail
prefix=$1 script=Z:$3
dll="Z:${2//\//\\}"
scripts=$(dirname "$0")/../scripts
"$scripts/wine-prefix.sh" up "$prefix" win32 || exit 1
trap '"$scripts/wine-prefix.sh" down "$prefix"' EXIT
run() { "$scripts/run-under-wine.sh" "$prefix" x86 "$@"; }

classes='HKEY_CLASSES_ROOT\CLSID\{6A7247F0-7113-4F01-B29C-00B6AA268166}'
progid='HKEY_CLASSES_ROOT\Corvastel.clsRegistry'
interface='HKEY_CLASSES_ROOT\Interface\{46A34E6F-0AA7-48F3-8E8D-4A8CBB236904}'
typelib='HKEY_CLASSES_ROOT\TypeLib\{E0F7AAE7-5561-4C3F-BD2E-CEA943F921DE}'
entries() {
  for key in "$classes" "$progid" "$interface" "$typelib"; do
    run reg.exe query "$key" /s 2>/dev/null
  done | tr -d '\r' | sed -e '/^$/d' -e '/^reg:/d' -e 's/^ *//' -e 's/  */ /g'
}
expected="$classes
(Default) REG_SZ Corvastel.clsRegistry
$classes\\InprocServer32
(Default) REG_SZ $dll
ThreadingModel REG_SZ Apartment
$classes\\ProgID
(Default) REG_SZ Corvastel.clsRegistry
$classes\\TypeLib
(Default) REG_SZ {E0F7AAE7-5561-4C3F-BD2E-CEA943F921DE}
$progid
(Default) REG_SZ Corvastel.clsRegistry
$progid\\CLSID
(Default) REG_SZ {6A7247F0-7113-4F01-B29C-00B6AA268166}
$interface
(Default) REG_SZ _clsRegistry
$interface\\ProxyStubClsid
(Default) REG_SZ {00020424-0000-0000-C000-000000000046}
$interface\\ProxyStubClsid32
(Default) REG_SZ {00020424-0000-0000-C000-000000000046}
$interface\\TypeLib
(Default) REG_SZ {E0F7AAE7-5561-4C3F-BD2E-CEA943F921DE}
Version REG_SZ 2.0
$typelib\\2.0
(Default) REG_SZ Corvastel
$typelib\\2.0\\0
$typelib\\2.0\\0\\win32
(Default) REG_SZ $dll
$typelib\\2.0\\FLAGS
(Default) REG_SZ 8
$typelib\\2.0\\HELPDIR
(Default) REG_SZ ${dll%\\*}"

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
run regsvr32.exe /s "$dll" || fail "regsvr32 /s"
diff <(echo "$expected") <(entries) || fail "the registered entries differ (< expected, > found)"
run cscript.exe //nologo "$script" || fail "the VBScript suite"
run regsvr32.exe /u /s "$dll" || fail "regsvr32 /u /s"
left=$(entries)
[ -z "$left" ] || fail "unregistering left: $left"
echo "$failures problems"
[ "$failures" -eq 0 ]
