#!/usr/bin/env bash
# What ships, run as a user runs it: QORDELET.EXE and GAUGE32.DLL of
# build/bin, the i686 build, whichever build the other tests run. The
# sample package is laid out as its 32-bit installer lays it (the drivers in
# the "Windows NT x86" environment, VORNGDI.DRV and VORNPRNT.DLL in the
# 32-bit system directory as well), in a prefix with a 32-bit side:
#   - the files are the i686 build's (PE32, Intel 80386), and the installed
#     ones are they;
#   - /S /LOG: 3010, no window, the end state of a whole removal (files, INI
#     files, printers and their x86 drivers, key, the group deleted through
#     the shell's service), the two files gone from the 32-bit system
#     directory, a log that names it all, and QORDELET.EXE queued for the
#     next start, which deletes it;
#   - the pages with Restart: the progress dialog with the shipped gauge,
#     the restart requested, and the next start taking the rest.
# A prefix with a 32-bit side: the x86-64 build's tests make theirs
# without one, so this run makes its own once (scripts/lib.sh).
if [ "${QOR_ARCH:-}" = x86_64 ] && [ -n "${QOR_WOW64_PREFIX:-}" ]; then
  . "$(dirname "$0")/../../scripts/lib.sh"
  qor_prepare_prefix "$QOR_WOW64_PREFIX" unmanaged with-32-bit || exit 1
  qor_stop_prefix
fi
QOR_BASE_PREFIX=${QOR_WOW64_PREFIX:-${QOR_BASE_PREFIX:-}}
. "$(dirname "$0")/e2e.sh" shipped_i686
# A crash ends the program at once: under qemu-i386 the debugger would wait
# for ever.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winedbg.exe=d"
OBJDUMP=${QOR_SHIPPED_OBJDUMP:-i686-w64-mingw32-objdump}

setup /x86
# What ships: named, with what it is (objdump, and the file tool where there
# is one); a file that the i686 objdump cannot read is no i686 build.
for f in QORDELET.EXE GAUGE32.DLL; do
  format=$("$OBJDUMP" -f "$SHIPPED/$f" 2>/dev/null | sed -n 's/.*file format //p') || true
  kind=$(file -b "$SHIPPED/$f" 2>/dev/null) || kind=
  echo "shipped file run: $SHIPPED/$f: ${format:-not read by $(basename "$OBJDUMP")}${kind:+, $kind}" |
    tee -a "$WORK/ran.txt"
  [ "$format" = pei-i386 ] && pass "$f is the shipped i686 build (pei-i386)" ||
    fail "$f is not what ships (the i686 build): ${kind:-${format:-unreadable}}"
done
check "the installed QORDELET.EXE is the shipped one" cmp "$PKG/QORDELET.EXE" "$SHIPPED/QORDELET.EXE"
check "the installed GAUGE32.DLL is the shipped one, compressed" cmp "$PKG/GAUGE32.DLL" "$WORK/payload/GAUGE32.DL_"
# As the 32-bit installer laid it.
SYSTEM32=$(find "$WIN" -maxdepth 1 -iname syswow64 -print -quit)
[ -n "$SYSTEM32" ] || SYSTEM32=$(find "$WIN" -maxdepth 1 -iname system32 -print -quit)
for f in VORNGDI.DRV VORNPRNT.DLL; do check "$f in the 32-bit system directory" test -e "$SYSTEM32/$f"; done
x86_drivers='Environments\\\\Windows NT x86\\\\Drivers\\\\Version-3\\\\'
check "the package's drivers in the x86 environment" grep -q "${x86_drivers}QOR Brackenfield 4400\]" "$WORK/before.system.reg"
check "the user's driver in the x86 environment" grep -q "${x86_drivers}Office Laser Driver\]" "$WORK/before.system.reg"
[ -z "$(grep 'Drivers\\\\Version-3\\\\QOR' "$WORK/before.system.reg" | grep -v "$x86_drivers")" ] &&
  pass "no driver of the package's in another environment" || fail "a driver of the package's in another environment"
keep_installed

# Unattended, with the log outside drive_c, where no file may change.
restore
start_components
unattended silent "/S /LOG=\"$(win_path "$WORK/qor.log")\""
[ "$(exit_of silent)" = 3010 ] && pass "exit code 3010" || fail "exit code: $(exit_of silent)"
no_window silent && pass "no window became visible" || fail "windows shown: $(grep '^shown:' "$WORK/silent.run")"
queued_for_next_start 'QOR4400\\QORDELET\.EXE' && pass "QORDELET.EXE is queued for the next start" ||
  fail "QORDELET.EXE is not queued for the next start"
# The session ended, the registry on the disk, and no next start yet.
wineserver -k
snapshot after
check_removed after
check_only_changes "\\./(QOR4400/|windows/(Q44|QOR4400|VORN)|${SYSTEM32#"$C"/}/VORN)"
for f in VORNGDI.DRV VORNPRNT.DLL; do check "$f removed from the 32-bit system directory" test ! -e "$SYSTEM32/$f"; done
check_action_log "$WORK/qor.log" after
settle next
check "QORDELET.EXE went at the next start" test ! -e "$PKG/QORDELET.EXE"

# Through the pages, with Restart.
restore
start_components
rm -f "$WORK/exit.code"
start_uninstaller "/LOG=$(win_path "$WORK/pages.log")"
need "welcome page shown" driver wait welcome 60000
driver click welcome 1
need "progress dialog shown, with the shipped gauge" driver wait progress 30000
need "completion page shown" driver wait complete 120000
driver click complete 1
need "restart prompt shown" driver wait prompt 30000
driver click prompt 107
wait_exit 60 && pass "the restart ended the program" || fail "program still running after Restart"
# The restart request may already have carried out the system's list.
check "Restart queued QORDELET.EXE" grep -q -F 'Queued for deletion at the next start of Windows: C:\QOR4400\QORDELET.EXE' "$WORK/pages.log"
carried_early=
queued_for_next_start 'QOR4400\\QORDELET\.EXE' || carried_early=1
# The machine goes down, every program with it, and starts again.
wineserver -k 2>/dev/null || true
w wineboot -r || true
check "QORDELET.EXE deleted at the restart" test ! -e "$PKG/QORDELET.EXE"
check "Restart queued the install directory" grep -q -x -F 'Queued for deletion at the next start of Windows: C:\QOR4400' \
  <(tr -d '\r' <"$WORK/pages.log")
# Wine's restart request can carry out the list itself while it ends the
# program: the 32-bit program may still hold QORDELET.EXE open then, so the
# folder is not empty yet when its turn comes, and the list is gone before
# the next start. NT carries it out at the next start, with nothing running.
# Only an empty folder whose entry had gone before the next start counts as
# that.
if [ -n "$carried_early" ] && [ -d "$PKG" ] && [ -z "$(ls -A "$PKG")" ]; then
  pass "install directory queued; Wine carried out the list while the program was ending and left it empty"
else
  check "install directory removed at the restart" test ! -e "$PKG"
fi
echo "shipped_i686 took $SECONDS s" | tee -a "$WORK/ran.txt"
finish
