#!/usr/bin/env bash
# host-runs-32bit.sh: exits 0 when this host runs 32-bit programs, 1 when it does not.
# Some kernels have no 32-bit support at all (WSL 1, ia32_emulation=0, some hypervisors):
# there every 32-bit ELF fails with "Exec format error", Wine's 32-bit loader included,
# while 64-bit Wine works. CORVASTEL_NO_32BIT=1 answers no on any host, to try that mode.
[ "${CORVASTEL_NO_32BIT:-0}" = 1 ] && exit 1
/usr/lib/wine/wine --version >/dev/null 2>&1 || exit 1
