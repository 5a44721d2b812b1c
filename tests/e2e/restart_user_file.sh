#!/usr/bin/env bash
# Restart while the install directory still holds a file of the user's: the
# restart deletes QORDELET.EXE, and the directory stays with the user's file.
. "$(dirname "$0")/e2e.sh" restart_user_file
setup
echo "my notes" >"$PKG/MYNOTES.TXT"

start_uninstaller External
need "completion page shown" driver wait complete 60000
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
need "the restart ended the program" wait_exit 30
w wineboot -r || true
check "QORDELET.EXE deleted at the restart" test ! -e "$PKG/QORDELET.EXE"
check "the user's file kept" test "$(cat "$PKG/MYNOTES.TXT" 2>/dev/null)" = "my notes"
finish
