#!/usr/bin/env bash
# An install directory with a blank, and no group of the package's in the
# shell: message 1010, a completion page that does not name the group, and
# after Restart the system's own restart-time deletion takes QORDELET.EXE and
# the directory, which the batch cannot name.
. "$(dirname "$0")/e2e.sh" blank_dir
PKG="$C/QOR Brackenfield"
setup '/dir:C:\QOR Brackenfield' /nogroup

start_uninstaller External
need "group notice shown" driver wait notice 30000
[ "$(driver text notice 65535)" = "Cannot remove Brackenfield group from Program Manager." ] &&
  pass "notice 1010" || fail "notice: $(driver text notice 65535)"
driver click notice 1
need "completion page shown" driver wait complete 60000
[ "$(driver text complete 1002)" = "Printer Settings from Windows" ] && pass "the group is not listed" ||
  fail "group line: $(driver text complete 1002)"
check "no Program Manager left open" not shown PMMain
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
need "the restart ended the program" wait_exit 30
w wineboot -r || true
check "QORDELET.EXE deleted at the restart" test ! -e "$PKG/QORDELET.EXE"
check "install directory removed at the restart" test ! -e "$PKG"
finish
