#!/usr/bin/env bash
# An install directory with a blank, and no group of the package's in the
# shell any more (as after a run that was cut off once the group had gone):
# no notice, since the shell's own list shows the group gone, and after
# Restart the system's own restart-time deletion takes QORDELET.EXE and the
# directory, which the batch cannot name.
. "$(dirname "$0")/e2e.sh" blank_dir
PKG="$C/QOR Brackenfield"
setup '/dir:C:\QOR Brackenfield' /nogroup

start_uninstaller External
need "completion page shown" driver wait complete 60000
check "no notice on the way" test -z "$(driver wait notice 100 && echo shown)"
[ "$(driver text complete 1002)" = "$(printf 'Brackenfield Program Group\nPrinter Settings from Windows')" ] &&
  pass "the group is listed as gone" || fail "group line: $(driver text complete 1002)"
check "no Program Manager left open" not shown PMMain
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
need "the restart ended the program" wait_exit 30
w wineboot -r || true
check "QORDELET.EXE deleted at the restart" test ! -e "$PKG/QORDELET.EXE"
check "install directory removed at the restart" test ! -e "$PKG"
finish
