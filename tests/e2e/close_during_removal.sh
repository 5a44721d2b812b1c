#!/usr/bin/env bash
# Closing the backdrop (Alt+F4) while the removal runs: the quit message is
# taken by the removal's own message pump, and the program must still end,
# with exit code 0 and no completion page.
. "$(dirname "$0")/e2e.sh" close_during_removal
setup

start_uninstaller External
need "progress dialog shown" driver wait progress 20000
driver close backdrop
wait_exit 20 && pass "the program ended" || fail "the program is still running after its window closed"
check "exit code 0" test "$(cat "$WORK/exit.code" 2>/dev/null)" = 0
check "no completion page" test -z "$(driver wait complete 100 && echo shown)"
finish
