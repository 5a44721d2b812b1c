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

check_removed after
# Nothing else in drive_c changed: only the package's files went, and only the
# two INI files changed, with their .000 copies added.
check_only_changes '\./(QOR4400/|windows/(Q44|QOR4400|VORN))'
# The user's lines longer than any buffer, beside package patterns, kept.
winini=$(tr -d '\r' <"$(win_file win.ini)")
wide="Wide Printer=PSCRIPT,$(printf 'x%.0s' $(seq 190)),LPT1:=VORNPS"
for kept in "$wide" '[mail]' 'MAPI32=1'; do
  grep -qxF -- "$kept" <<<"$winini" && pass "WIN.INI kept the whole line ${kept:0:40}" ||
    fail "WIN.INI lost the user's line ${kept:0:40}"
done
finish
