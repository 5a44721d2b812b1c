# Shared by the scripts: where things are, and installing what is missing.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# A second working copy (or a parallel run) can use a build folder of its own.
BUILD=${QOR_BUILD_DIR:-$ROOT/build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}

qor_packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
              wine wine32:i386 wine64 xvfb xauth x11-utils cmake ninja-build libgtest-dev
              googletest clang mscompress imagemagick nsis)

qor_install_missing() {
  local missing=() p
  for p in "${qor_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
}

qor_build() {
  local jobs
  jobs=$(nproc)
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DQOR_MODE=native >/dev/null
  cmake --build "$BUILD/native" -j "$jobs"
  cmake -S "$ROOT" -B "$BUILD/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DQOR_NATIVE_DIR="$BUILD/native" -DQOR_BIN_DIR="$BUILD/bin" >/dev/null
  cmake --build "$BUILD/win32" -j "$jobs"
  local f
  for f in QORDELET.EXE GAUGE32.DLL; do
    echo "shipped: $f $(stat -c %s "$BUILD/bin/$f") bytes"
  done
}

# Starts an Xvfb of 1024x768x24 on a free display and exports DISPLAY.
qor_start_xvfb() {
  local fifo display
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  QOR_XVFB_PID=$!
  read -r -t 30 display <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$display"
}

qor_stop_xvfb() {
  [ -n "${QOR_XVFB_PID:-}" ] && kill "$QOR_XVFB_PID" 2>/dev/null || true
  QOR_XVFB_PID=
}

# qor_prepare_prefix DIR [unmanaged]: makes (once) and starts the Wine prefix
# DIR: no crash dialog, and a persistent wineserver, so that CTest's pipes are
# not held by a server that one test started. "unmanaged" is for our own Xvfb,
# which has no window manager: Wine then draws the window frames itself
# instead of waiting (2 s for every hidden window) for a manager that never
# answers.
qor_prepare_prefix() {
  export WINEPREFIX=$1
  local marker=$WINEPREFIX/.qor-ready-${2:-managed}
  if [ ! -f "$marker" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    if [ "${2:-}" = unmanaged ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    fi
    wineserver -w
    touch "$marker"
  fi
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

qor_stop_prefix() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}
