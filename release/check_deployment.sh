#!/usr/bin/env bash
# check_deployment.sh PREFIX DIST SCRIPT: the x64 MSI as administrators deploy it, in a
# 64-bit prefix, and RegisterCorvastel /check on what it and regsvr32 leave.
#  1. A silent install: hosts of each bitness create the object by ProgID (the VBScript
#     suite SCRIPT), /check finds every kind of host served, and the Add/Remove Programs
#     entry has what the installers write.
#  2. A silent uninstall leaves none of our keys in either view, and no folder.
#  3. regsvr32 of each build, installed in the same place, writes exactly the entries the
#     MSI wrote, key by key (on a host without 32-bit programs: the 64-bit view's).
#  4. The x64 RegisterCorvastel.exe given the x86 DLL says which build's to use.
#  5. /check fails, and says why, for a half registration.
# The identities come from the environment (CORVASTEL_CLSID, _IID, _LIBID, _PROGID, _VERSION),
# and CORVASTEL_SCRIPT_SUITE_PASSED: what the suite prints when it passed.
set -uo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
prefix=$1 dist=$2 script=Z:$3
folder="$prefix/drive_c/Program Files/Corvastel" windows_folder='C:\Program Files\Corvastel'
msi="Z:$dist/Corvastel-$CORVASTEL_VERSION-x64.msi"
product_code=$(msi_property "$dist/Corvastel-$CORVASTEL_VERSION-x64.msi" ProductCode)
runs32=true
"$scripts/host-runs-32bit.sh" || runs32=false

# Our keys in both views, as reg.exe exports them.
entries() {
  for view in 'Software\Classes' 'Software\Wow6432Node\Classes'; do
    for key in "CLSID\\$CORVASTEL_CLSID" "$CORVASTEL_PROGID" "Interface\\$CORVASTEL_IID" "TypeLib\\$CORVASTEL_LIBID"; do
      run x64 reg.exe export "HKLM\\$view\\$key" 'C:\entries.reg' /y >/dev/null 2>&1 &&
        iconv -f UTF-16 -t UTF-8 "$prefix/drive_c/entries.reg" | tr -d '\r' | grep -v '^Windows Registry Editor\|^$'
    done
  done
  rm -f "$prefix/drive_c/entries.reg"
}
# What regsvr32 of the 64-bit build alone can show: its own view, without the shared type library.
own64() { awk '/^\[/ { keep = $0 !~ /Wow6432Node|TypeLib\\\{/ } keep'; }
tool() {  # EXPECTED-STATUS TEXT ARGUMENT...: the x64 RegisterCorvastel.exe exits so and says TEXT
  local said
  said=$(run x64 "$dist/x64/RegisterCorvastel.exe" "${@:3}")
  [ $? -eq "$1" ] && grep -qF "$2" <<<"$said" || fail "RegisterCorvastel ${*:3}, expecting $1 and \"$2\":"$'\n'"$said"
}

run x64 msiexec.exe /i "$msi" /qn || fail "the silent install"
installed=$(entries)
suite_passes x64 "$script" || fail "the suite under the 64-bit cscript"
if $runs32; then suite_passes x86 "$script" || fail "the suite under the 32-bit cscript"; fi
tool 0 "Every host on this Windows creates the object." /check
# Windows Installer writes DisplayIcon from ARPPRODUCTICON; Wine 8's does not.
add_remove_programs_entry_is_complete x64 "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code" DisplayIcon ||
  fail "the MSI's Add/Remove Programs entry"
run x64 msiexec.exe /x "$msi" /qn || fail "the silent uninstall"
[ -z "$(entries)" ] || fail "keys left after the uninstall:"$'\n'"$(entries)"
[ ! -e "$folder" ] || fail "$folder left after the uninstall"

mkdir -p "$folder" && cp -r "$dist/x86" "$dist/x64" "$folder/"
if $runs32; then run x86 regsvr32.exe /s "$windows_folder\\x86\\Corvastel.dll" || fail "regsvr32 of the x86 build"; fi
run x64 regsvr32.exe /s "$windows_folder\\x64\\Corvastel.dll" || fail "regsvr32 of the x64 build"
if $runs32; then registered=$(entries); else registered=$(entries | own64) installed=$(own64 <<<"$installed"); fi
[ "$installed" = "$registered" ] ||
  fail "the MSI's entries are not regsvr32's:"$'\n'"$(diff <(echo "$installed") <(echo "$registered"))"

tool 1 "use the x86 build's RegisterCorvastel.exe" "$windows_folder\\x86\\Corvastel.dll"
run x64 reg.exe delete "HKLM\\Software\\Classes\\CLSID\\$CORVASTEL_CLSID" /f >/dev/null
tool 1 "64-bit hosts: not registered" /check
run x64 regsvr32.exe /u /s "$windows_folder\\x64\\Corvastel.dll"
if $runs32; then run x86 regsvr32.exe /u /s "$windows_folder\\x86\\Corvastel.dll"; fi
rm -rf "$folder"
echo "deployment: $failures problems"
[ "$failures" -eq 0 ]
