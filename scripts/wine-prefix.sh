#!/usr/bin/env bash
# wine-prefix.sh up|down PREFIX
#   up:   create the private prefix if it is new, then start its wineserver and keep it running
#   down: stop that prefix's wineserver (and no other)
set -euo pipefail
action=$1
export WINEPREFIX=$(realpath -m "$2") WINEDEBUG=-all
log="$WINEPREFIX.log"

case "$action" in
  up)
    # Wine's daemons inherit our descriptors; keep them off the caller's pipes.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "Creating Wine prefix $WINEPREFIX"
      mkdir -p "$(dirname "$WINEPREFIX")"
      wineboot --init >>"$log" 2>&1 </dev/null
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null
    fi
    # A server that outlives its last process by a few seconds can be on its way out
    # just as a test starts, so the tests get a persistent one, in place of any left
    # from creating the prefix or from an earlier step.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    wineserver -p >>"$log" 2>&1 </dev/null
    # wineboot starts Wine's background services now, so that no test's output pipe is
    # inherited by them and held open.
    wineboot >>"$log" 2>&1 </dev/null
    ;;
  down)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 up|down PREFIX" >&2
    exit 2
    ;;
esac
