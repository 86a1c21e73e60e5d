#!/usr/bin/env bash
# check_installed.sh PREFIX present|absent FOLDER
# Whether Corvastel's installation (its folder, and its registry entries in both views
# of the machine's and the user's classes) is all there, or all gone.
set -uo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all
expect=$2 folder=$3
run=$(dirname "$0")/../scripts/run-under-wine.sh
keys=(
  'HKCR\CLSID\{6A7247F0-7113-4F01-B29C-00B6AA268166}'
  'HKCR\Corvastel.clsRegistry'
  'HKCR\TypeLib\{E0F7AAE7-5561-4C3F-BD2E-CEA943F921DE}'
  'HKCU\Software\Classes\CLSID\{6A7247F0-7113-4F01-B29C-00B6AA268166}'
  'HKCU\Software\Classes\Corvastel.clsRegistry'
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvastel'
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvastel'
)
present=0
for key in "${keys[@]}"; do
  for arch in x86 x64; do
    if "$run" "$WINEPREFIX" "$arch" reg.exe query "$key" >/dev/null 2>&1; then
      echo "present: $key ($arch)"; present=$((present + 1))
    fi
  done
done
unix_folder=$(winepath -u "$folder" 2>/dev/null)
[ -e "$unix_folder" ] && { echo "present: $folder"; present=$((present + 1)); }
echo "$present entries present"
if [ "$expect" = absent ]; then [ "$present" -eq 0 ]; else [ "$present" -gt 0 ]; fi
