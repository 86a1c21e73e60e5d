#!/usr/bin/env bash
# uninstall.sh PREFIX FOLDER: runs the uninstaller of FOLDER silently, as the user guide
# says (Uninstall.exe /S, which finds the install mode itself), and waits for it: it
# copies itself away, returns at once and removes itself last.
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all
folder=$2
uninstaller=$(winepath -u "$folder\\Uninstall.exe")
"$(dirname "$0")/../scripts/run-under-wine.sh" "$WINEPREFIX" x86 "$folder\\Uninstall.exe" /S
for _ in $(seq 120); do
  [ -e "$uninstaller" ] || exit 0
  sleep 0.5
done
echo "the uninstaller is still there after a minute"
exit 1
