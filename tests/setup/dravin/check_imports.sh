#!/usr/bin/env bash
# Fails unless the executable imports system modules only (those every supported Windows has).
# Usage: check_imports.sh OBJDUMP EXECUTABLE
set -euo pipefail
allowed=" KERNEL32.DLL USER32.DLL ADVAPI32.DLL MSVCRT.DLL VERSION.DLL "
modules=$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
[ -n "$modules" ] || { echo "no imports found in $2"; exit 1; }
status=0
for module in $modules; do
  case "$allowed" in
    *" $module "*) ;;
    *) echo "not a system module: $module"; status=1 ;;
  esac
done
echo "imports:" $modules
exit $status
