#!/usr/bin/env bash
# zip_reproducibly.sh ZIP FOLDER ZIPFILE: with the zip program ZIP, the files below
# FOLDER, in name order, each dated SOURCE_DATE_EPOCH and with no other attributes, so
# that ZIPFILE (an absolute path) comes out the same wherever and whenever the commit is
# built.
set -euo pipefail
zip=$1 folder=$2 zipfile=$3
rm -f "$zipfile"
cd "$folder"
find . -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
find . -type f | LC_ALL=C sort | TZ=UTC "$zip" -X -D -q "$zipfile" -@
