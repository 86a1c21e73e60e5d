#!/usr/bin/env bash
# check_installed.sh PREFIX present|absent FOLDER
# Whether Corvastel's installation (its folder, and its registry entries in both views
# of the machine's and the user's classes) is all there, or all gone; when there, its
# Add/Remove Programs entry must have what the installers write. The identities come
# from the environment (CORVASTEL_CLSID, _PROGID, _LIBID).
set -uo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
prefix=$1 expect=$2 folder=$3
uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvastel'
present=0
for key in {HKCR,'HKCU\Software\Classes'}\\{"CLSID\\$CORVASTEL_CLSID","$CORVASTEL_PROGID"} "HKCR\TypeLib\\$CORVASTEL_LIBID" \
           {HKLM,HKCU}\\"$uninstall"; do
  for arch in x86 x64; do
    if run "$arch" reg.exe query "$key" >/dev/null 2>&1; then
      echo "present: $key ($arch)"; present=$((present + 1))
      [[ $key != *Uninstall* ]] || add_remove_programs_entry_is_complete "$arch" "$key" || fail "$key is incomplete"
    fi
  done
done
unix_folder=$(WINEPREFIX=$prefix winepath -u "$folder" 2>/dev/null)
[ -e "$unix_folder" ] && { echo "present: $folder"; present=$((present + 1)); }
echo "$present entries present, $failures problems"
[ "$failures" -eq 0 ] || exit 1
if [ "$expect" = absent ]; then [ "$present" -eq 0 ]; else [ "$present" -gt 0 ]; fi
