#!/usr/bin/env bash
# What ships: QORDELET.EXE at most 100 KB and GAUGE32.DLL at most 24 KB, both
# 32-bit programs for every Windows (i386), and both import nothing but DLLs
# that every Windows has.
# size.sh BIN OBJDUMP
set -u
bin=$1 objdump=$2
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|WINSPOOL\.DRV|SHLWAPI|LZ32|MSVCRT)(\.DLL)?$'
failures=0
for row in "QORDELET.EXE 102400" "GAUGE32.DLL 24576"; do
  set -- $row
  size=$(stat -c %s "$bin/$1" 2>/dev/null || echo missing)
  if [ "$size" = missing ]; then echo "FAIL: $1 missing"; failures=$((failures + 1)); continue; fi
  [ "$size" -le "$2" ] && echo "ok: $1 $size bytes (limit $2)" ||
    { echo "FAIL: $1 is $size bytes, over $2"; failures=$((failures + 1)); }
  format=$("$objdump" -f "$bin/$1" | sed -n 's/.*file format //p')
  [ "$format" = pei-i386 ] && echo "ok: $1 is $format" ||
    { echo "FAIL: $1 is ${format:-unreadable}, not pei-i386"; failures=$((failures + 1)); }
  imports=$("$objdump" -p "$bin/$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z')
  [ -n "$imports" ] || { echo "FAIL: no imports read from $1"; failures=$((failures + 1)); }
  for dll in $imports; do
    grep -qE "$allowed" <<<"$dll" && echo "ok: $1 imports $dll" ||
      { echo "FAIL: $1 imports $dll"; failures=$((failures + 1)); }
  done
done
exit $((failures > 0))
