#!/bin/sh
# in-wine-root.sh DIR PROGRAM [ARG...]
#   runs PROGRAM, a path in the Wine root wine-root.sh made in DIR, with that root as its
#   /, in a user and mount namespace of its own where /proc, /dev, /sys, /tmp and this
#   checkout are the host's. Where the CPU runs no 32-bit programs, the emulator that
#   with-32bit.sh registered serves the namespace too: it was opened on the host.
#   A POSIX shell script, which takes no notice of a locale the host lacks.
set -eu
if [ "$1" != --inside ]; then
  dir=$(realpath -m "$1")
  shift
  exec unshare --user --map-root-user --mount "$0" --inside "$dir" "$PWD" "$@"
fi
root=$2/root wd=$3
shift 3
for shared in /proc /dev /sys /tmp "$(cd "$(dirname "$0")/.." && pwd)"; do
  mkdir -p "$root$shared"
  mount --rbind "$shared" "$root$shared"
done
[ -d "$root$wd" ] || wd=/
# Wine's wineserver command is a shell script, and the root has no shell.
WINESERVER=/usr/lib/wine/wineserver64 exec unshare --root="$root" --wd="$wd" "$@"
