#!/usr/bin/env bash
# host-runs-32bit.sh: exits 0 when 32-bit programs run here, natively or under the
# emulation that scripts/with-32bit.sh sets up for what it starts; 1 when they do not
# ("Exec format error": Wine's 32-bit loader cannot start), or with CORVASTEL_NO_32BIT=1.
[ "${CORVASTEL_NO_32BIT:-0}" = 1 ] && exit 1
/usr/lib/wine/wine --version >/dev/null 2>&1 || exit 1
