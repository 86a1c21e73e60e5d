#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit and the 64-bit Corvastel.dll, registers
# both side by side in the project's private Wine prefix, shows what RegisterCorvastel
# /check makes of that, and runs the example scripts under the cscript of each bitness
# and the C++ client against them (the 32-bit ones under emulation where the CPU runs no
# 32-bit programs, and the 64-bit ones alone where that cannot be had: with-32bit.sh).
set -euo pipefail
. "$(dirname "$0")/lib.sh"
enter_checkout scripts/demo.sh "$@"
for arch in x86 x64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" --target dist cpp_client
done
archs=(x86 x64)
[ "$CORVASTEL_32BIT" != none ] || archs=(x64)

step() { printf '\n=== %s\n' "$1"; }
use_prefix build/wineprefix
# However the demo ends, it takes back what it registered.
registered=()
unregister() {
  for arch in ${registered[@]+"${registered[@]}"}; do
    step "Unregistering the $arch build"
    run "$arch" regsvr32.exe /u /s "Z:$(realpath "dist/$arch/Corvastel.dll")" || true
  done
  echo "done: the prefix is as it was"
}
at_exit unregister

for arch in "${archs[@]}"; do
  step "Registering dist/$arch/Corvastel.dll with the $arch regsvr32"
  registered+=("$arch")
  run "$arch" regsvr32.exe /s "Z:$(realpath "dist/$arch/Corvastel.dll")"
done
step "What hosts of each bitness get: RegisterCorvastel.exe /check"
run x64 dist/x64/RegisterCorvastel.exe /check || true
for arch in "${archs[@]}"; do
  step "examples/demo.vbs under the $arch cscript"
  run "$arch" cscript.exe //nologo "Z:$(realpath examples/demo.vbs)"
  step "examples/demo.js under the $arch cscript"
  run "$arch" cscript.exe //nologo "Z:$(realpath examples/demo.js)"
  step "examples/cpp_client.cpp built for $arch, early bound through _clsRegistry"
  run "$arch" "build/$arch/bin/cpp_client.exe"
done
