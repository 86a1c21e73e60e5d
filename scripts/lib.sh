# shellcheck shell=bash
# What the scripts share; sourced, never run on its own.
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# debian_mirror: the mirror the host's apt sources use for its own Debian release.
debian_mirror() {
  local codename mirror
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mirror_of() { apt-get indextargets --format '$(REPO_URI) $(CODENAME)' | awk -v suite="$codename" '$2 == suite { print $1; exit }'; }
  mirror=$(mirror_of)
  [ -n "$mirror" ] || { as_root apt-get update -qq && mirror=$(mirror_of); }
  [ -n "$mirror" ] || { echo "no apt source serves $codename" >&2; return 1; }
  echo "$mirror"
}

# The packages a script needs beyond what building needs: it sets them before enter_checkout.
extra_packages=()

# enter_checkout SCRIPT [ARGUMENT...]: works from the checkout's top, with what building
# needs installed (and extra_packages), then runs SCRIPT again under with-32bit.sh, which
# chooses how 32-bit programs run, unless that is done.
enter_checkout() {
  cd "$scripts/.." || exit
  scripts/setup.sh "${extra_packages[@]}"
  [ -n "${CORVASTEL_32BIT:-}" ] || exec scripts/with-32bit.sh "$@"
}

# at_exit COMMAND: runs COMMAND however the script ends, Ctrl-C included (which ends it
# with status 130); the command added last runs first.
at_exit_commands=()
at_exit() {
  at_exit_commands=("$1" "${at_exit_commands[@]}")
  trap run_at_exit_commands EXIT
  trap 'exit 130' INT TERM
}
run_at_exit_commands() {
  local command
  for command in "${at_exit_commands[@]}"; do eval "$command"; done
}

# use_prefix PREFIX [win32]: boots the private Wine prefix that run uses, and takes its
# programs down when the script ends.
use_prefix() {
  prefix=$(realpath -m "$1")
  "$scripts/wine-prefix.sh" up "$prefix" "${@:2}" || return
  at_exit '"$scripts/wine-prefix.sh" down "$prefix"'
}

# run x86|x64 PROGRAM [ARGUMENT...]: a Windows program in the prefix, as one of that
# bitness: a path, or the bare name of one of the prefix's own programs.
run() { "$scripts/run-under-wine.sh" "$prefix" "$@"; }

# suite_passes x86|x64 SCRIPT: the VBScript suite SCRIPT (a Windows path) passes against
# the ProgID CORVASTEL_PROGID under that bitness's cscript, as CORVASTEL_SCRIPT_SUITE_PASSED
# tells.
suite_passes() { run "$1" cscript.exe //nologo "$2" "$CORVASTEL_PROGID" | grep -E "$CORVASTEL_SCRIPT_SUITE_PASSED"; }

# msi_property MSI NAME: the value of the property NAME in the Property table of MSI.
msi_property() { msiinfo export "$1" Property | tr -d '\r' | awk -v name="$2" '$1 == name { print $2 }'; }

# fail TEXT: a check failed; failures counts them.
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# add_remove_programs_entry_is_complete x86|x64 KEY [EXCEPT...]: the uninstall entry KEY
# (as reg.exe names it) has every value both installers write, but the values EXCEPT;
# says which it lacks.
add_remove_programs_entry_is_complete() {
  local value missing=()
  for value in DisplayName DisplayVersion Publisher HelpLink URLInfoAbout Contact DisplayIcon EstimatedSize NoModify; do
    [[ " ${*:3} " != *" $value "* ]] || continue
    run "$1" reg.exe query "$2" /v "$value" >/dev/null 2>&1 || missing+=("$value")
  done
  [ ${#missing[@]} -eq 0 ] || { echo "$2 lacks ${missing[*]}"; return 1; }
}
