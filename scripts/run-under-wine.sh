#!/usr/bin/env bash
# run-under-wine.sh PREFIX x86|x64 PROGRAM [ARG...]
#   runs a Windows program in the private prefix, under the Wine that wine.sh chooses, as
#   a program of that bitness, with Wine's debug output off, and exits with the program's
#   status. PROGRAM is a path, or the bare name of one of the prefix's own programs
#   (regsvr32.exe, cscript.exe): the one of that bitness. The program runs in the locale
#   CORVASTEL_LOCALE names, en_US.UTF-8 (ANSI code page 1252, US formats) unless it says
#   otherwise; it is set for Wine alone, which knows it even where the system's C library
#   does not.
#
# In a 64-bit prefix the 32-bit programs live in syswow64 and start with Wine's plain
# loader (which starts system32's as 32-bit ones too); the 64-bit ones live in system32
# and start with the 64-bit loader. A 32-bit prefix has only system32, of 32-bit programs.
#
# With its debug output off, Wine tells of a program it could not start (a DLL that did not
# load, a process that died before its entry point) by nothing but an exit status: the low
# byte of an NTSTATUS, 53 for 0xC0000135. Our test programs write a line before anything
# else, so a failure without a word of output is Wine's, not the program's (regsvr32 /s is
# silent either way, and registering twice does no harm). Then this says so and starts the
# program once more with Wine's error messages on, for the log to show why.
set -uo pipefail
. "$(dirname "$0")/wine.sh"
WINEPREFIX=$(wine_prefix "$1")
export WINEPREFIX WINEDEBUG=-all
case $2 in
  x86) loader=("${wine32[@]}") system='C:\windows\syswow64'
       [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] || system='C:\windows\system32' ;;
  x64) loader=("${wine64[@]}") system='C:\windows\system32' ;;
  *) echo "usage: $0 PREFIX x86|x64 PROGRAM [ARG...]" >&2; exit 2 ;;
esac
program=$3
case $program in
  */* | *\\*) ;;
  *) program="$system\\$program" ;;
esac
shift 3

locale=${CORVASTEL_LOCALE:-en_US.UTF-8}
output=$(mktemp)
trap 'rm -f "$output"' EXIT
# The program runs in the background so that an interrupt reaches this script at once
# (it stops the prefix's programs, which Wine would otherwise keep running), and its output
# is passed on as it comes while it is kept for the check below.
passing_on=""
trap 'kill $passing_on 2>/dev/null; "${wineserver[@]}" -k 2>/dev/null; exit 130' INT TERM
LANG=$locale LC_ALL=$locale "${loader[@]}" "$program" "$@" >"$output" 2>&1 </dev/null &
running=$!
tail -s 0.1 -n +1 -f --pid="$running" "$output" &
passing_on=$!
wait "$running"
status=$?
wait "$passing_on"
if [ "$status" -ne 0 ] && [ ! -s "$output" ]; then
  echo "run-under-wine: $program ended with status $status before writing anything;" \
       "starting it once more with Wine's error messages on" >&2
  WINEDEBUG=err+all LANG=$locale LC_ALL=$locale "${loader[@]}" "$program" "$@" </dev/null
  status=$?
fi
exit "$status"
