#!/usr/bin/env bash
# Started with External: no welcome page; the removal runs at once, then the
# completion page, Finish, and Restart on the prompt. The batch is written and
# the reboot requested, which ends the session's programs.
. "$(dirname "$0")/e2e.sh" external_restart
setup

start_uninstaller External
need "progress dialog shown at once" driver wait progress 20000
check "no welcome page" test -z "$(driver wait welcome 100 && echo shown)"
need "completion page shown" driver wait complete 60000
driver click complete 1
need "restart prompt shown" driver wait prompt 20000
driver click prompt 107
# The reboot ends every program of the session, the doubles too.
wait_exit 30 && pass "the restart ended the program" || fail "program still running after Restart"
sleep 1
check "the prompt did not come back" test -z "$(driver wait prompt 100 && echo shown)"

expected=$(printf '%s\r\n' '@echo off' \
  'if exist C:\QOR4400\QORDELET.EXE del C:\QOR4400\QORDELET.EXE' \
  'if exist gauge32.dll del gauge32.dll' 'if exist qvwpd.exe del qvwpd.exe' \
  'if not exist C:\QOR4400\*.* rmdir C:\QOR4400'; printf '%s' 'del C:\windows\winstart.bat')
[ "$(cat "$WIN/winstart.bat" 2>/dev/null)" = "$expected" ] && pass "winstart.bat holds the six commands" ||
  { fail "winstart.bat:"; cat -A "$WIN/winstart.bat" 2>/dev/null | head -10; }

# Windows restarts (Wine's reboot request already did, and wineboot -r does
# it again); on NT the system deletes what was queued for the restart.
w wineboot -r || true
check "QORDELET.EXE deleted at the restart" test ! -e "$PKG/QORDELET.EXE"
check "install directory removed at the restart" test ! -e "$PKG"
finish
