#!/usr/bin/env bash
# The instruction gate: no shipped program may hold an instruction newer than the Pentium's, as
# listed in the reviewed list. Only the code sections are disassembled, so data is never read as
# code. Where <exe>'s map (<exe> with .map for .exe) is found, a finding names its function.
#   check.sh <objdump> <forbidden list> <exe>...
set -u
objdump=$1 forbidden=$2
shift 2
cxxfilt=${objdump%objdump}c++filt
demangle() { if command -v "$cxxfilt" >/dev/null; then "$cxxfilt" -n <<<"$1"; else echo "$1"; fi; }
failures=0
for exe in "$@"; do
  name=$(basename "$exe")
  headers=$("$objdump" -h "$exe") || { echo "FAIL: cannot read $exe"; failures=$((failures + 1)); continue; }
  # A section line is followed by its flags; CODE marks the ones that hold instructions.
  sections=$(awk '/^ *[0-9]+ / { section = $2; next } /CODE/ && section != "" { print section } { section = "" }' <<<"$headers")
  if [ -z "$sections" ]; then echo "FAIL: $name: no code section"; failures=$((failures + 1)); continue; fi
  args=()
  for section in $sections; do args+=(-j "$section"); done
  map=${exe%.exe}.map
  [ -f "$map" ] || map=/dev/null
  # Address, function and object of every code symbol and input section the map lists.
  symbols=$(awk '
    function hex(s,   v, i) {
      v = 0; s = tolower(s); sub(/^0x/, "", s)
      for (i = 1; i <= length(s); ++i) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
      return v
    }
    /^ \.text/ { section = $1; if (NF >= 4) { address = $2; object = $4 } else { pending = 1 }
                 if (NF < 4) next }
    pending && $1 ~ /^0x/ { address = $1; object = $3; pending = 0 }
    section != "" && address != "" {
      sub(/^.*\//, "", object)
      function_name = section; sub(/^\.text[$.]?/, "", function_name)
      if (function_name != "") print hex(address), function_name, object
      else print hex(address), "?", object
      address = ""; next }
    /^                0x[0-9a-f]+ +[^ ]+$/ && object != "" { print hex($1), $2, object }
  ' "$map" 2>/dev/null | sort -n -k1,1)
  code=$("$objdump" -d --no-show-raw-insn "${args[@]}" "$exe")
  findings=$(awk -v listfile="$forbidden" '
    BEGIN {
      while ((getline line < listfile) > 0) {
        if (line ~ /^[ \t]*(#|$)/) continue
        split(line, f, /[ \t]+/)
        re = f[1]; gsub(/\./, "\\.", re); gsub(/\*/, "[a-z0-9]*", re); gsub(/\?/, "[a-z0-9]", re)
        if (substr(re, 1, 1) == "%") { registers[++nr] = re "([^a-z0-9]|$)"; shown[nr] = f[1] }
        else mnemonics[++nm] = "^" re "$"
      }
    }
    /^ *[0-9a-f]+:\t/ {
      address = $1; sub(/:$/, "", address)
      text = $0; sub(/^ *[0-9a-f]+:\t/, "", text); sub(/ *<[^>]*>/, "", text); sub(/ *#.*$/, "", text)
      n = split(text, words, /[ \t]+/)
      for (w = 1; w <= n; ++w) {
        if (words[w] !~ /^[a-z][a-z0-9]*$/) continue
        for (i = 1; i <= nm; ++i) if (words[w] ~ mnemonics[i]) { print address, words[w]; next }
      }
      for (i = 1; i <= nr; ++i) if (text ~ registers[i]) { print address, words[1] " on " shown[i]; next }
    }' <<<"$code")
  if [ -n "$findings" ]; then
    while read -r address what; do
      where=$(awk -v a="$(( 16#$address ))" '$1 <= a { last = $2 " (" $3 ")" } $1 > a { exit } END { print last }' <<<"$symbols")
      if [ -n "$where" ]; then
        function_name=${where%% *}
        echo "FAIL: $name: $what in $(demangle "$function_name") ${where#* } at 0x$address"
      else
        echo "FAIL: $name: $what at 0x$address"
      fi
      failures=$((failures + 1))
    done <<<"$findings"
  fi
  count=$(grep -c $'^ *[0-9a-f]*:\t' <<<"$code")
  # A program of ours has thousands; a handful means the disassembly went wrong.
  if [ "$count" -lt 1000 ]; then echo "FAIL: $name: only $count instructions read"; failures=$((failures + 1)); fi
  echo "$name: $count instructions in $sections checked"
done
if [ "$failures" -eq 0 ]; then echo "instructions: all within the Pentium's"; exit 0; fi
echo "instructions: $failures finding(s)"
exit 1
