#!/usr/bin/env bash
# sign.sh [--timestamp URL] CERTIFICATE [KEY] [FILE...]
#   signs Corvastel's files with the user's code-signing certificate (Authenticode,
#   SHA-256, with osslsigncode): CERTIFICATE and KEY as PEM files, or CERTIFICATE alone as
#   a .pfx/.p12 file; a password for the key comes from CORVASTEL_SIGNING_PASSWORD.
#   --timestamp URL countersigns each signature at that timestamp server, so that it
#   stays valid after the certificate expires.
#
#   With FILEs, signs those files in place. Without, signs the release after
#   scripts/test.sh (or the release stage) made it: both builds' DLLs and
#   RegisterCorvastel.exe in dist/, then makes the installers again around the signed
#   files and signs the NSIS installer and the MSIs, then makes the zip and
#   dist/SHA256SUMS of the signed files. Nothing is ever signed without a certificate.
set -euo pipefail
cd "$(dirname "$0")/.."
timestamp=()
if [ "${1:-}" = --timestamp ]; then
  timestamp=(-t "$2")
  shift 2
fi
certificate=${1:?usage: scripts/sign.sh [--timestamp URL] CERTIFICATE [KEY] [FILE...]}
shift
case $certificate in
  *.pfx | *.p12) credentials=(-pkcs12 "$certificate") ;;
  *) credentials=(-certs "$certificate" -key "${1:?a PEM certificate needs its KEY}"); shift ;;
esac
[ -n "${CORVASTEL_SIGNING_PASSWORD:-}" ] && credentials+=(-pass "$CORVASTEL_SIGNING_PASSWORD")

sign() {
  for file in "$@"; do
    osslsigncode sign "${credentials[@]}" -h sha256 -n Corvastel "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
    echo "signed $file"
  done
}

if [ $# -gt 0 ]; then
  sign "$@"
  exit 0
fi
shopt -s nullglob
installers=(dist/Corvastel-*-setup.exe dist/Corvastel-*.msi)
[ ${#installers[@]} -gt 0 ] || { echo "sign.sh: no release in dist/; run scripts/test.sh first" >&2; exit 1; }
sign dist/x86/Corvastel.dll dist/x86/RegisterCorvastel.exe dist/x64/Corvastel.dll dist/x64/RegisterCorvastel.exe
cmake --build build/release --target installers
sign "${installers[@]}"
cmake --build build/release
