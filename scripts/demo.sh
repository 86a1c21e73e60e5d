#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit Corvastel.dll, registers it in the
# project's private Wine prefix and runs the example scripts and C++ client with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset x86 >/dev/null
cmake --build --preset x86 --target dist cpp_client

prefix=$(realpath -m build/wineprefix)
scripts/wine-prefix.sh up "$prefix"
trap 'scripts/wine-prefix.sh down "$prefix"' EXIT
run() { env WINEPREFIX="$prefix" WINEDEBUG=-all LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 wine "$@"; }
# A 64-bit prefix keeps its 32-bit programs in syswow64.
system32='C:\windows\syswow64'
dll="Z:$(realpath dist/x86/Corvastel.dll)"

step() { printf '\n=== %s\n' "$1"; }
step "Registering $dll with the 32-bit regsvr32"
run "$system32\\regsvr32.exe" /s "$dll"
echo "registered as Corvastel.clsRegistry"
step "examples/demo.vbs under cscript"
run "$system32\\cscript.exe" //nologo "Z:$(realpath examples/demo.vbs)"
step "examples/demo.js under cscript"
run "$system32\\cscript.exe" //nologo "Z:$(realpath examples/demo.js)"
step "examples/cpp_client.cpp, early bound through _clsRegistry"
run build/x86/bin/cpp_client.exe
step "Unregistering"
run "$system32\\regsvr32.exe" /u /s "$dll"
echo "done: the prefix is as it was"
