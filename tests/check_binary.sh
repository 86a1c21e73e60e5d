#!/usr/bin/env bash
# check_binary.sh OBJDUMP x86|x64 DLL [FILE...]
# The DLL exports its four entry points by name at ordinals 1 to 4. Each file may import
# only system DLLs, must be built for ASLR and DEP (and high-entropy ASLR when 64-bit),
# and must carry the stack protector's guard. A file with a .debug file beside it ships
# stripped: it must carry no debug information and name that file.
set -euo pipefail
objdump=$1 arch=$2 dll=$3
shift 2
system_dlls='^(kernel32|advapi32|oleaut32|ole32|user32|msvcrt|api-ms-win-.*)\.dll$'
required=(DYNAMIC_BASE NX_COMPAT)
[ "$arch" = x64 ] && required+=(HIGH_ENTROPY_VA)
. "$(dirname "$0")/../scripts/lib.sh"
exports=$("$objdump" -p "$dll" | awk '/^Name /{print "name", $NF} /^Ordinal Base/{print "base", $NF}
  /^\t\[ *[0-9]+\] [A-Za-z]+$/ {gsub(/[][]/, ""); print $1 + 1, $2}')
expected=$'name Corvastel.dll\nbase 1\n1 DllCanUnloadNow\n2 DllGetClassObject\n3 DllRegisterServer\n4 DllUnregisterServer'
[ "$exports" = "$expected" ] || fail "$dll exports"$'\n'"$exports"
for file in "$@"; do
  headers=$("$objdump" -p "$file")
  for imported in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do grep -qiE "$system_dlls" <<<"$imported" || fail "$file imports $imported"; done
  for flag in "${required[@]}"; do grep -qw "$flag" <<<"$headers" || fail "$file lacks $flag"; done
  # A program shipped stripped keeps its symbols in the debug file it names.
  symbols=$file
  if [ -e "$file.debug" ]; then
    symbols=$file.debug
    grep -q '\.debug_info' <<<"$("$objdump" -h "$file")" && fail "$file carries debug information"
    grep -q '\.gnu_debuglink' <<<"$("$objdump" -h "$file")" || fail "$file does not name $file.debug"
  fi
  grep -q __stack_chk_guard <<<"$("$objdump" -t "$symbols")" || fail "$file has no stack protector"
done
echo "$# files checked, $failures problems"
[ "$failures" -eq 0 ]
