# Shared set-up for the scripts in scripts/: paths, packages, builds and
# Wine prefixes. Sourced, not run. Works on a fresh Debian machine as root.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${QORVEL_BUILD_DIR:-$here/build}
jobs=${QORVEL_JOBS:-$(nproc)}

log() { printf '\n== %s\n' "$*"; }

# --- Packages ---------------------------------------------------------------
# wine32 (and the i386 architecture) must never be installed: 32-bit code
# cannot run on these machines and its presence breaks wine64.
qorvel_packages=(cmake ninja-build g++ libgtest-dev googletest
                 g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 fonts-wine)
# The window tests: a virtual display, and tools to look at it.
display_packages=(xvfb xauth xdotool imagemagick)

# Installs the given packages (default: the build's) that are missing.
install_missing() {
  local wanted=("$@") missing=() p
  [ ${#wanted[@]} -gt 0 ] || wanted=("${qorvel_packages[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# --- Builds -----------------------------------------------------------------
configure() {  # dir, extra cmake arguments...
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
}

configure_win64() {
  configure "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake"
}

# --- Wine -------------------------------------------------------------------
# Points the Wine variables at a 64-bit prefix. The prefix has a home and
# XDG folders of its own: Wine links a user's Desktop and Documents to the
# home folder, and the recycle bin (SHFileOperation with FOF_ALLOWUNDO) is
# the XDG trash, so a load that recycles files never reaches the host's.
use_prefix() {  # dir
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export HOME=$1/home XDG_DATA_HOME=$1/home/.local/share XDG_CONFIG_HOME=$1/home/.config
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
}

# Makes the user's shell folders that Wine linked to the home folder real
# folders inside the prefix (a copied prefix would share the home it was
# made with).
unlink_user_folders() {
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm -f "$link"
      mkdir -p "$link"
    fi
  done
}

# Creates the current prefix when it does not exist yet (about 10 s), with
# Wine's fonts for window captions.
init_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
    unlink_user_folders
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
}

# Makes `dir` a freshly booted prefix and points the Wine variables at it. A
# booted prefix is kept as a template in the build folder and copied, which
# takes a second instead of ten.
fresh_prefix() {  # dir
  local template="$build/wine-template"
  if [ ! -f "$template/system.reg" ]; then
    (use_prefix "$template" && init_prefix)
  fi
  rm -rf "$1"
  mkdir -p "$(dirname "$1")"
  cp -a "$template" "$1"
  use_prefix "$1"
  unlink_user_folders
}

# --- Display ------------------------------------------------------------------
# Starts a virtual X display (1024x768, 24 bits) on a free display number and
# points DISPLAY at it, so that Wine draws real windows. stop_display ends it.
xvfb_pid=
start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$number_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$number_file" ]; then
    rm -f "$number_file"
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
  rm -f "$number_file"
}

stop_display() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

# Lets Wine place its windows itself: with no window manager on the display,
# a managed window takes seconds to hide.
unmanaged_windows() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

# Turns the window tests' screenshots (BMP) into PNG files beside them.
convert_screenshots() {  # folder
  local bmp
  for bmp in "$1"/*.bmp; do
    [ -f "$bmp" ] || continue
    /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}
