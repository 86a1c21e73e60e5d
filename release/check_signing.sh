#!/usr/bin/env bash
# check_signing.sh DIST: scripts/sign.sh signs copies of every file the release signs
# (both builds' DLL and RegisterCorvastel.exe, the NSIS installer, the MSIs) with a
# throwaway self-signed certificate, and osslsigncode verifies each signature against it.
set -uo pipefail
dist=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Corvastel test signing" \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null || exit 1
files=()
for name in {x86,x64}/{Corvastel.dll,RegisterCorvastel.exe} $(cd "$dist" && ls Corvastel-*-setup.exe Corvastel-*.msi); do
  cp "$dist/$name" "$work/${name//\//-}" && files+=("$work/${name//\//-}")
done
"$(dirname "$0")/../scripts/sign.sh" "$work/certificate.pem" "$work/key.pem" "${files[@]}" || exit 1
failures=0
for file in "${files[@]}"; do
  osslsigncode verify -CAfile "$work/certificate.pem" -in "$file" >"$work/verify.log" 2>&1 ||
    { echo "FAIL $file:"; cat "$work/verify.log"; failures=$((failures + 1)); }
done
echo "${#files[@]} files signed, $failures not verified"
[ ${#files[@]} -eq 7 ] && [ "$failures" -eq 0 ]
