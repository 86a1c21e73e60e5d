#!/usr/bin/env bash
# wine-prefix.sh up|down|remove PREFIX [win32]
#   up:     create the private prefix unless it is made, then start its wineserver and keep
#           it running. A prefix counts as made once its whole set-up has finished: one whose
#           set-up was interrupted is made again.
#   down:   stop that prefix's wineserver (and no other), with every program it runs
#   remove: the same, then delete the prefix
# The prefix is 64-bit, booted by the 64-bit loader so that hosts which run no 32-bit
# programs have one too; with win32 it is a 32-bit Windows, booted by the 32-bit loader.
set -euo pipefail
. "$(dirname "$0")/wine.sh"
action=$1
WINEPREFIX=$(wine_prefix "$2")
export WINEPREFIX WINEDEBUG=-all
if [ "${3:-}" = win32 ]; then
  export WINEARCH=win32
  wine=("${wine32[@]}")
else
  wine=("${wine64[@]}")
fi
log="$WINEPREFIX.log"
made="$WINEPREFIX/.corvastel-made"

case "$action" in
  up)
    # Wine's daemons inherit our descriptors; keep them off the caller's pipes.
    if [ ! -f "$made" ]; then
      echo "Creating Wine prefix $WINEPREFIX"
      # Wine's own errors go to the log while the prefix is made, and a failure shows its end.
      trap 'echo "Creating $WINEPREFIX failed; $log ends:" >&2; tail -n 20 "$log" >&2' ERR
      "${wineserver[@]}" -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      mkdir -p "$(dirname "$WINEPREFIX")"
      WINEDEBUG=err+all "${wine[@]}" wineboot.exe --init >>"$log" 2>&1 </dev/null
      WINEDEBUG=err+all "${wine[@]}" reg.exe add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null
      "${wineserver[@]}" -w
      touch "$made"
    fi
    # A server that outlives its last process by a few seconds can be on its way out
    # just as a test starts, so the tests get a persistent one, in place of any left
    # from creating the prefix or from an earlier step.
    "${wineserver[@]}" -k >/dev/null 2>&1 || true
    "${wineserver[@]}" -w
    "${wineserver[@]}" -p >>"$log" 2>&1 </dev/null
    # wineboot starts Wine's background services now, so that no test's output pipe is
    # inherited by them and held open.
    "${wine[@]}" wineboot.exe >>"$log" 2>&1 </dev/null
    ;;
  down)
    "${wineserver[@]}" -k 2>/dev/null || true
    ;;
  remove)
    "${wineserver[@]}" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$log"
    ;;
  *)
    echo "usage: $0 up|down|remove PREFIX [win32]" >&2
    exit 2
    ;;
esac
