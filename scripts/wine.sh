# shellcheck shell=bash
# shellcheck disable=SC2034  # what it sets is for the scripts that source it
# The Wine whose programs the scripts start, sourced by those that start them: the host's
# (Debian 12's Wine 8), or with CORVASTEL_WINE_ROOT=DIR the one wine-root.sh extracted into
# DIR (Debian 13's Wine 10). Sets wine32, wine64 and wineserver: each a command, as an array.
if [ -n "${CORVASTEL_WINE_ROOT:-}" ]; then
  in_wine_root=("$(dirname "${BASH_SOURCE[0]}")/in-wine-root.sh" "$CORVASTEL_WINE_ROOT")
  wine32=("${in_wine_root[@]}" /usr/lib/wine/wine)
  wine64=("${in_wine_root[@]}" /usr/lib/wine/wine64)
  wineserver=("${in_wine_root[@]}" /usr/lib/wine/wineserver64)
else
  wine32=(/usr/lib/wine/wine)
  wine64=(/usr/lib/wine/wine64)
  wineserver=(wineserver)
fi

# wine_prefix PREFIX: where that Wine keeps the prefix PREFIX names: there for the host's
# Wine, and in DIR/prefixes for another, since a prefix one Wine has made or upgraded is
# not for the other.
wine_prefix() {
  if [ -n "${CORVASTEL_WINE_ROOT:-}" ]; then
    echo "$(realpath -m "$CORVASTEL_WINE_ROOT")/prefixes/$(basename "$1")"
  else
    realpath -m "$1"
  fi
}
