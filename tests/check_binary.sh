#!/usr/bin/env bash
# check_binary.sh OBJDUMP x86|x64 FILE...
# Each file may import only system DLLs, must be built for ASLR and DEP (and
# high-entropy ASLR when 64-bit), and must carry the stack protector's guard.
set -euo pipefail
objdump=$1 arch=$2
shift 2
system_dlls='^(kernel32|advapi32|oleaut32|ole32|user32|msvcrt|api-ms-win-.*)\.dll$'
failures=0
for file in "$@"; do
  headers=$("$objdump" -p "$file")
  for dll in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do
    if ! grep -qiE "$system_dlls" <<<"$dll"; then
      echo "FAIL $file imports $dll"; failures=$((failures + 1))
    fi
  done
  required=(DYNAMIC_BASE NX_COMPAT)
  [ "$arch" = x64 ] && required+=(HIGH_ENTROPY_VA)
  for flag in "${required[@]}"; do
    if ! grep -qw "$flag" <<<"$headers"; then
      echo "FAIL $file lacks $flag"; failures=$((failures + 1))
    fi
  done
  symbols=$("$objdump" -t "$file")
  if ! grep -q '__stack_chk_guard' <<<"$symbols"; then
    echo "FAIL $file has no stack protector"; failures=$((failures + 1))
  fi
  echo "checked $file"
done
echo "$# files checked, $failures problems"
[ "$failures" -eq 0 ]
