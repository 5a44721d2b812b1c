# Shared by the end-to-end scenarios: each runs QORDELET.EXE on the sample
# package in a Wine prefix of its own (a copy of the test run's prepared one),
# with the package's components running and its group in Wine's shell.
# shellcheck shell=bash
set -euo pipefail
# The scripts' helpers: the Wine session every run starts from, and what a
# stage that did not come shows.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

BIN=${QOR_BIN:?QOR_BIN must name build/bin}
BASE_PREFIX=${QOR_BASE_PREFIX:-${WINEPREFIX:?WINEPREFIX must name the prepared prefix}}
SCENARIO=$1
WORK=${QOR_E2E_DIR:-$(dirname "$BIN")/e2e}/$SCENARIO
export WINEDEBUG=-all
export WINEPREFIX=$WORK/prefix
C=$WINEPREFIX/drive_c
WIN=$C/windows
PKG=$C/QOR4400
failures=0

# A display of its own: the Windows tests that run beside a scenario look at
# the pixels of theirs.
display_fifo=$(mktemp -u)
mkfifo "$display_fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_fifo" >/dev/null 2>&1 &
XVFB_PID=$!
read -r -t 30 display_number <"$display_fifo" || { echo "FAIL: no display of its own"; exit 1; }
rm -f "$display_fifo"
export DISPLAY=":$display_number"
trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# need DESCRIPTION COMMAND...: a step the rest depends on; ends the scenario
# when it fails, with what is on the screen: a screenshot, the windows the
# page driver sees, and whether Wine's desktop process is still the one the
# program started under.
need() {
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then pass "$what"; qor_note_desktop; return; fi
  fail "$what"
  show_screen "$what"
  finish
}
# show_screen DESCRIPTION: what is on the screen when it did not come.
show_screen() {
  local box
  box=$(wine "$BIN/pagedriver.exe" text notice 65535 </dev/null 2>/dev/null | tr -d "\r") && [ -n "$box" ] && echo "the program shows: $box"
  [ -s "$WORK/exit.code" ] && echo "$PROGRAM ended with exit code $(cat "$WORK/exit.code")"
  qor_show_screen "$WORK/failed-${1//[^A-Za-z0-9]/_}.png" "$BIN/pagedriver.exe" "$PROGRAM"
}
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then pass "$what"; else fail "$what"; fi
}
w() { wine "$@" </dev/null 2>/dev/null; }
win_path() { echo "Z:${1//\//\\}"; }
# win_file NAME: a file of the Windows directory by its name in any case, as
# Windows finds it (the letter case on disk depends on who wrote it last).
win_file() { find "$WIN" -maxdepth 1 -iname "$1" -print -quit; }

finish() {
  wineserver -k 2>/dev/null || true
  if [ "$failures" -eq 0 ]; then echo "$SCENARIO: all checks passed"; exit 0; fi
  echo "$SCENARIO: $failures check(s) failed"; exit 1
}

# group_dir NAME: the shell's folder of a Program Manager group.
group_dir() { echo "$(echo "$C"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs)/$1"; }
not() { ! "$@"; }
# shown CLASS: whether a window of that class is open.
shown() { wine "$BIN/pagedriver.exe" window "$1" </dev/null >/dev/null 2>&1; }

# setup [SAMPLEINSTALL OPTIONS]: a fresh prefix with the sample package
# installed and the package's components running.
setup() {
  rm -rf "$WORK"
  mkdir -p "$WORK/payload"
  cp -a "$BASE_PREFIX" "$WINEPREFIX"
  qor_fresh_session
  cp "$BIN/QORDELET.EXE" "$WORK/payload/"
  # The package ships the gauge library compressed (SZDD): mscompress names
  # its output after the input with a trailing underscore.
  cp "$BIN/GAUGE32.DLL" "$WORK/payload/GAUGE32.DL"
  mscompress "$WORK/payload/GAUGE32.DL" && rm "$WORK/payload/GAUGE32.DL"
  w "$BIN/sampleinstall.exe" "$(win_path "$WORK/payload")" "$@" >"$WORK/install.log" ||
    { cat "$WORK/install.log"; fail "sample package installed"; finish; }
  # The registry on the disk for the snapshot, and the program's session
  # apart from the installation's.
  qor_fresh_session
  snapshot before
  : >"$WORK/components.log"
  wine "$BIN/components_double.exe" /log "$(win_path "$WORK/components.log")" all \
       </dev/null >/dev/null 2>&1 &
  COMPONENTS_PID=$!
  for _ in $(seq 100); do shown PanelClass && break; sleep 0.1; done
}

# For scenarios of several runs: keep_installed keeps the prefix as setup
# left it (the session ended first, so that the registry is on the disk);
# restore starts a run from it again; settle NAME ends the session and
# snapshots it as NAME.
keep_installed() {
  INSTALLED=$WORK/installed
  wineserver -k 2>/dev/null || true
  wait "$COMPONENTS_PID" 2>/dev/null || true
  cp -a "$WINEPREFIX" "$INSTALLED"
}
restore() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  cp -a "$INSTALLED" "$WINEPREFIX"
  qor_fresh_session
}
settle() {
  qor_fresh_session
  snapshot "$1"
}

# snapshot NAME: every file of drive_c with its hash, and the registry
# without Wine's time stamps.
snapshot() {
  # One line a file: path, a tab, its hash.
  (cd "$C" && find . -path ./windows/temp -prune -o -path ./users -prune -o -type f -print0 |
     xargs -0 md5sum | sed 's/^\([0-9a-f]*\)  \(.*\)$/\2\t\1/' | LC_ALL=C sort) >"$WORK/$1.files"
  (cd "$C" && find . -path ./users -prune -o -type d -print | sort) >"$WORK/$1.dirs"
  for hive in system user; do
    sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^#time=/d' "$WINEPREFIX/$hive.reg" >"$WORK/$1.$hive.reg"
  done
}

# Starts QORDELET.EXE from the install directory, as a user would (from
# FROM, when set, as from a copy elsewhere).
PROGRAM=QORDELET.EXE
start_uninstaller() {
  QOR_PROGRAM_DESKTOP=
  rm -f "$WORK/exit.code"
  (cd "${FROM:-$PKG}" && wine QORDELET.EXE "$@" </dev/null >/dev/null 2>&1; echo $? >"$WORK/exit.code") &
  UNINSTALLER=$!
}

# A whole External run: the completion page's button, Restart on the prompt,
# the closing notice confirmed, and the program's end.
run_external_to_restart() {
  start_uninstaller External
  need "completion page shown" driver wait complete 60000
  driver click complete 1
  need "restart prompt shown" driver wait prompt 20000
  driver click prompt 106
  need "closing notice shown" driver wait notice 20000
  driver click notice 1
  need "the program ended" wait_exit 20
}

# check_only_changes REGEX: after "snapshot after", every file that went
# matches REGEX, nothing was added but the .000 copies, and only SYSTEM.INI
# and WIN.INI changed.
check_only_changes() {
  diff <(cut -f1 "$WORK/before.files") <(cut -f1 "$WORK/after.files") |
    sed -n 's/^\([<>]\) /\1 /p' >"$WORK/files.diff" || true
  local unexpected changed
  unexpected=$(grep -v -E "^< ($1)" "$WORK/files.diff" | grep -v -i -E '^> \./windows/(SYSTEM|WIN)\.000$' || true)
  [ -z "$unexpected" ] && pass "no other file added or removed" || fail "files added or removed: $unexpected"
  changed=$(LC_ALL=C join -t "$(printf '\t')" "$WORK/before.files" "$WORK/after.files" |
    awk -F '\t' '$2 != $3 {print tolower($1)}' | sort | tr '\n' ' ')
  [ "$changed" = "./windows/system.ini ./windows/win.ini " ] && pass "only SYSTEM.INI and WIN.INI changed" ||
    fail "files changed: $changed"
}

driver() { wine "$BIN/pagedriver.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

wait_exit() { # wait_exit SECONDS
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    [ -s "$WORK/exit.code" ] && return 0
    sleep 0.1
  done
  return 1
}

ini_value() { # ini_value FILE SECTION KEY: the value as the file holds it
  tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_s = (tolower($0) == tolower(s)) ; next }
    in_s { i = index($0, "="); if (i && tolower(substr($0, 1, i - 1)) == tolower(k)) { print substr($0, i + 1); exit } }'
}

reg_value() { # reg_value KEY NAME
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]*/, ""); print }'
}
