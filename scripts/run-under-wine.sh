#!/usr/bin/env bash
# run-under-wine.sh PREFIX LOADER PROGRAM [ARG...]
#   runs a Windows program in the private prefix under the given Wine loader, with Wine's
#   debug output off, and exits with the program's status.
#
# With its debug output off, Wine tells of a program it could not start (a DLL that did not
# load, a process that died before its entry point) by nothing but an exit status: the low
# byte of an NTSTATUS, 53 for 0xC0000135. Our test programs write a line before anything
# else, so a failure without a word of output is Wine's, not the program's (regsvr32 /s is
# silent either way, and registering twice does no harm). Then this says so and starts the
# program once more with Wine's error messages on, for the log to show why.
set -uo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all
loader=$2
shift 2

output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$loader" "$@" >"$output" 2>&1 </dev/null
status=$?
cat "$output"
if [ "$status" -ne 0 ] && [ ! -s "$output" ]; then
  echo "run-under-wine: $1 ended with status $status before writing anything;" \
       "starting it once more with Wine's error messages on" >&2
  WINEDEBUG=err+all "$loader" "$@" </dev/null
  status=$?
fi
exit "$status"
