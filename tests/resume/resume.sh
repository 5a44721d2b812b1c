#!/usr/bin/env bash
# A run cut off at any moment loses nothing, and running QORDELET.EXE again
# finishes the removal. On an install with 400 more package files and a
# large WIN.INI of the user's, qorcut.exe (QORDELET.EXE with the places
# where it can be stopped linked in) is stopped at each moment below and the
# whole Wine session is killed, as a power cut would. Then:
#   - SYSTEM.INI is its old text or its new one, byte for byte;
#   - every line of the user's is in WIN.INI;
#   - QORDELET.EXE External reaches its completion page and leaves exactly
#     what a run that was never cut off leaves: the same files, byte for
#     byte, External Printers counted down once;
#   - a further run changes no file (checked after the last cut).
. "$(dirname "$0")/../e2e/e2e.sh" resume
CUTS=${QOR_RESUME_CUTS:-"text:50000 profile:8 delete:0 delete:200 rmdir:2"}
setup /extra:400 /winini:100

# Every run starts from the installed state.
keep_installed
lines() { tr -d '\r' <"$1" | LC_ALL=C sort -u; }
through_the_pages() {
  rm -f "$WORK/exit.code"
  run_external_to_restart
}

old_system=$(win_file system.ini)
cp "$old_system" "$WORK/system.old"
cp "$(win_file win.ini)" "$WORK/win.old"

# The run that is never cut off.
restore
through_the_pages
settle reference
cp "$(win_file system.ini)" "$WORK/system.new"
cp "$(win_file win.ini)" "$WORK/win.new"
check "the uncut run counted External Printers down once" \
  test "$(ini_value "$WORK/win.new" PSCRIPT 'External Printers')" = 2
# The user's lines: those of the old WIN.INI that the uncut run kept.
LC_ALL=C comm -12 <(lines "$WORK/win.old") <(lines "$WORK/win.new") >"$WORK/user.lines"
check "the user's WIN.INI lines are many" test "$(wc -l <"$WORK/user.lines")" -gt 2000

for cut in $CUTS; do
  restore
  rm -f "$WORK/cut.signal"
  QOR_PROGRAM_DESKTOP=
  (cd "$PKG" && QOR_CUT=$cut QOR_CUT_SIGNAL=$(win_path "$WORK/cut.signal") \
     wine "$BIN/qorcut.exe" External </dev/null >/dev/null 2>&1) &
  cutter=$!
  for _ in $(seq 600); do [ -e "$WORK/cut.signal" ] && break; sleep 0.1; done
  if [ ! -e "$WORK/cut.signal" ]; then
    fail "$cut: the run did not reach the moment"
    PROGRAM=qorcut.exe show_screen "$cut"
    continue
  fi
  # The power cut.
  wineserver -k 2>/dev/null || true
  wait "$cutter" 2>/dev/null || true
  settle "cut-$cut"

  now=$(win_file system.ini)
  if cmp -s "$now" "$WORK/system.old" || cmp -s "$now" "$WORK/system.new"; then
    pass "$cut: SYSTEM.INI is whole"
  else
    fail "$cut: SYSTEM.INI is neither its old nor its new text"
  fi
  lost=$(LC_ALL=C comm -23 "$WORK/user.lines" <(lines "$(win_file win.ini)") | wc -l)
  [ "$lost" -eq 0 ] && pass "$cut: every line of the user's is in WIN.INI" ||
    fail "$cut: $lost lines of the user's missing from WIN.INI"

  through_the_pages
  settle "resumed-$cut"
  if cmp -s "$WORK/reference.files" "$WORK/resumed-$cut.files" &&
     cmp -s "$WORK/reference.dirs" "$WORK/resumed-$cut.dirs"; then
    pass "$cut: the run again left exactly what the uncut run leaves"
  else
    fail "$cut: the end state differs from the uncut run's:"
    diff "$WORK/reference.files" "$WORK/resumed-$cut.files" | head -10 || true
    diff "$WORK/reference.dirs" "$WORK/resumed-$cut.dirs" | head -5 || true
  fi
  for key in 'QOR Brackenfield 4400' 'QORBRACKENFIELD_44001EEC'; do
    grep -q "$key" "$WORK/resumed-$cut.system.reg" && fail "$cut: $key is still in the registry" ||
      pass "$cut: $key is gone from the registry"
  done
  check "$cut: the group is gone" test ! -e "$(group_dir 'Brackenfield Printing System')"

  # A further run: the package is gone, the setup log with it. Whichever
  # cut came before, the state is the same by now: once is enough.
  [ "$cut" = "${CUTS##* }" ] || continue
  rm -f "$WORK/exit.code"
  start_uninstaller External
  if driver wait notice 30000 >/dev/null; then
    notice=$(driver text notice 65535)
    [ "$notice" = "$(printf 'The C:\\QOR4400\\QVSETUP.INF file cannot be loaded onto your system.\nBrackenfield cannot be un-installed on your system.')" ] &&
      pass "$cut: a further run finds nothing to load" || fail "$cut: a further run says: $notice"
    driver click notice 1
  else
    fail "$cut: a further run showed no notice"
    show_screen "$cut further run"
  fi
  wait_exit 20 || fail "$cut: the further run did not end"
  settle "again-$cut"
  cmp -s "$WORK/resumed-$cut.files" "$WORK/again-$cut.files" &&
    pass "$cut: the further run changed no file" || fail "$cut: the further run changed files"
done
finish
