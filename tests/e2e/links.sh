#!/usr/bin/env bash
# Links laid in the install directory after the install, as any user who may
# write to C:\QOR4400 could lay them (Wine shows a Unix symbolic link as a
# junction): BIN moved elsewhere on drive C: and linked back, and HELP\EN a
# link to the Windows directory, where files named as the setup log lists
# them for HELP\EN are the user's own. An unattended run and a run through
# the pages (to Restart and the restart) each leave every file and folder
# behind the links as it was, delete the package's other files as ever, and
# log each kept path with "reached through a link". Last, the install
# directory itself a link to the package's folder: nothing of it goes, and
# nothing of it is queued for the next start; through the pages, the run
# ends at the gauge library, whose working copy would be written there.
. "$(dirname "$0")/e2e.sh" links
setup /bin
HELP_EN="Q44PCL.HLP Q44PS.HLP QVWPD.HLP QVTP.HLP QVPANEL.HLP QVSTATUS.HLP"
BIN_FILES="QVTP.EXE WINPCL.EXE QVPANEL.EXE FONTMON.EXE QVSTATUS.EXE QVSPOOL.EXE"
for f in $BIN_FILES; do need "$f installed in BIN" test -f "$PKG/BIN/$f"; done
for f in $HELP_EN; do need "$f installed in HELP\\EN" test -f "$PKG/HELP/EN/$f"; done
# Relative targets: the links still hold in each copy of the prefix.
mkdir -p "$C/Tools"
mv "$PKG/BIN" "$C/Tools/QORBIN"
ln -s ../Tools/QORBIN "$PKG/BIN"
rm -r "$PKG/HELP/EN"
for f in $HELP_EN; do printf 'the user'"'"'s own %s\r\n' "$f" >"$WIN/$f"; done
ln -s ../../windows "$PKG/HELP/EN"
keep_installed
snapshot before
# What lies behind the links, by the snapshot's lines: path and hash.
behind_re="^\./(Tools/|windows/($(echo "$HELP_EN" | sed -e 's/\./\\./g' -e 's/ /|/g'))$(printf '\t'))"
grep -E "$behind_re" "$WORK/before.files" >"$WORK/behind.before" || true
[ "$(wc -l <"$WORK/behind.before")" -eq 12 ] || fail "the files behind the links: $(cat "$WORK/behind.before")"

LOGFILE=$WORK/run.log
# check_run NAME: what a run on the linked install left, from its snapshot
# NAME and the log in $LOGFILE.
check_run() {
  grep -E "$behind_re" "$WORK/$1.files" >"$WORK/behind.$1" || true
  diff "$WORK/behind.before" "$WORK/behind.$1" >/dev/null && pass "$1: every file behind the links unchanged" ||
    fail "$1: files behind the links changed: $(diff "$WORK/behind.before" "$WORK/behind.$1" | head -5)"
  check "$1: the folder BIN led to kept" test -d "$C/Tools/QORBIN"
  check "$1: the links kept" test -L "$PKG/BIN" -a -L "$PKG/HELP/EN"
  # Restart's winstart.bat, which Wine never runs, aside.
  grep -v -i '^\./windows/winstart\.bat' "$WORK/$1.files" >"$WORK/after.files" || true
  check_only_changes '\./(QOR4400/|windows/(Q44(WIN\.INI|BKGND\.BMP|PCL\.DRV|GDI\.DRV|PCL\.DLL|UI\.DLL|RES\.DLL|PORT\.DLL)|QOR4400\.D|VORN))'
  # QORDELET.EXE, queued, went at the next start of Windows (the next
  # Wine session): nothing of the package is left there.
  remaining=$(cd "$C" && find QOR4400 -type f | sort | tr '\n' ' ')
  [ -z "$remaining" ] && pass "$1: the package's files in the install directory went" ||
    fail "$1: left in the install directory: $remaining"
  for f in FONTS PPD SPOOL; do check "$1: subdirectory $f removed" test ! -e "$PKG/$f"; done
  for f in Q44PCL.DRV QOR4400.DRV VORNGDI.DRV VORNPRNT.DLL Q44WIN.INI; do
    check "$1: $f removed from the Windows directory" test ! -e "$WIN/$f"
  done
  tr -d '\r' <"$LOGFILE" >"$WORK/$1.log" || true
  local missing=0 f
  for f in $BIN_FILES; do
    grep -q -x -F "File kept (reached through a link): C:\\QOR4400\\BIN\\$f" "$WORK/$1.log" || { missing=$((missing + 1)); echo "not logged: BIN\\$f"; }
  done
  for f in $HELP_EN; do
    grep -q -x -F "File kept (reached through a link): C:\\QOR4400\\HELP\\EN\\$f" "$WORK/$1.log" || { missing=$((missing + 1)); echo "not logged: HELP\\EN\\$f"; }
  done
  for f in BIN 'HELP\EN'; do
    grep -q -x -F "Directory kept (reached through a link): C:\\QOR4400\\$f" "$WORK/$1.log" || { missing=$((missing + 1)); echo "not logged: $f"; }
  done
  [ "$missing" -eq 0 ] && pass "$1: the log names each kept path with its reason" || fail "$1: $missing kept paths not logged"
}

# Unattended.
restore
(cd "$PKG" && wine "$BIN/pagedriver.exe" run 'C:\QOR4400\QORDELET.EXE' "/S /LOG=$(win_path "$LOGFILE")" 120000 \
   </dev/null 2>/dev/null | tr -d '\r') >"$WORK/silent.run"
# What the links kept is the package's files left, which nothing will
# remove: the run says so with 1603.
[ "$(sed -n 's/^exit: //p' "$WORK/silent.run")" = 1603 ] && pass "unattended: exit code 1603" ||
  fail "unattended: $(cat "$WORK/silent.run")"
settle silent
check_run silent

# Through the pages, to Restart and the restart that Wine carries out.
restore
rm -f "$LOGFILE" "$WORK/exit.code"
start_uninstaller "/LOG=$(win_path "$LOGFILE")"
need "welcome page shown" driver wait welcome 20000
driver click welcome 1
need "completion page shown" driver wait complete 60000
driver text complete 1003 | grep -q -F "Some of the package's files were left in C:\\QOR4400\\" &&
  pass "the completion page says that files were left" || fail "the completion page: $(driver text complete 1003)"
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
need "the restart ended the program" wait_exit 30
w wineboot -r || true
settle pages
check_run pages

# The install directory itself a link to the package's folder.
restore
mv "$PKG" "$C/QORREAL"
ln -s QORREAL "$PKG"
snapshot linked
rm -f "$LOGFILE"
(cd "$PKG" && wine "$BIN/pagedriver.exe" run 'C:\QOR4400\QORDELET.EXE' "/S /LOG=$(win_path "$LOGFILE")" 120000 \
   </dev/null 2>/dev/null | tr -d '\r') >"$WORK/dirlink.run"
[ "$(sed -n 's/^exit: //p' "$WORK/dirlink.run")" = 1603 ] && pass "linked install directory: exit code 1603" ||
  fail "linked install directory: $(cat "$WORK/dirlink.run")"
# Before the next start of Windows (a new Wine session) would carry it out.
queued=$(w reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations || true)
grep -q -i 'QOR4400' <<<"$queued" && fail "queued for the next start: $queued" || pass "nothing queued for the next start"
settle dirlink
diff <(grep '^\./QORREAL/' "$WORK/linked.files") <(grep '^\./QORREAL/' "$WORK/dirlink.files") >/dev/null &&
  pass "every file of the linked folder unchanged" || fail "files of the linked folder changed"
diff <(grep '^\./QORREAL' "$WORK/linked.dirs") <(grep '^\./QORREAL' "$WORK/dirlink.dirs") >/dev/null &&
  pass "every folder of the linked folder kept" || fail "folders of the linked folder removed"
check "the install directory's link kept" test -L "$PKG"
tr -d '\r' <"$LOGFILE" >"$WORK/dirlink.log" || true
for line in 'File kept (reached through a link): C:\QOR4400\README.TXT' \
            'Directory not emptied (reached through a link): C:\QOR4400\SPOOL' \
            'File kept (reached through a link): C:\QOR4400\QVSETUP.INF' \
            'Directory kept (reached through a link): C:\QOR4400' \
            'Not queued for the next start of Windows (reached through a link): C:\QOR4400\QORDELET.EXE'; do
  grep -q -x -F "$line" "$WORK/dirlink.log" && pass "the log says: $line" || fail "the log lacks: $line"
done

# The same through the pages: the gauge library's working copy would be
# written behind the link, so the run ends with the gauge's message before
# any file, and nothing of the folder goes.
restore
mv "$PKG" "$C/QORREAL"
ln -s QORREAL "$PKG"
rm -f "$WORK/exit.code"
start_uninstaller
need "the linked install directory's welcome page shown" driver wait welcome 20000
driver click welcome 1
need "the gauge's message shown" driver wait notice 60000
notice=$(driver text notice 65535)
[ "${notice#The file PERCENT.DLL cannot be loaded}" != "$notice" ] && pass "the gauge's message" || fail "notice: $notice"
driver click notice 1
wait_exit 20 || fail "the program did not end"
settle dirlink-pages
diff <(grep '^\./QORREAL/' "$WORK/linked.files") <(grep '^\./QORREAL/' "$WORK/dirlink-pages.files") >/dev/null &&
  pass "through the pages, every file of the linked folder unchanged" || fail "files of the linked folder changed"
check "no working copy of the gauge library behind the link" test ! -e "$C/QORREAL/GAUGE321.DLL"
finish
