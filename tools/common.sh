# Shared helpers for the tools/ scripts. Sourced, never run.

VELMORA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VELMORA_CACHE="${VELMORA_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora-deps}"

log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }
die() { log "error: $*"; exit 1; }

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The folder of the cross-built static dependencies for the Windows build.
# Its name carries the versions it was built from, so a new version builds anew.
deps_prefix() {
  local v
  v=$(dpkg-query -W -f='${source:Version}' libjpeg62-turbo-dev 2>/dev/null)-$(dpkg-query -W -f='${source:Version}' libminizip-dev 2>/dev/null)-$(dpkg-query -W -f='${source:Version}' libmeshoptimizer-dev 2>/dev/null)-$(dpkg-query -W -f='${Version}' googletest 2>/dev/null)
  printf '%s/mingw64-%s\n' "$VELMORA_CACHE" "$(printf '%s' "$v" | tr -c 'A-Za-z0-9.+\n-' '_')"
}

# The Wine loader: Debian's wine64 keeps it outside PATH.
wine_binary() {
  if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
  elif command -v wine64 >/dev/null; then command -v wine64
  else command -v wine; fi
}

# Writes the papers that travel with the release into a folder: README.txt (the
# user's README with the version filled in), LICENSE.txt and THIRD-PARTY-NOTICES.txt,
# with Windows line ends so that every Notepad shows them as written.
stage_papers() {  # version, folder
  sed "s/@VERSION@/$1/g; s/\r\?\$/\r/" "$VELMORA_ROOT/installer/README.txt" >"$2/README.txt"
  sed 's/\r\?$/\r/' "$VELMORA_ROOT/LICENSE" >"$2/LICENSE.txt"
  sed 's/\r\?$/\r/' "$VELMORA_ROOT/THIRD-PARTY-NOTICES.txt" >"$2/THIRD-PARTY-NOTICES.txt"
}
