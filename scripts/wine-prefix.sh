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
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Wine's daemons inherit our descriptors; keep them off the caller's pipes. A server
    # that is still running from an earlier step serves as well as a new one.
    wineserver -p >>"$log" 2>&1 </dev/null || true
    # wineboot also starts Wine's background services here, so that no test's output
    # pipe is inherited by them and held open.
    if [ -f "$WINEPREFIX/system.reg" ]; then
      wineboot >>"$log" 2>&1 </dev/null
    else
      echo "Creating Wine prefix $WINEPREFIX"
      wineboot --init >>"$log" 2>&1 </dev/null
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null
    fi
    ;;
  down)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 up|down PREFIX" >&2
    exit 2
    ;;
esac
