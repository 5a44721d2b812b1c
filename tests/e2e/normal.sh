#!/usr/bin/env bash
# The whole run in normal mode: welcome page, Next, progress, completion page,
# Finish, restart prompt, Exit, the closing notice; then every trace it left.
# WIN.INI holds lines of the user's longer than any buffer, beside package
# patterns; the group is in Wine's shell.
. "$(dirname "$0")/e2e.sh" normal
setup /longlines

start_uninstaller
need "welcome page shown" driver wait welcome 20000
driver click welcome 1
need "progress dialog shown" driver wait progress 20000
need "completion page shown" driver wait complete 60000
list=$(driver text complete 1001)
[ "$list" = "$(printf 'PCL Printer Driver\nPostScript Printer Driver\nPrint Monitor Software')" ] &&
  pass "completion list names all three items" || fail "completion list: '$list'"
[ "$(driver text complete 1002)" = "$(printf 'Brackenfield Program Group\nPrinter Settings from Windows')" ] &&
  pass "completion page names the group" || fail "group line: $(driver text complete 1002)"
check "no message on the way" test -z "$(driver wait notice 100 && echo shown)"
check "no Program Manager started" not shown PMMain
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 106
need "closing notice shown" driver wait notice 20000
notice=$(driver text notice 65535)
[ "$notice" = "You should manually remove the remained files from the installed directory." ] &&
  pass "notice 1054" || fail "notice text: '$notice'"
driver click notice 1
wait_exit 20 && [ "$(cat "$WORK/exit.code")" = 0 ] && pass "exit code 0" || fail "program did not exit with 0"
check "no winstart.bat written on Exit" test ! -e "$WIN/winstart.bat"

qor_fresh_session
snapshot after

# Files: everything of the package is gone but QORDELET.EXE, which the batch
# removes after a restart; Windows' own driver files stay.
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

# Nothing else in drive_c changed: only the package's files went, and only the
# two INI files changed, with their .000 copies added.
check_only_changes '\./(QOR4400/|windows/(Q44|QOR4400|VORN))'
check "no temporary work file left" test -z "$(find "$WIN" -maxdepth 1 -iname '*.tmp' -newer "$WORK/before.files")"

# SYSTEM.INI: the package's [386Enh] entries gone, vpd.386 active, the rest
# byte for byte.
sys_expected=$(tr -d '\r' <"$(win_file SYSTEM.000)" |
  grep -v -E '^(device=.*VORNVMI\.386|VornLPT=LPT1)$' | sed 's/^;device=vpd\.386$/device=vpd.386/')
[ "$sys_expected" = "$(tr -d '\r' <"$(win_file system.ini)")" ] && pass "SYSTEM.INI holds exactly the user's entries" ||
  fail "SYSTEM.INI differs from the expected text"
check "SYSTEM.000 holds the old SYSTEM.INI" grep -q VORNVMI "$(win_file SYSTEM.000)"

# WIN.INI: the package's sections and entries gone, the user's kept.
winini=$(tr -d '\r' <"$(win_file win.ini)")
for gone in '[QOR Brackenfield 4400,LPT1:]' '[QOR Brackenfield Model 2890 GDI,LPT1:]' \
            '[QOR 4400 Brackenfield PS2,LPT1:]' '[QOR 4400 Brackenfield PS2,LPT1: Fonts]' \
            'QOR.PCL=' 'QOR.GDI=' 'QOR.PS=' 'QOR Brackenfield 4400=' 'QOR 4400 Brackenfield PS2='; do
  grep -qF -- "$gone" <<<"$winini" && fail "WIN.INI still holds $gone" || pass "WIN.INI lost $gone"
done
wide="Wide Printer=PSCRIPT,$(printf 'x%.0s' $(seq 190)),LPT1:=VORNPS"
for kept in '[Mail]' 'MAPI=1' 'Office Printer=PSCRIPT,LPT2:' '[Office Printer,LPT2:]' 'COM1:=9600,n,8,1,x' \
            'SystemStart=chimes.wav,Windows Start' 'softfonts=0' "$wide" '[mail]' 'MAPI32=1'; do
  grep -qxF -- "$kept" <<<"$winini" && pass "WIN.INI kept the whole line ${kept:0:40}" ||
    fail "WIN.INI lost the user's line ${kept:0:40}"
done
counter=$(ini_value "$(win_file win.ini)" PSCRIPT 'External Printers')
[ "$counter" = 2 ] && pass "External Printers 3 became 2" || fail "External Printers: $counter"
check "WIN.000 holds the old WIN.INI" grep -q 'QOR Brackenfield 4400,LPT1:' "$(win_file WIN.000)"

# [windows] lives in the registry here.
winkey='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
[ "$(reg_value "$winkey" device)" = "Office Printer,PSCRIPT,LPT2:" ] && pass "default printer is the user's again" ||
  fail "device: $(reg_value "$winkey" device)"
[ "$(reg_value "$winkey" run)" = "CALC.EXE" ] && pass "run keeps the user's CALC.EXE only" ||
  fail "run: $(reg_value "$winkey" run)"

# Printers, drivers, key, group, components.
printers=$(grep -o '^\[System\\\\CurrentControlSet\\\\Control\\\\Print\\\\Printers\\\\[^\\]*\]' "$WORK/after.system.reg" | sort -u)
grep -q 'QOR' <<<"$printers" && fail "a package printer remains: $printers" || pass "the three printers are gone"
grep -q 'Office Printer' <<<"$printers" && pass "the user's printer stays" || fail "the user's printer is gone"
grep -q 'Drivers\\\\Version-3\\\\QOR' "$WORK/after.system.reg" && fail "a package driver remains" || pass "the package's drivers are gone"
grep -q 'Drivers\\\\Version-3\\\\Office Laser Driver\]' "$WORK/after.system.reg" && pass "the user's driver stays" || fail "the user's driver is gone"
grep -q 'QORBRACKENFIELD_44001EEC' "$WORK/after.system.reg" && fail "Plug and Play key remains" || pass "Plug and Play key removed with its subkeys"
grep -q 'OFFICELASER_0001' "$WORK/after.system.reg" && pass "sibling key stays" || fail "sibling key removed"
check "Program Manager group deleted from the shell" test ! -e "$(group_dir 'Brackenfield Printing System')"
check "the user's group stays" test -d "$(group_dir Accessories)"
for cls in QVTPClass WinPCLClass SpoolerClass PRINTERSTATUSBOX PanelClass 'Font Monitor'; do
  grep -q "^$cls gone" "$WORK/components.log" && pass "$cls closed" || fail "$cls not closed"
done

# The registry changed only where the package was.
diff "$WORK/before.system.reg" "$WORK/after.system.reg" | grep '^[<>] \[' |
  grep -v -E 'QOR|Enum\\\\LPTENUM\\\\QORBRACKENFIELD' >"$WORK/system.reg.diff" || true
[ ! -s "$WORK/system.reg.diff" ] && pass "no other machine key changed" || fail "machine keys changed: $(head -5 "$WORK/system.reg.diff")"
finish
