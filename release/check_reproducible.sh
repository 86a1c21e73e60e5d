#!/usr/bin/env bash
# check_reproducible.sh SOURCE DIST WORK: the checkout's tracked files built once more in
# another folder (WORK), at the same SOURCE_DATE_EPOCH, give byte for byte the files in
# DIST: both builds' DLL, type library, manifest and RegisterCorvastel.exe, the NSIS
# installer, the zip and the symbols zip. The MSIs differ (each gets a package code of
# its own), but keep their ProductCode, which differs by platform.
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
source=$1 dist=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
git -C "$source" ls-files -z | tar -C "$source" --null -T - -cf - | tar -xf - -C "$work"
cd "$work"
quietly() { "$@" >>build.log 2>&1 || { tail -n 30 build.log; exit 1; }; }
for arch in x86 x64; do
  echo "building the $arch build again in $work"
  quietly cmake --preset "$arch" -DBUILD_TESTING=OFF
  quietly cmake --build --preset "$arch" --target dist
done
echo "making the release again"
quietly cmake -S release -B build/release -G Ninja
quietly cmake --build build/release --target release
mapfile -t archives < <(cd "$dist" && ls Corvastel-*-setup.exe Corvastel-*.zip)
files=({x86,x64}/{Corvastel.dll,Corvastel.tlb,Corvastel.manifest,RegisterCorvastel.exe} "${archives[@]}")
differ=0
for name in "${files[@]}"; do cmp "$dist/$name" "dist/$name" || differ=$((differ + 1)); done
echo "${#files[@]} files compared, $differ differ"
codes=()
for msi in "$dist"/Corvastel-*-x{86,64}.msi; do
  codes+=("$(msi_property "$msi" ProductCode)")
  [ "${codes[-1]}" = "$(msi_property "dist/${msi##*/}" ProductCode)" ] || { echo "${msi##*/}: another ProductCode"; differ=$((differ + 1)); }
done
echo "ProductCodes: ${codes[*]}"
[ "${#files[@]}" -eq 11 ] && [ "$differ" -eq 0 ] && [ "${#codes[@]}" -eq 2 ] && [ "${codes[0]}" != "${codes[1]}" ]
