#!/usr/bin/env bash
# Unattended runs (/S), as deployment tools start them, each watched for any
# window that becomes visible and with its whole exit code read:
#   - on an ordinary install, /S /LOG=C:\some dir\qor.log (the blanks
#     unquoted): 3010, no window, the same end state as a run through the
#     pages and Exit, QORDELET.EXE queued for the next start, and a log that
#     names every deleted file and every removed INI line and ends with 3010;
#   - a second copy while the first shows its welcome page: 1618, nothing
#     removed;
#   - the setup log missing: 1603, the settings and printers removed but no
#     file of the install directory changed, the log says why;
#   - no recorded install directory: 1605; a log that cannot be written:
#     1603 before anything is changed;
#   - /RESTART: the restart is started (1641).
. "$(dirname "$0")/e2e.sh" unattended
setup
keep_installed
start_components() {
  : >"$WORK/components.log"
  wine "$BIN/components_double.exe" /log "$(win_path "$WORK/components.log")" all </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do shown PanelClass && break; sleep 0.1; done
}
# unattended NAME TAIL: runs QORDELET.EXE from the install directory with
# that command tail; NAME.run gets what the page driver saw.
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
LOGDIR="$C/some dir"
LOG="$LOGDIR/qor.log"
IN_LOGDIR='^\./some dir(/|$)'

# What a run through the pages and Exit leaves.
restore
start_components
rm -f "$WORK/exit.code"
run_external_to_restart
settle pages

# The unattended run.
restore
mkdir -p "$LOGDIR"
start_components
unattended silent '/S /LOG=C:\some dir\qor.log'
[ "$(exit_of silent)" = 3010 ] && pass "exit code 3010" || fail "exit code: $(exit_of silent)"
no_window silent && pass "no window became visible" || fail "windows shown: $(grep '^shown:' "$WORK/silent.run")"
check "no Program Manager window left" not shown PMMain
# The files as the run left them, before the next start of Windows (a new
# Wine session) carries out what it queued.
snapshot silent
same_files pages silent "$IN_LOGDIR" && pass "the same files gone and kept as through the pages" || {
  fail "the end state differs from a run through the pages:"
  diff <(grep -v -E "$IN_LOGDIR" "$WORK/pages.files") <(grep -v -E "$IN_LOGDIR" "$WORK/silent.files") | head -10 || true
}
w reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
  grep -q -i 'QOR4400\\QORDELET\.EXE' && pass "QORDELET.EXE is queued for the next start" ||
  fail "QORDELET.EXE is not queued for the next start"
check "no winstart.bat, which NT never runs" test ! -e "$WIN/winstart.bat"
settle silent-next
check "QORDELET.EXE went at the next start" test ! -e "$PKG/QORDELET.EXE"
for key in 'QOR Brackenfield 4400' 'QOR 4400 Brackenfield PS2' 'QORBRACKENFIELD_44001EEC'; do
  grep -q "$key" "$WORK/silent-next.system.reg" && fail "$key is still in the registry" || pass "$key is gone"
done
check "the group is gone" test ! -e "$(group_dir 'Brackenfield Printing System')"
# Run again on the removed package: nothing to un-install.
(cd "$C" && wine "$BIN/pagedriver.exe" run "$(win_path "$BIN/QORDELET.EXE")" '/S' </dev/null 2>/dev/null |
   tr -d '\r') >"$WORK/again.run"
[ "$(exit_of again)" = 1605 ] && pass "a run on the removed package: 1605" || fail "run again: $(exit_of again)"
snapshot again
same_files silent-next again && pass "the run again changed nothing" || fail "the run again changed files"

# The log: every deleted file, every removed INI line, the result last.
tr -d '\r' <"$LOG" >"$WORK/log.txt"
missing=0
while IFS= read -r f; do
  path="C:${f#.}"
  grep -q -i -F "File deleted: ${path//\//\\}" "$WORK/log.txt" || { missing=$((missing + 1)); echo "not in the log: $path"; }
done < <(LC_ALL=C comm -23 <(cut -f1 "$WORK/before.files") <(cut -f1 "$WORK/silent.files"))
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
             'Printer deleted: QOR Brackenfield 4400' 'Plug and Play key deleted' \
             'Program Manager group deleted: Brackenfield Printing System' \
             'Profile entry written: [windows] device=Office Printer,PSCRIPT,LPT2:' \
             'Queued for deletion at the next start of Windows: C:\QOR4400\QORDELET.EXE'; do
  grep -q -F -- "$words" "$WORK/log.txt" && pass "the log says $words" || fail "the log lacks: $words"
done
[ "$(tail -1 "$WORK/log.txt")" = "Result: removed; some files wait for the next start of Windows (exit code 3010)" ] &&
  pass "the log ends with 3010" || fail "the log's last line: $(tail -1 "$WORK/log.txt")"

# A second copy while the first shows its welcome page.
restore
rm -f "$WORK/exit.code"
start_uninstaller
need "the first copy's welcome page shown" driver wait welcome 20000
unattended second '/s /LOG="C:\second.log"'
[ "$(exit_of second)" = 1618 ] && pass "a second copy exits with 1618" || fail "second copy: $(exit_of second)"
no_window second && pass "the second copy showed no window" || fail "windows shown: $(grep '^shown:' "$WORK/second.run")"
grep -q -F 'Result: another copy is running; nothing was done (exit code 1618)' "$C/second.log" &&
  pass "its log says so" || fail "its log: $(tail -1 "$C/second.log")"
driver click welcome 9
driver wait notice 20000 >/dev/null && driver click notice 1
wait_exit 20 || fail "the first copy did not end"
settle second
same_files before second '^\./second\.log' && pass "nothing was removed" || fail "files changed"

# The setup log missing: the settings, printers, key and group still go,
# but not one file of the install directory.
restore
rm "$PKG/QVSETUP.INF"
snapshot nolog-before
unattended nolog '/S /LOG=C:\nolog.log'
[ "$(exit_of nolog)" = 1603 ] && pass "without the setup log: 1603" || fail "without the setup log: $(exit_of nolog)"
no_window nolog && pass "no window without the setup log" || fail "windows shown: $(grep '^shown:' "$WORK/nolog.run")"
settle nolog
diff <(grep '^\./QOR4400/' "$WORK/nolog-before.files") <(grep '^\./QOR4400/' "$WORK/nolog.files") >/dev/null &&
  pass "no file of the install directory changed without the setup log" ||
  fail "files of the install directory changed without the setup log"
grep -q -E 'QOR Brackenfield 4400|QORBRACKENFIELD_44001EEC' "$WORK/nolog.system.reg" &&
  fail "the printer or the key is still there without the setup log" ||
  pass "the printer and the key went without the setup log"
check "the group went without the setup log" test ! -e "$(group_dir 'Brackenfield Printing System')"
grep -q -F 'The C:\QOR4400\QVSETUP.INF file cannot be loaded onto your system.' "$C/nolog.log" &&
  grep -q -F 'The files in C:\QOR4400 were kept; you can remove them by hand.' "$C/nolog.log" &&
  pass "the log says that QVSETUP.INF could not be loaded and the files were kept" ||
  fail "the log: $(cat "$C/nolog.log")"

# No recorded install directory; a log that cannot be written.
rm -f "$(win_file vorn.ini)"
unattended noinfo '/S'
[ "$(exit_of noinfo)" = 1605 ] && pass "nothing recorded: 1605" || fail "nothing recorded: $(exit_of noinfo)"
no_window noinfo && pass "no window with nothing recorded" || fail "windows shown: $(grep '^shown:' "$WORK/noinfo.run")"
restore
unattended nolog2 '/S /LOG=C:\no such folder\x.log'
[ "$(exit_of nolog2)" = 1603 ] && pass "a log that cannot be written: 1603" || fail "unwritable log: $(exit_of nolog2)"
settle unwritable
same_files before unwritable && pass "nothing changed for a log that cannot be written" ||
  fail "files changed though the log could not be written"

# /RESTART: the restart is started, and it ends the session's programs.
restore
unattended restart '/S /RESTART'
[ "$(exit_of restart)" = 1641 ] && pass "/RESTART: 1641" || fail "/RESTART: $(exit_of restart)"
no_window restart && pass "no window with /RESTART" || fail "windows shown: $(grep '^shown:' "$WORK/restart.run")"
finish
