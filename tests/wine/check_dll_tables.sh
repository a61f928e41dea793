#!/usr/bin/env bash
# Checks a build of the plug-in statically: its export table holds exactly the
# entry points of the interface's list (include/dmddevice.h) under their plain names (no "_Name" or "Name@8"
# decoration, which an x86 host would not find), and it imports only DLLs
# that every Windows has (the C and C++ runtimes are linked in).
# Usage: check_dll_tables.sh OBJDUMP PLUGIN.dll DMDDEVICE.H
set -euo pipefail
objdump=$1
dll=$2
header=$3
dump=$("$objdump" -p "$dll")

# The names of the list's entries: "X(result, Name, ...".
expected=$(sed -n 's/^[[:space:]]*X([a-z]*, \([A-Za-z_0-9]*\),.*/\1/p' "$header" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
count=$(printf '%s\n' $expected | wc -l)
[ "$count" -ge 17 ] || { echo "FAIL: only $count entry points read from $header"; exit 1; }
exports=$(printf '%s\n' "$dump" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$exports" != "$expected" ]; then
  echo "FAIL $dll exports:"
  echo "  got:      $exports"
  echo "  expected: $expected"
  exit 1
fi

allowed='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|msvcrt|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'
bad=0
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
for name in $imports; do
  lower=$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')
  if ! [[ $lower =~ $allowed ]]; then
    echo "FAIL $dll imports $name, which is not a system DLL"
    bad=1
  fi
done
[ $bad -eq 0 ] || exit 1
echo "$dll: $count plain exports; imports: $(echo $imports)"
