#!/usr/bin/env bash
# The package as people find it, and what remains said:
#   - a file of the package's held open by another program during an
#     unattended run: 3010, the file in the system's list of what the next
#     start deletes and named in the log as waiting for it, and gone after the
#     next start; the rest as after any run;
#   - the same through the pages: the completion page says that some files
#     wait for the restart, and Restart's winstart.bat (the Windows 95
#     family's way) deletes the file and still ends with its own last line;
#   - the install directory deleted by hand, QORDELET.EXE started from a copy
#     elsewhere: unattended, exit 0 with SYSTEM.INI and WIN.INI exactly as
#     after the ordinary run, the printers, drivers, key and group gone and
#     the user's printer and key kept, no file of the user's touched; through
#     the pages, the completion page.
. "$(dirname "$0")/e2e.sh" leftovers
setup
keep_installed
HELD='C:\QOR4400\HELP\Q44PCL.HLP'
HELD_UNIX=$PKG/HELP/Q44PCL.HLP
COPY='C:\qorcopy\QORDELET.EXE'
winkey='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
pending() { w reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations | tr -d '\r'; }
# hold: another program holds the help file open until the session ends.
hold() {
  rm -f "$WORK/held"
  wine "$BIN/filehold.exe" "$HELD" 600 "$(win_path "$WORK/held")" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do [ -e "$WORK/held" ] && return 0; sleep 0.1; done
  return 1
}
# unattended NAME EXE TAIL [DIR]: the page driver runs EXE from DIR.
unattended() {
  (cd "${4:-$PKG}" && wine "$BIN/pagedriver.exe" run "$2" "$3" 120000 </dev/null 2>/dev/null | tr -d '\r') \
    >"$WORK/$1.run"
}
exit_of() { sed -n 's/^exit: //p' "$WORK/$1.run"; }
# gone_from NAME: the package's printers, drivers, key and group are gone
# from snapshot NAME, the user's printer and key are kept.
gone_from() {
  local reg=$WORK/$1.system.reg
  grep -q 'Print\\\\Printers\\\\QOR' "$reg" && fail "$1: a package printer remains" || pass "$1: the printers are gone"
  grep -q 'Drivers\\\\Version-3\\\\QOR' "$reg" && fail "$1: a package driver remains" || pass "$1: the drivers are gone"
  grep -q 'QORBRACKENFIELD_44001EEC' "$reg" && fail "$1: the Plug and Play key remains" || pass "$1: the key is gone"
  grep -q 'Print\\\\Printers\\\\Office Printer' "$reg" && grep -q 'OFFICELASER_0001' "$reg" &&
    pass "$1: the user's printer and key kept" || fail "$1: the user's printer or key is gone"
  check "$1: the group is gone" test ! -e "$(group_dir 'Brackenfield Printing System')"
}

# A file held open, unattended.
restore
need "the help file is held open" hold
unattended held 'C:\QOR4400\QORDELET.EXE' '/S /LOG=C:\held.log'
[ "$(exit_of held)" = 3010 ] && pass "a file in use: 3010" || fail "a file in use: $(cat "$WORK/held.run")"
pending | grep -q -i -F 'QOR4400\HELP\Q44PCL.HLP' && pass "the file is in the system's list for the next start" ||
  fail "the file is not queued: $(pending)"
grep -q -F "File in use, to be deleted at the next start of Windows: $HELD" "$C/held.log" &&
  pass "the log names it as waiting for the next start" || fail "the log: $(grep -i q44pcl.hlp "$C/held.log")"
check "the file is still there before the next start" test -e "$HELD_UNIX"
settle held
cp "$(win_file system.ini)" "$WORK/ordinary.system.ini"
cp "$(win_file win.ini)" "$WORK/ordinary.win.ini"
ordinary_device=$(reg_value "$winkey" device)
w wineboot -r || true
settle held-restarted
check "the next start deleted it" test ! -e "$HELD_UNIX"
check "and the folder that held it" test ! -e "$PKG/HELP"

# A file held open, through the pages to Restart; the batch run by hand
# before the next start, as the Windows 95 family runs it.
restore
need "the help file is held open" hold
rm -f "$WORK/exit.code"
start_uninstaller External
need "completion page shown" driver wait complete 60000
[ "$(driver text complete 1003)" = "Some files will be removed when Windows restarts." ] &&
  pass "the completion page says that files wait for the restart" || fail "the completion page: $(driver text complete 1003)"
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
need "the restart ended the program" wait_exit 30
settle pages
batch=$(tr -d '\r' <"$WIN/winstart.bat")
grep -q -x -F "if exist $HELD del $HELD" <<<"$batch" && pass "the batch deletes the file" ||
  fail "the batch: $batch"
[ "$(tail -n 1 <<<"$batch")" = 'del C:\windows\winstart.bat' ] && pass "the batch ends with its own last line" ||
  fail "the batch's last line: $(tail -n 1 <<<"$batch")"
(cd "$C" && w cmd /c 'C:\windows\winstart.bat' >/dev/null) || true
check "the batch deleted the file" test ! -e "$HELD_UNIX"

# The install directory deleted by hand, unattended from a copy elsewhere.
restore
mkdir -p "$C/qorcopy"
cp "$PKG/QORDELET.EXE" "$C/qorcopy/"
rm -rf "$PKG"
snapshot nodir-before
unattended nodir "$COPY" '/S /LOG=C:\nodir.log' "$C"
[ "$(exit_of nodir)" = 0 ] && pass "without the install directory: 0" || fail "without the install directory: $(cat "$WORK/nodir.run")"
settle nodir
cmp -s "$WORK/ordinary.system.ini" "$(win_file system.ini)" && cmp -s "$WORK/ordinary.win.ini" "$(win_file win.ini)" &&
  pass "SYSTEM.INI and WIN.INI as after the ordinary run" || fail "the INI files differ from the ordinary run's"
[ "$(reg_value "$winkey" device)" = "$ordinary_device" ] && pass "the default printer as after the ordinary run" ||
  fail "device: $(reg_value "$winkey" device)"
gone_from nodir
unexpected=$(diff <(cut -f1 "$WORK/nodir-before.files") <(cut -f1 "$WORK/nodir.files") |
  grep '^[<>]' | grep -v -i -E '^> \./(windows/(system|win)\.000|nodir\.log)$' || true)
changed=$(LC_ALL=C join -t "$(printf '\t')" "$WORK/nodir-before.files" "$WORK/nodir.files" |
  awk -F '\t' '$2 != $3 {print tolower($1)}' | sort | tr '\n' ' ')
[ -z "$unexpected" ] && [ "$changed" = "./windows/system.ini ./windows/win.ini " ] &&
  pass "no file of the user's touched" || fail "files changed: $unexpected $changed"

# The same through the pages: the completion page.
restore
mkdir -p "$C/qorcopy"
cp "$PKG/QORDELET.EXE" "$C/qorcopy/"
rm -rf "$PKG"
FROM=$C/qorcopy run_external_to_restart
finish
