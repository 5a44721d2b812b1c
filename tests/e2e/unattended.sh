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
#   - /RESTART: the restart is started (1641), and the log says so last.
. "$(dirname "$0")/e2e.sh" unattended
setup
keep_installed
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
queued_for_next_start 'QOR4400\\QORDELET\.EXE' && pass "QORDELET.EXE is queued for the next start" ||
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
check_action_log "$LOG" silent

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
unattended restart '/S /RESTART /LOG=C:\restart.log'
restart_log=$(tr -d '\r' 2>/dev/null <"$C/restart.log" || true)
[ "$(exit_of restart)" = 1641 ] && pass "/RESTART: 1641" || {
  fail "/RESTART: $(exit_of restart)"
  tail -n 15 <<<"$restart_log" | sed 's/^/  restart.log: /'
}
[ "$(tail -n 1 <<<"$restart_log")" = \
  "Result: removed, and the restart that finishes it was started (exit code 1641)" ] &&
  pass "the log ends with 1641" || fail "the log's last line: $(tail -n 1 <<<"$restart_log")"
no_window restart && pass "no window with /RESTART" || fail "windows shown: $(grep '^shown:' "$WORK/restart.run")"
finish
