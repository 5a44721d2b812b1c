#!/usr/bin/env bash
# An install directory of 66 characters, whose first 65 name another
# directory with a setup log of its own: the whole one is read, and nothing
# of the other is touched.
. "$(dirname "$0")/e2e.sh" long_dir
name=$(printf 'Q%.0s' $(seq 62))
PKG=$C/${name}X
setup "/dir:C:\\${name}X"
mkdir -p "$C/$name"
printf '[Dirs]\r\n1=.\r\n2=WINDOWS\r\n3=SYSTEM\r\n[Files]\r\nOTHER.DAT,1,,0,1,Y\r\n[End]\r\n' >"$C/$name/QVSETUP.INF"
echo "another package" >"$C/$name/OTHER.DAT"
cp "$PKG/GAUGE32.DLL" "$C/$name/"

run_external_to_restart
check "the package's files went" test ! -e "$PKG/README.TXT"
check "the other directory's file kept" test -e "$C/$name/OTHER.DAT"
check "the other directory's log kept" test -e "$C/$name/QVSETUP.INF"
finish
