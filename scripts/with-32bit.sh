#!/usr/bin/env bash
# with-32bit.sh COMMAND [ARG...]
#   runs COMMAND where Wine's 32-bit side can run, says in one line how, and passes the
#   mode on in CORVASTEL_32BIT to everything COMMAND starts:
#     native    the CPU runs 32-bit programs;
#     emulated  it runs none ("Exec format error": WSL 1, ia32_emulation=0, some
#               hypervisors), so every 32-bit program runs under qemu-i386 (qemu-user 10
#               or later), registered for i386 ELF files in a binfmt_misc of COMMAND's own:
#               a user and mount namespace that Linux 6.7 and later give an instance of
#               its own. Nothing outside it changes, and all that is 64-bit, the
#               wineserver included, runs natively;
#     none      neither: the tests that need 32-bit programs are listed as not run.
#   CORVASTEL_NO_32BIT=1 chooses none on any host; CORVASTEL_EMULATE_32BIT=1 chooses
#   emulation on a host whose CPU runs 32-bit programs too, to try that path.
set -euo pipefail
scripts=$(dirname "$(realpath "$0")")
wine32=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc

if [ "${1:-}" = --in-namespace ]; then
  shift
  # The ELF header of an i386 executable or shared object, and which of its bits to compare.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  mount -t binfmt_misc binfmt_misc "$binfmt"
  # F: the emulator is opened now, so it is found whatever the program's mount namespace.
  echo ":corvastel-i386:M::$magic:$mask:$(command -v qemu-i386):F" >"$binfmt/register"
  exec "$@"
fi
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }

in_namespace=(unshare --user --map-root-user --mount "$scripts/with-32bit.sh" --in-namespace)
emulator_version() {
  qemu-i386 --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9.]*\).*/\1/p'
}
emulator_usable() {
  local version
  version=$(emulator_version)
  [ -n "$version" ] && [ "${version%%.*}" -ge 10 ]
}

why_not=""
if [ "${CORVASTEL_NO_32BIT:-0}" = 1 ]; then
  mode=none why_not="CORVASTEL_NO_32BIT=1"
elif [ "${CORVASTEL_EMULATE_32BIT:-0}" != 1 ] && "$wine32" --version >/dev/null 2>&1; then
  mode=native
else
  emulator_usable || "$scripts/setup.sh" --emulator
  if ! emulator_usable; then
    mode=none why_not="the CPU runs none, and qemu-user 10 or later could not be installed"
  elif ! "${in_namespace[@]}" "$wine32" --version >/dev/null 2>&1; then
    mode=none why_not="the CPU runs none, and this kernel gives no binfmt_misc of a namespace's own (Linux 6.7 or later does)"
  else
    mode=emulated
  fi
  if [ "$mode" = none ] && [ "${CORVASTEL_EMULATE_32BIT:-0}" = 1 ]; then
    echo "with-32bit.sh: CORVASTEL_EMULATE_32BIT=1, but $why_not" >&2
    exit 1
  fi
fi

export CORVASTEL_32BIT=$mode
case $mode in
  native)
    echo "=== 32-bit programs run natively"
    exec "$@" ;;
  emulated)
    echo "=== 32-bit programs run under emulation: qemu-i386 $(emulator_version), in a binfmt_misc of this run's own"
    exec "${in_namespace[@]}" "$@" ;;
  none)
    echo "=== 32-bit programs do not run here ($why_not): the tests that need them are listed as not run"
    CORVASTEL_NO_32BIT=1 exec "$@" ;;
esac
