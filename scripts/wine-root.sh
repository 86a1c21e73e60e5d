#!/usr/bin/env bash
# wine-root.sh DIR
#   extracts Debian 13's Wine (wine, wine64 and wine32:i386, with what they depend on)
#   into DIR/root unless that is done, from the mirror the host's apt sources name, and
#   does there what the maintainer scripts that an extraction skips would have done.
#   Nothing on the host changes; in-wine-root.sh runs the root's programs.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
dir=$(realpath -m "$1")
root=$dir/root
[ -f "$dir/.corvastel-made" ] && exit 0

# builtin_dll SOURCE TARGET: a MinGW DLL as one of Wine's own, marked so in its DOS stub.
builtin_dll() {
  { head -c 64 "$1"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$1"; } >"$2"
}

rm -rf "$dir"
mkdir -p "$dir"
mirror=$(debian_mirror)
echo "Extracting Debian 13's Wine from $mirror into $root"
mmdebstrap --quiet --variant=extract --architectures=amd64,i386 --include=wine,wine64,wine32:i386 \
  trixie "$root" "$mirror"
# base-files: the links of the merged /usr, through which the loaders are found.
for link in bin sbin lib lib64; do [ -e "$root/$link" ] || ln -s "usr/$link" "$root/$link"; done
# libc-bin: the linker's cache.
echo 'include /etc/ld.so.conf.d/*.conf' >"$root/etc/ld.so.conf"
ldconfig -r "$root"
# libwine: zlib1.dll, which user32.dll needs, for each bitness.
builtin_dll "$root/usr/i686-w64-mingw32/lib/zlib1.dll" "$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
builtin_dll "$root/usr/x86_64-w64-mingw32/lib/zlib1.dll" "$root/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/zlib1.dll"
touch "$dir/.corvastel-made"
