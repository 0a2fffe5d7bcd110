#!/usr/bin/env bash
# The import gate: every function a shipped program imports must be on the reviewed list, and the
# PE header must ask for Windows 4.0, or the program does not load on Windows 98 SE, 2000 or XP.
#   check.sh <objdump> <allowed list> <exe>...
set -u
objdump=$1 allowed=$2
shift 2
failures=0
for exe in "$@"; do
  dump=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; failures=$((failures + 1)); continue; }
  name=$(basename "$exe")
  imports=$(awk '
    /DLL Name:/ { dll = tolower($3); next }
    dll != "" && /^\t[0-9a-f]+\t/ && NF >= 3 { print dll, $3 }' <<<"$dump" | sort -u)
  count=$(wc -l <<<"$imports")
  [ "$count" -gt 20 ] || { echo "FAIL: $name: only $count imports read; is this a PE file?"; failures=$((failures + 1)); }
  while read -r dll function; do
    [ -n "$dll" ] || continue
    if ! grep -qxF "$dll $function" <(grep -v '^#' "$allowed"); then
      echo "FAIL: $name imports $function from $dll, which is not on $(basename "$allowed")"
      failures=$((failures + 1))
    fi
  done <<<"$imports"
  for field in MajorOSystemVersion MajorSubsystemVersion; do
    value=$(awk -v f="$field" '$1 == f { print $2 }' <<<"$dump")
    if [ "$value" != 4 ]; then
      echo "FAIL: $name: $field is ${value:-missing}, not 4"
      failures=$((failures + 1))
    fi
  done
  echo "$name: $count imports checked"
done
if [ "$failures" -eq 0 ]; then echo "imports: all allowed"; exit 0; fi
echo "imports: $failures problem(s)"
exit 1
