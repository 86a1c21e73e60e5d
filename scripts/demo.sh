#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit and the 64-bit Corvastel.dll, registers
# both side by side in the project's private Wine prefix, and runs the example scripts
# under the cscript of each bitness and the C++ client against them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for arch in x86 x64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" --target dist cpp_client
done

prefix=$(realpath -m build/wineprefix)
scripts/wine-prefix.sh up "$prefix"
trap 'scripts/wine-prefix.sh down "$prefix"' EXIT
# The prefix is 64-bit: its 32-bit programs live in syswow64 and start with Wine's plain
# loader, its 64-bit ones in system32 with the 64-bit loader.
declare -A loader=([x86]=wine [x64]=/usr/lib/wine/wine64)
declare -A system=([x86]='C:\windows\syswow64' [x64]='C:\windows\system32')
run() { local arch=$1; shift; env WINEPREFIX="$prefix" WINEDEBUG=-all LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "${loader[$arch]}" "$@"; }
step() { printf '\n=== %s\n' "$1"; }

for arch in x86 x64; do
  step "Registering dist/$arch/Corvastel.dll with the $arch regsvr32"
  run "$arch" "${system[$arch]}\\regsvr32.exe" /s "Z:$(realpath "dist/$arch/Corvastel.dll")"
done
for arch in x86 x64; do
  step "examples/demo.vbs under the $arch cscript"
  run "$arch" "${system[$arch]}\\cscript.exe" //nologo "Z:$(realpath examples/demo.vbs)"
  step "examples/demo.js under the $arch cscript"
  run "$arch" "${system[$arch]}\\cscript.exe" //nologo "Z:$(realpath examples/demo.js)"
  step "examples/cpp_client.cpp built for $arch, early bound through _clsRegistry"
  run "$arch" "build/$arch/bin/cpp_client.exe"
done
for arch in x86 x64; do
  step "Unregistering the $arch build"
  run "$arch" "${system[$arch]}\\regsvr32.exe" /u /s "Z:$(realpath "dist/$arch/Corvastel.dll")"
done
echo "done: the prefix is as it was"
