# Shared by the end-to-end scenarios: each runs QORDELET.EXE on the sample
# package in a Wine prefix of its own (a copy of the test run's prepared one),
# with the package's components running and its group in Wine's shell.
# shellcheck shell=bash
set -euo pipefail
# The scripts' helpers: the Wine session every run starts from, and what a
# stage that did not come shows.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

BIN=${QOR_BIN:?QOR_BIN must name build/bin}
# Where the installed QORDELET.EXE and GAUGE32.DLL come from: the build the
# tests run, unless a scenario runs the shipped files.
SHIPPED=${QOR_SHIPPED:-$BIN}
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

# A scenario that passed keeps its snapshots and logs, not its prefixes:
# each is most of a gigabyte, and a test run makes a dozen.
finish() {
  wineserver -k 2>/dev/null || true
  if [ "$failures" -eq 0 ]; then
    rm -rf "$WINEPREFIX" "${INSTALLED:-}"
    echo "$SCENARIO: all checks passed"; exit 0
  fi
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
  cp "$SHIPPED/QORDELET.EXE" "$WORK/payload/"
  # The package ships the gauge library compressed (SZDD): mscompress names
  # its output after the input with a trailing underscore.
  cp "$SHIPPED/GAUGE32.DLL" "$WORK/payload/GAUGE32.DL"
  mscompress "$WORK/payload/GAUGE32.DL" && rm "$WORK/payload/GAUGE32.DL"
  w "$BIN/sampleinstall.exe" "$(win_path "$WORK/payload")" "$@" >"$WORK/install.log" ||
    { cat "$WORK/install.log"; fail "sample package installed"; finish; }
  # The registry on the disk for the snapshot, and the program's session
  # apart from the installation's.
  qor_fresh_session
  snapshot before
  start_components
}

# The package's running programs (components_double.exe), each logging
# what it was asked to components.log.
start_components() {
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

# unattended NAME TAIL: runs QORDELET.EXE from the install directory with
# that command tail, as deployment tools start it; NAME.run gets what the
# page driver saw (every window that became visible, the whole exit code).
unattended() {
  (cd "$PKG" && wine "$BIN/pagedriver.exe" run 'C:\QOR4400\QORDELET.EXE' "$2" 120000 \
     </dev/null 2>/dev/null | tr -d '\r') >"$WORK/$1.run"
}
exit_of() { sed -n 's/^exit: //p' "$WORK/$1.run"; }
no_window() { ! grep -q '^shown:' "$WORK/$1.run"; }
same_files() { # same_files A B [REGEX]: the snapshots hold the same files, REGEX's aside
  diff <(grep -v -E "${3:-^$}" "$WORK/$1.files") <(grep -v -E "${3:-^$}" "$WORK/$2.files") >/dev/null &&
    diff <(grep -v -E "${3:-^$}" "$WORK/$1.dirs") <(grep -v -E "${3:-^$}" "$WORK/$2.dirs") >/dev/null
}
queued_for_next_start() { # queued_for_next_start PATTERN: in the system's list (NT)
  w reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
    grep -q -i "$1"
}

# check_removed SNAPSHOT: what a whole removal of the sample package (setup
# without options) leaves, in the snapshot and in drive_c as it is now
# (with the session ended, so that the registry is on the disk, and before
# the next one carries out what was queued): everything of the package gone
# but QORDELET.EXE, which goes at the next start; Windows' own driver files
# kept; SYSTEM.INI and WIN.INI without the package's entries and with the
# user's; the user's default printer and run line again; the package's
# printers, drivers, Plug and Play key and group gone and the user's kept;
# the package's programs closed; no other machine key changed.
check_removed() {
  local after=$1 remaining f sys_expected winini counter printers
  remaining=$(cd "$C" && find QOR4400 -type f | sort | tr '\n' ' ')
  [ "$remaining" = "QOR4400/QORDELET.EXE " ] && pass "install directory holds only QORDELET.EXE" ||
    fail "left in the install directory: $remaining"
  check "install directory kept while QORDELET.EXE is in it" test -d "$PKG"
  for f in FONTS HELP PPD SPOOL; do check "subdirectory $f removed" test ! -e "$PKG/$f"; done
  for f in Q44PCL.DRV QOR4400.DRV VORNGDI.DRV VORNVMI.386 VORNPRNT.DLL Q44BKGND.BMP Q44WIN.INI; do
    check "$f removed from the Windows directory" test ! -e "$WIN/$f"
  done
  for f in HPPCL5MS.DRV UNIDRV.DLL UNIDRV.HLP FINSTALL.DLL FINSTALL.HLP PSCRIPT.DRV PSCRIPT.HLP; do
    check "Windows' own $f kept" test -e "$WIN/$f"
  done
  check "GAUGE321.DLL gone" test ! -e "$PKG/GAUGE321.DLL"
  check "no temporary work file left" test -z "$(find "$WIN" -maxdepth 1 -iname '*.tmp' -newer "$WORK/before.files")"

  # SYSTEM.INI: the package's [386Enh] entries gone, vpd.386 active, the
  # rest byte for byte.
  sys_expected=$(tr -d '\r' <"$(win_file SYSTEM.000)" |
    grep -v -E '^(device=.*VORNVMI\.386|VornLPT=LPT1)$' | sed 's/^;device=vpd\.386$/device=vpd.386/')
  [ "$sys_expected" = "$(tr -d '\r' <"$(win_file system.ini)")" ] && pass "SYSTEM.INI holds exactly the user's entries" ||
    fail "SYSTEM.INI differs from the expected text"
  check "SYSTEM.000 holds the old SYSTEM.INI" grep -q VORNVMI "$(win_file SYSTEM.000)"

  # WIN.INI: the package's sections and entries gone, the user's kept.
  winini=$(tr -d '\r' <"$(win_file win.ini)")
  for f in '[QOR Brackenfield 4400,LPT1:]' '[QOR Brackenfield Model 2890 GDI,LPT1:]' \
           '[QOR 4400 Brackenfield PS2,LPT1:]' '[QOR 4400 Brackenfield PS2,LPT1: Fonts]' \
           'QOR.PCL=' 'QOR.GDI=' 'QOR.PS=' 'QOR Brackenfield 4400=' 'QOR 4400 Brackenfield PS2='; do
    grep -qF -- "$f" <<<"$winini" && fail "WIN.INI still holds $f" || pass "WIN.INI lost $f"
  done
  for f in '[Mail]' 'MAPI=1' 'Office Printer=PSCRIPT,LPT2:' '[Office Printer,LPT2:]' 'COM1:=9600,n,8,1,x' \
           'SystemStart=chimes.wav,Windows Start' 'softfonts=0'; do
    grep -qxF -- "$f" <<<"$winini" && pass "WIN.INI kept the whole line $f" || fail "WIN.INI lost the user's line $f"
  done
  counter=$(ini_value "$(win_file win.ini)" PSCRIPT 'External Printers')
  [ "$counter" = 2 ] && pass "External Printers 3 became 2" || fail "External Printers: $counter"
  check "WIN.000 holds the old WIN.INI" grep -q 'QOR Brackenfield 4400,LPT1:' "$(win_file WIN.000)"

  # [windows] lives in the registry here.
  local winkey='Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows' device run
  device=$(snapshot_value "$after.user" "$winkey" device)
  run=$(snapshot_value "$after.user" "$winkey" run)
  [ "$device" = "Office Printer,PSCRIPT,LPT2:" ] && pass "default printer is the user's again" || fail "device: $device"
  [ "$run" = "CALC.EXE" ] && pass "run keeps the user's CALC.EXE only" || fail "run: $run"

  # Printers, drivers (in whichever environment they were), key, group.
  printers=$(grep -o '^\[System\\\\CurrentControlSet\\\\Control\\\\Print\\\\Printers\\\\[^\\]*\]' "$WORK/$after.system.reg" | sort -u)
  grep -q 'QOR' <<<"$printers" && fail "a package printer remains: $printers" || pass "the three printers are gone"
  grep -q 'Office Printer' <<<"$printers" && pass "the user's printer stays" || fail "the user's printer is gone"
  grep -q 'Drivers\\\\Version-3\\\\QOR' "$WORK/$after.system.reg" && fail "a package driver remains" || pass "the package's drivers are gone"
  grep -q 'Drivers\\\\Version-3\\\\Office Laser Driver\]' "$WORK/$after.system.reg" && pass "the user's driver stays" || fail "the user's driver is gone"
  grep -q 'QORBRACKENFIELD_44001EEC' "$WORK/$after.system.reg" && fail "Plug and Play key remains" || pass "Plug and Play key removed with its subkeys"
  grep -q 'OFFICELASER_0001' "$WORK/$after.system.reg" && pass "sibling key stays" || fail "sibling key removed"
  check "Program Manager group deleted from the shell" test ! -e "$(group_dir 'Brackenfield Printing System')"
  check "the user's group stays" test -d "$(group_dir Accessories)"
  for f in QVTPClass WinPCLClass SpoolerClass PRINTERSTATUSBOX PanelClass 'Font Monitor'; do
    grep -q "^$f gone" "$WORK/components.log" && pass "$f closed" || fail "$f not closed"
  done

  # The registry changed only where the package was.
  diff "$WORK/before.system.reg" "$WORK/$after.system.reg" | grep '^[<>] \[' |
    grep -v -E 'QOR|Enum\\\\LPTENUM\\\\QORBRACKENFIELD' >"$WORK/system.reg.diff" || true
  [ ! -s "$WORK/system.reg.diff" ] && pass "no other machine key changed" || fail "machine keys changed: $(head -5 "$WORK/system.reg.diff")"
}

# check_action_log LOG SNAPSHOT: the action log of a whole unattended
# removal that left SNAPSHOT: every deleted file and every removed INI line
# named, what was asked to close, each printer, driver, key and the group,
# the profile entry, the queue for the next start, and the result (3010)
# last.
check_action_log() {
  local log=$1 after=$2 missing=0 f path ini old line words
  tr -d '\r' <"$log" >"$WORK/log.txt"
  while IFS= read -r f; do
    path="C:${f#.}"
    path=${path//\//\\}
    # A 32-bit program names SysWOW64 as the system directory it sees.
    grep -q -i -F "File deleted: $path" "$WORK/log.txt" ||
      grep -q -i -F "File deleted: ${path/\\windows\\syswow64\\/\\windows\\system32\\}" "$WORK/log.txt" ||
      { missing=$((missing + 1)); echo "not in the log: $path"; }
  done < <(LC_ALL=C comm -23 <(cut -f1 "$WORK/before.files") <(cut -f1 "$WORK/$after.files"))
  [ "$missing" -eq 0 ] && pass "the log names every deleted file" || fail "$missing deleted files not in the log"
  missing=0
  for ini in system win; do
    old=$(win_file "$ini.000")
    while IFS= read -r line; do
      # The counter is a profile entry written, not a line removed.
      [ -n "$line" ] && [ "${line#External Printers=}" = "$line" ] || continue
      grep -q -F -- "line removed: $line" "$WORK/log.txt" || grep -q -F -- "line changed: $line" "$WORK/log.txt" ||
        { missing=$((missing + 1)); echo "not in the log: $line"; }
    done < <(LC_ALL=C comm -23 <(tr -d '\r' <"$old" | LC_ALL=C sort -u) <(tr -d '\r' <"$(win_file "$ini.ini")" | LC_ALL=C sort -u))
  done
  [ "$missing" -eq 0 ] && pass "the log names every removed INI line" || fail "$missing removed INI lines not in the log"
  for words in 'Command line: ' 'Install directory: C:\QOR4400' 'Program asked to close: QVTPClass' \
               'Printer deleted: QOR Brackenfield 4400' 'Printer driver deleted: QOR Brackenfield 4400' \
               'Plug and Play key deleted' 'Program Manager group deleted: Brackenfield Printing System' \
               'Profile entry written: [windows] device=Office Printer,PSCRIPT,LPT2:' \
               'Queued for deletion at the next start of Windows: C:\QOR4400\QORDELET.EXE'; do
    grep -q -F -- "$words" "$WORK/log.txt" && pass "the log says $words" || fail "the log lacks: $words"
  done
  [ "$(tail -1 "$WORK/log.txt")" = "Result: removed; some files wait for the next start of Windows (exit code 3010)" ] &&
    pass "the log ends with 3010" || fail "the log's last line: $(tail -1 "$WORK/log.txt")"
}

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

snapshot_value() { # snapshot_value NAME.HIVE KEY NAME: a string value as a snapshot holds it
  # Through the environment: awk -v would take the backslashes for escapes.
  KEY="[$2]" NAME="\"$3\"=" awk '
    /^\[/ { in_k = (tolower($0) == tolower(ENVIRON["KEY"])); next }
    in_k && index($0, ENVIRON["NAME"]) == 1 {
      v = substr($0, length(ENVIRON["NAME"]) + 1); gsub(/^"|"$/, "", v); print v; exit }' "$WORK/$1.reg"
}

reg_value() { # reg_value KEY NAME
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]*/, ""); print }'
}
