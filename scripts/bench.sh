#!/usr/bin/env bash
# bench.sh [x86|x64] [--update-chart]: builds Corvastel.dll of that bitness (32-bit where
# the CPU runs 32-bit programs, else 64-bit), registers it in the private Wine prefix and
# measures every operation against the raw registry calls and the script host's own objects.
# Writes build/bench/<arch>/results.csv, script-loops.csv and bench-scale.png; with
# --update-chart it copies the chart over docs/bench-scale.png, the one the README shows.
# 32-bit figures taken under emulation (with-32bit.sh) go to build/bench/x86-emulated
# and are said to be such: they compare with each other, never with native figures.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
extra_packages=(gnuplot-nox)
enter_checkout scripts/bench.sh "$@"
arch="" update_chart=false
for argument; do
  case $argument in
    --update-chart) update_chart=true ;;
    *) arch=$argument ;;
  esac
done
if [ -z "$arch" ]; then
  arch=x64
  [ "$CORVASTEL_32BIT" != native ] || arch=x86
fi
results=$arch
if [ "$arch" = x86 ] && [ "$CORVASTEL_32BIT" = emulated ]; then results=x86-emulated; fi
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target dist corvastel_bench

# shellcheck source=/dev/null  # written by the build
. "build/$arch/identities.env"
out=$(realpath -m "build/bench/$results")
mkdir -p "$out"
use_prefix build/wineprefix
dll="Z:$(realpath "dist/$arch/Corvastel.dll")"

run "$arch" regsvr32.exe /s "$dll"
# However the run ends, it takes back what it registered.
at_exit 'run "$arch" regsvr32.exe /u /s "$dll" || true'
[ "$results" != x86-emulated ] ||
  echo "The 32-bit figures below are taken under qemu-i386: compare them with each other, not with native figures."
run "$arch" "build/$arch/bin/corvastel_bench.exe" "Z:$out"
echo
run "$arch" cscript.exe //nologo "Z:$(realpath bench/script_loops.vbs)" "$CORVASTEL_PROGID" | tr -d '\r' | tee "$out/script-loops.csv"

gnuplot <<GNUPLOT
set terminal pngcairo noenhanced size 900,420 font "sans,10"
set output "$out/bench-scale.png"
set multiplot layout 1,2 title "Corvastel regQuery_A_Key under Wine ($results build): cost per call"
set logscale x
set yrange [0:*]
set xlabel "REG_SZ length (characters)"
set ylabel "microseconds per call"
set key bottom right
plot "$out/scale-size.dat" using 1:2 with linespoints title "Corvastel (vtable)", \
     "" using 1:3 with linespoints title "raw advapi32 floor"
unset logscale
set logscale x 2
set xlabel "key path depth (levels)"
plot "$out/scale-depth.dat" using 1:2 with linespoints title "Corvastel (vtable)", \
     "" using 1:3 with linespoints title "raw advapi32 floor"
unset multiplot
GNUPLOT
! $update_chart || cp "$out/bench-scale.png" docs/bench-scale.png
echo "chart and data: $out"
