#!/usr/bin/env bash
# sign.sh [--timestamp URL] CERTIFICATE [KEY] [FILE...]
#   signs Corvastel's files with the user's code-signing certificate (Authenticode,
#   SHA-256, with osslsigncode): CERTIFICATE and KEY as PEM files, or CERTIFICATE alone as
#   a .pfx/.p12 file; a password for the key comes from CORVASTEL_SIGNING_PASSWORD.
#   --timestamp URL countersigns each signature at that timestamp server, so that it
#   stays valid after the certificate expires.
#
#   With FILEs, signs those files in place. Without, makes the signed release in a folder
#   of its own, dist/signed, which no build writes to: both builds' dist folders copied
#   there with their debug information, their DLLs and RegisterCorvastel.exe signed, the
#   installers made around the signed files and signed, then the zips and SHA256SUMS of
#   them all. Nothing is ever
#   signed without a certificate.
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
for arch in x86 x64; do
  [ -f "dist/$arch/Corvastel.dll" ] || { echo "sign.sh: no dist/$arch; run scripts/test.sh first" >&2; exit 1; }
done
signed=$PWD/dist/signed
rm -rf "$signed" && mkdir -p "$signed"
cp -r dist/x86 dist/x64 dist/symbols "$signed"
sign "$signed"/{x86,x64}/{Corvastel.dll,RegisterCorvastel.exe}
cmake -S release -B build/release-signed -G Ninja -DCORVASTEL_DIST_DIR="$signed" >/dev/null
cmake --build build/release-signed --target installers
sign "$signed"/Corvastel-*-setup.exe "$signed"/Corvastel-*.msi
cmake --build build/release-signed --target release
echo "the signed release: $signed"
