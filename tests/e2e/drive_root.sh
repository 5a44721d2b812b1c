#!/usr/bin/env bash
# A package without folders of its own ([Dirs] 1=. 2=WINDOWS 3=SYSTEM)
# installed in the drive root: only the files the log lists go.
. "$(dirname "$0")/e2e.sh" drive_root
PKG=$C
setup '/dir:C:\' /files:30 /dirs:3

run_external_to_restart
qor_fresh_session
snapshot after
check "the listed files went" test -z "$(find "$C" -maxdepth 1 -name 'F*.DAT')"
check_only_changes '\./(F[0-9]+\.DAT|GAUGE32\.DLL|QVSETUP\.INF)$'
finish
