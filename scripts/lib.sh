# Shared by the scripts: where things are, and installing what is missing.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# A second working copy (or a parallel run) can use a build folder of its own.
BUILD=${QOR_BUILD_DIR:-$ROOT/build}
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}

# What every build needs; the Wine side depends on the host (below).
qor_packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
              wine wine64 xvfb xauth x11-utils cmake ninja-build libgtest-dev
              googletest clang mscompress imagemagick nsis)
qor_packages_i686=(wine32:i386)
# The x86-64 build's tools, and Wine's 32-bit loader with its preloader for
# the shipped i686 build's own end-to-end run.
qor_packages_x86_64=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                     binutils-mingw-w64-x86-64 wine32:i386 wine32-preloader:i386)
# Only where the kernel refuses 32-bit programs, and without what it
# recommends (qemu-user-binfmt, which registers other emulators, not i386).
qor_packages_emulator=(qemu-user)

WINE64_LOADER=/usr/lib/wine/wine64
WINE32_LOADER=/usr/lib/wine/wine

# Whether this host's kernel starts 32-bit x86 programs. Some kernels ship
# with the emulation switched off; there execve refuses every i386 program
# ("Exec format error") and Wine's 32-bit loader cannot start at all. The
# probe is the smallest i386 program there is (exit(0) through int 0x80),
# so it needs nothing installed. A host that runs it only through an
# emulator registered with binfmt_misc counts as one that cannot: Wine is
# then far too slow there.
qor_host_runs_32bit() {
  if [ -r /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
     grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
    return 1
  fi
  qor_i386_runs
}

# Whether an i386 program starts here at all, natively or through whatever
# binfmt_misc has registered for it.
qor_i386_runs() {
  local probe=$BUILD/.probe-i386 status
  # Not in /tmp, which may be mounted without the right to run programs.
  mkdir -p "$BUILD"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  return $status
}

# qor_choose_arch ACTION: decides, once per run, which Windows build the
# tests, the demo and the bench run, and says so ("... testing the x86-64
# build"). QOR_ARCH=i686 or QOR_ARCH=x86_64 forces either way. Sets
# QOR_ARCH, QOR_ARCH_NAME and QOR_ARCH_WHY.
qor_choose_arch() {
  local action=$1
  if [ -z "${QOR_ARCH_WHY:-}" ]; then
    case "${QOR_ARCH:-}" in
      i686|x86_64) QOR_ARCH_WHY="QOR_ARCH=$QOR_ARCH asks for it" ;;
      "")
        if qor_host_runs_32bit; then
          QOR_ARCH=i686
          QOR_ARCH_WHY="32-bit programs run on this host"
        else
          QOR_ARCH=x86_64
          QOR_ARCH_WHY="32-bit programs cannot run on this host (32-bit emulation is off)"
        fi
        ;;
      *) echo "QOR_ARCH must be i686 or x86_64, not '$QOR_ARCH'" >&2; exit 2 ;;
    esac
  fi
  case $QOR_ARCH in
    i686) QOR_ARCH_NAME=i686 ;;
    x86_64) QOR_ARCH_NAME=x86-64 ;;
  esac
  export QOR_ARCH QOR_ARCH_WHY
  echo "$QOR_ARCH_WHY: $action the $QOR_ARCH_NAME build"
}

qor_install_missing() {
  [ -n "${QOR_ARCH_WHY:-}" ] || qor_choose_arch building >/dev/null
  local wanted=("${qor_packages[@]}") missing=() p
  case ${QOR_ARCH:-i686} in
    i686) wanted+=("${qor_packages_i686[@]}") ;;
    x86_64) wanted+=("${qor_packages_x86_64[@]}") ;;
  esac
  local bare=() emulated=
  # The shipped build needs an emulator where nothing runs i386 programs.
  [ "${QOR_ARCH:-i686}" = x86_64 ] && ! qor_i386_runs && emulated=1
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ -n "$emulated" ]; then
    for p in "${qor_packages_emulator[@]}"; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || bare+=("$p")
    done
  fi
  if [ $((${#missing[@]} + ${#bare[@]})) -gt 0 ]; then
    echo "installing: ${missing[*]}${bare[*]:+ ${bare[*]}}"
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    [ ${#missing[@]} -eq 0 ] || apt-get install -y -qq "${missing[@]}" >/dev/null
    [ ${#bare[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${bare[@]}" >/dev/null
  fi
  if [ "$QOR_ARCH" = x86_64 ]; then
    qor_wine64_wrappers
    [ -z "$emulated" ] || qor_enable_qemu_i386
  fi
  return 0
}

# Where nothing runs i386 programs, registers qemu-i386 for them with
# binfmt_misc (or enables its entry), so that the shipped i686 build runs,
# and says so in one line. Flag F: the kernel opens the emulator at once and
# finds it in any mount namespace or chroot. The x86-64 build's tests start
# no 32-bit program and do not pay for it (see qor_wine64_alone).
qor_enable_qemu_i386() {
  local dir=/proc/sys/fs/binfmt_misc emulator
  emulator=$(command -v qemu-i386) || { echo "qemu-i386 is not installed: the shipped i686 build cannot run here" >&2; return 0; }
  if [ -e "$dir/qemu-i386" ]; then
    echo 1 >"$dir/qemu-i386"
    echo "32-bit programs cannot run on this host: enabled binfmt_misc's entry for $emulator"
  else
    mountpoint -q "$dir" || mount -t binfmt_misc binfmt_misc "$dir"
    # The i386 ELF header of executables and shared objects (e_type 2 or 3).
    printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$emulator:F" \
      >"$dir/register"
    echo "32-bit programs cannot run on this host: registered $emulator with binfmt_misc for i386 programs"
  fi
  qor_i386_runs || echo "i386 programs still do not start through $emulator: the shipped i686 build cannot run here" >&2
  return 0
}

# Debian's wine wrapper takes the 32-bit loader whenever wine32 is
# installed, so the x86-64 build gets small wrappers of its own that start
# wine, wineboot and the rest through the 64-bit loader, first on PATH (CTest
# and the end-to-end scripts inherit it), and a 64-bit prefix. The loader is
# the copy of qor_wine_tree's "wow64" tree, so that a 32-bit program (the
# shipped build) starts through its 32-bit loader and preloader.
qor_wine64_wrappers() {
  local shims=$BUILD/wine-x86_64 name loader
  mkdir -p "$shims"
  loader=$(qor_wine_tree "$shims/wow64" with-32-bit)
  [ -n "$loader" ] || loader=$WINE64_LOADER
  for name in wine wine-stable wine64; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$loader" >"$shims/$name"
  done
  for name in wineboot winecfg winepath wineconsole winedbg; do
    printf '#!/bin/sh\nexec %s %s.exe "$@"\n' "$loader" "$name" >"$shims/$name"
  done
  chmod +x "$shims"/wine*
  case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
  export WINELOADER=$loader WINEARCH=win64
}

# qor_wine_tree DIR [with-32-bit]: a copy of Wine's 64-bit loader in
# DIR/lib/wine, with links to the libraries and data it finds relative to
# where it lies; prints its path, or nothing where it does not start.
# Wine looks for the 32-bit loader beside the 64-bit one (the directory of
# the running loader, not the path it was started by), and that one for its
# preloader beside itself: hence copies, not links. Without "with-32-bit"
# there is no 32-bit loader beside the copy, and a prefix made through it
# gets no 32-bit side. With it, the preloader is laid beside the 32-bit
# loader under the name Wine looks for (Debian installs it as
# wine-preloader.static): under qemu-i386 the 32-bit loader cannot place its
# address space without it.
qor_wine_tree() {
  local tree=$1 with32=${2:-} usr bin preloader
  bin=$tree/lib/wine
  usr=$(dirname "$(dirname "$(dirname "$WINE64_LOADER")")")
  mkdir -p "$bin" "$tree/lib/x86_64-linux-gnu" "$tree/share"
  ln -sfn "$usr/lib/x86_64-linux-gnu/wine" "$tree/lib/x86_64-linux-gnu/wine"
  ln -sfn "$usr/share/wine" "$tree/share/wine"
  ln -sfn "$usr/lib/wine/wineserver" "$bin/wineserver"
  qor_copy_if_changed "$WINE64_LOADER" "$bin/wine64"
  rm -f "$bin/wine" "$bin/wine-preloader"
  if [ -n "$with32" ] && [ -x "$WINE32_LOADER" ]; then
    mkdir -p "$tree/lib/i386-linux-gnu"
    ln -sfn "$usr/lib/i386-linux-gnu/wine" "$tree/lib/i386-linux-gnu/wine"
    qor_copy_if_changed "$WINE32_LOADER" "$bin/wine"
    for preloader in "$usr/lib/wine/wine-preloader" "$usr/lib/wine/wine-preloader.static"; do
      [ -x "$preloader" ] && { qor_copy_if_changed "$preloader" "$bin/wine-preloader"; break; }
    done
  fi
  "$bin/wine64" --version >/dev/null 2>&1 && echo "$bin/wine64"
}

qor_copy_if_changed() {
  cmp -s "$1" "$2" || { cp "$1" "$2.new" && mv "$2.new" "$2"; }
}

# qor_wine64_alone: prints the path of a copy of Wine's 64-bit loader that
# has no 32-bit loader beside it, or nothing where none can be made.
# wineboot -i of a 64-bit prefix also sets up the prefix's 32-bit side
# through the 32-bit loader. Where 32-bit programs run only under an
# emulator, that takes a while, and minutes where the 32-bit loader has no
# preloader; the x86-64 build's tests never start a 32-bit program, so
# their prefixes are made through this copy and the 32-bit side is left
# out (which also halves the prefix that each end-to-end run copies).
qor_wine64_alone() {
  qor_wine_tree "$BUILD/wine-x86_64/alone"
}

# Stops with the reason when the chosen Wine loader cannot start here.
qor_check_wine() {
  local out
  if [ "$QOR_ARCH" = i686 ]; then
    if ! out=$("$WINE32_LOADER" --version 2>&1); then
      echo "cannot run the i686 build: Wine's 32-bit loader $WINE32_LOADER does not start here: $out" >&2
      echo "(QOR_ARCH=x86_64 runs the x86-64 build instead)" >&2
      exit 1
    fi
    return 0
  fi
  if ! out=$("$WINE64_LOADER" --version 2>&1); then
    echo "cannot run the x86-64 build: Wine's 64-bit loader $WINE64_LOADER does not start here: ${out:-not installed}" >&2
    [ "${QOR_ARCH_WHY#32-bit programs cannot}" != "$QOR_ARCH_WHY" ] &&
      echo "and 32-bit programs cannot run on this host either: nothing of the Windows side can run here" >&2
    exit 1
  fi
}

# The shipped QORDELET.EXE and GAUGE32.DLL are always the i686 build's, in
# build/bin. The Windows build that the tests run is QOR_WIN_BUILD, with its
# programs in QOR_RUN_BIN: the same i686 build where 32-bit programs run, an
# x86-64 build of the same sources (build/win64, build/bin-x86_64) where
# they cannot.
qor_build() {
  local jobs
  jobs=$(nproc)
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DQOR_MODE=native >/dev/null
  cmake --build "$BUILD/native" -j "$jobs"
  cmake -S "$ROOT" -B "$BUILD/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DQOR_NATIVE_DIR="$BUILD/native" -DQOR_BIN_DIR="$BUILD/bin" >/dev/null
  if [ "${QOR_ARCH:-i686}" = i686 ]; then
    QOR_WIN_BUILD=$BUILD/win32
    QOR_RUN_BIN=$BUILD/bin
    cmake --build "$BUILD/win32" -j "$jobs"
  else
    # Only what ships, from the i686 build; everything else from x86-64.
    cmake --build "$BUILD/win32" -j "$jobs" --target qordelet gauge32
    QOR_WIN_BUILD=$BUILD/win64
    QOR_RUN_BIN=$BUILD/bin-x86_64
    cmake -S "$ROOT" -B "$BUILD/win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" \
          -DCMAKE_CROSSCOMPILING_EMULATOR="$BUILD/wine-x86_64/wine" \
          -DQOR_NATIVE_DIR="$BUILD/native" -DQOR_BIN_DIR="$QOR_RUN_BIN" \
          -DQOR_SHIPPED_DIR="$BUILD/bin" -DQOR_SHIPPED_OBJDUMP="$(command -v i686-w64-mingw32-objdump)" >/dev/null
    cmake --build "$BUILD/win64" -j "$jobs"
  fi
  export QOR_WIN_BUILD QOR_RUN_BIN
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

# qor_prepare_prefix DIR [unmanaged|managed] [with-32-bit]: makes (once) and
# starts the Wine prefix DIR: no crash dialog, and a persistent wineserver,
# so that CTest's pipes are not held by a server that one test started.
# "unmanaged" is for our own Xvfb, which has no window manager: Wine then
# draws the window frames itself instead of waiting (2 s for every hidden
# window) for a manager that never answers. For the x86-64 build a prefix
# gets its 32-bit side only "with-32-bit", for the shipped i686 build.
qor_prepare_prefix() {
  export WINEPREFIX=$1
  # A prefix made through one loader is not made again through the other.
  local marker=$WINEPREFIX/.qor-ready-${2:-managed}-${QOR_ARCH:-i686}${3:+-$3}
  if [ ! -f "$marker" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    local status=0 alone= overrides
    [ "${QOR_ARCH:-i686}" = x86_64 ] && [ -z "${3:-}" ] && alone=$(qor_wine64_alone)
    # A DLL that crashes while it registers itself (a 32-bit one now and
    # then, under qemu-i386) would start the debugger, which waits for ever
    # under the emulator: without it, the setup goes on without that DLL.
    overrides="$WINEDLLOVERRIDES;winedbg.exe=d"
    if [ -n "$alone" ]; then
      WINEDLLOVERRIDES=$overrides WINELOADER=$alone "$alone" wineboot.exe -i </dev/null >"$BUILD/wineboot.log" 2>&1 ||
        status=$?
    else
      WINEDLLOVERRIDES=$overrides wineboot -i </dev/null >"$BUILD/wineboot.log" 2>&1 || status=$?
    fi
    if [ "$status" -ne 0 ]; then
      echo "wineboot -i could not make the Wine prefix $WINEPREFIX (exit $status):" >&2
      tail -5 "$BUILD/wineboot.log" >&2
      return 1
    fi
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    if [ "${2:-}" = unmanaged ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    fi
    wineserver -w
    touch "$marker"
  fi
  qor_fresh_session
}

qor_stop_prefix() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}

# qor_fresh_session: ends the Wine session of WINEPREFIX, if one runs, and
# starts a new one that stays up (wineserver -p) with wine already started
# in it. What the old session wrote to the registry is on the disk then.
#
# Every run of QORDELET.EXE under our scripts starts from here, after the
# package is installed, and not in the session that installed it. Wine's
# desktop process (explorer.exe /desktop) starts with the session's first
# program and closes a second after the server counts no thread on the
# desktop but its own; it also serves Program Manager's DDE, and the
# installer's group requests make it start threads and folder windows. When
# the demonstration ran the program in the session that had installed the
# package into a new prefix, that desktop process closed in 6 of 21 runs
# while the program was still running, a second after the package's
# components had closed; the next Wine program then got a new desktop, whose
# EnumWindows no longer lists the program's windows although they are still
# on the screen. A fresh session keeps it.
#
# The session's start brings up a desktop process of its own, which closes
# a second after wine has ended. A program that starts just as it closes may
# be given that closing desktop (the server drops the desktop's name only
# when the close begins): a resumed run of the cut-off test once ended at
# once, with exit code 0 and nothing on the screen. The helper returns once
# that desktop process has gone, so that the next program brings up the
# desktop it runs under.
qor_fresh_session() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  local _
  for _ in $(seq 50); do
    [ -z "$(qor_desktop_process)" ] && return 0
    sleep 0.1
  done
  echo "Wine's desktop process $(qor_desktop_process) did not close within 5 s of the session's start" >&2
}

# qor_session_process PID: whether PID is a live (not ended, not a zombie)
# process of WINEPREFIX's session.
qor_session_process() {
  local state
  state=$(sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d ' ' -f 1)
  [ -n "$state" ] && [ "$state" != Z ] &&
    tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"
}

# qor_desktop_process: the Unix process id of the session's desktop process,
# the newest where a closing one is still there; nothing when there is none.
qor_desktop_process() {
  local p found=
  for p in $(pgrep -f 'explorer\.exe /desktop' || true); do
    qor_session_process "$p" && found=$p
  done
  echo "$found"
}

# qor_note_desktop: remembers the desktop process that the program runs
# under, once per run of it (QOR_PROGRAM_DESKTOP=; before the next run).
qor_note_desktop() {
  [ -n "${QOR_PROGRAM_DESKTOP:-}" ] || QOR_PROGRAM_DESKTOP=$(qor_desktop_process)
}

# qor_session_program NAME: the Unix process ids of the session's running
# programs of that file name (any letter case).
qor_session_program() {
  local p
  for p in $(pgrep -i -f "$1" || true); do
    qor_session_process "$p" && echo "$p"
  done
  return 0
}

# qor_show_screen PNG PAGEDRIVER PROGRAM: what is on the screen when a stage
# of PROGRAM (a file name) did not come: a screenshot, whether the program
# still runs, whether the desktop process it started under still runs, and
# the top-level windows the page driver sees (the visible ones, and how many
# hidden ones each process has). The desktop process is looked at before the
# page driver starts, because that start makes a new one when it has gone.
qor_show_screen() {
  local png=$1 driver=$2 program=$3 running desktop_now desktop_closed=
  if import -window root "$png" 2>/dev/null; then echo "screenshot: $png"; else echo "no screenshot could be taken"; fi
  running=$(qor_session_program "$program" | paste -sd ' ')
  if [ -n "$running" ]; then echo "$program: running (pid $running)"; else echo "$program: not running"; fi
  desktop_now=$(qor_desktop_process)
  if [ -z "${QOR_PROGRAM_DESKTOP:-}" ]; then
    echo "Wine's desktop process: none noted while $program ran; now: ${desktop_now:-none}"
  elif qor_session_process "$QOR_PROGRAM_DESKTOP"; then
    echo "Wine's desktop process: pid $QOR_PROGRAM_DESKTOP, the one $program started under, still runs"
  else
    echo "Wine's desktop process: pid $QOR_PROGRAM_DESKTOP, the one $program started under, has ended; now: ${desktop_now:-none}"
    desktop_closed=1
  fi
  echo "top-level windows the page driver sees:"
  wine "$driver" windows </dev/null 2>/dev/null | tr -d '\r' | awk '
    /^desktop:/ { print "  on the desktop of " $2; listed = 1; next }
    $1 == "visible" { print "  " $0; shown++; next }
    $1 == "hidden" { if (!($2 in hidden)) order[n++] = $2; hidden[$2]++ }
    END {
      if (!listed) { print "  the page driver listed nothing"; exit }
      if (!shown) print "  no visible window"
      line = ""
      for (i = 0; i < n; i++) line = line (i ? ", " : "") hidden[order[i]] " of " order[i]
      if (n) print "  hidden: " line
    }' || true
  if [ -n "$desktop_closed" ] && [ -n "$running" ]; then
    echo "cause: Wine's desktop process closed under the running $program; later Wine programs get a new desktop, which does not list its windows"
  fi
  return 0
}
