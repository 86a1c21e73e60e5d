#!/usr/bin/env bash
# msi_file_versions.sh MSIBUILD MSI VERSION LANGUAGE FILE...: gives each FILE (an id of
# the MSI's File table) VERSION and LANGUAGE, and takes away the hash wixl gave it in
# their place: Windows Installer compares a versioned file by its version.
set -euo pipefail
msibuild=$1 msi=$2 version=$3 language=$4
shift 4
for file; do
  "$msibuild" "$msi" -q "UPDATE \`File\` SET \`Version\` = '$version', \`Language\` = '$language' WHERE \`File\` = '$file'"
  "$msibuild" "$msi" -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$file'"
done
