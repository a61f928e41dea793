#!/usr/bin/env bash
# Checks a build of ZelkDMDControl.exe statically: a GUI-subsystem program
# that imports only DLLs every Windows has (the runtimes are linked in, and
# the DMD device library is loaded by the program itself, so that a missing
# one gets a message instead of the system's refusal).
# Usage: check_program_tables.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump=$1
program=$2
dump=$("$objdump" -p "$program")

if ! grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$dump"; then
  echo "FAIL $program is not a GUI-subsystem program"
  exit 1
fi
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|windowscodecs|msvcrt)\.dll$'
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
for name in $imports; do
  lower=$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')
  if ! [[ $lower =~ $allowed ]]; then
    echo "FAIL $program imports $name, which is not a system DLL"
    exit 1
  fi
done
echo "$program: GUI subsystem; imports: $(echo $imports)"
