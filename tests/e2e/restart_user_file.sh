#!/usr/bin/env bash
# Restart while the install directory still holds files of the user's, the
# log's second directory entry names a folder too long for its field (so the
# entry after it must keep its place), and winstart.bat holds an earlier
# uninstall's block with another program's lines after it.
. "$(dirname "$0")/e2e.sh" restart_user_file
setup /longspool /winstart
echo "my notes" >"$PKG/MYNOTES.TXT"
batch_before=$(cat "$WIN/winstart.bat")

start_uninstaller External
need "completion page shown" driver wait complete 60000
check "the user's letter kept" test "$(tr -d '\r' <"$PKG/FONTS/TTFONTS/LETTER.DOC" 2>/dev/null)" = "Dear user"
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
need "the restart ended the program" wait_exit 30
check "the user's batch kept whole as oldstart.bat" test "$(cat "$WIN/oldstart.bat" 2>/dev/null)" = "$batch_before"
last=$(tail -c 200 "$WIN/winstart.bat" | tr -d '\r' | tail -n 1)
check "winstart.bat ends by restoring the user's batch" \
  test "$last" = 'move /y C:\windows\oldstart.bat C:\windows\winstart.bat'
w wineboot -r || true
check "QORDELET.EXE deleted at the restart" test ! -e "$PKG/QORDELET.EXE"
check "the user's file kept" test "$(cat "$PKG/MYNOTES.TXT" 2>/dev/null)" = "my notes"
finish
