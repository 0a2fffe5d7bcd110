# Shared helpers of the end-to-end tests: the real executables, driven through Wine's virtual
# desktop with xdotool, inspected with the probe helper, the registry and screenshots.
# E2E_APP names the program under test: VaristepDemo (the default), or VaristepMonitor, which
# runs unchanged on the emulated processor of tests/emulator.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$ROOT/tools/wine-env"
vs_wine_target "${VS_WINE_TARGET:-i686}" || exit 1
BUILD="${VARISTEP_BUILD:-$(vs_build_dir "$VS_WINE_TARGET")}"
PROBE="${PROBE:-$BUILD/tests/e2e/vs_probe.exe}"
SHOTS="${SHOTS:-$BUILD/e2e}"
mkdir -p "$SHOTS"
[ -n "${DISPLAY:-}" ] || { echo "e2e: no display" >&2; exit 1; }
[ -f "$PROBE" ] || { echo "e2e: no probe at $PROBE" >&2; exit 1; }
"$ROOT/tools/wine-prefix" || exit 1
APP="${E2E_APP:-VaristepDemo}"
HARNESS="${HARNESS:-$BUILD/tests/emulator/vs_harness.exe}"
OBJDUMP="${OBJDUMP:-$VS_WINE_TARGET-w64-mingw32-objdump}"
real() { [ "$APP" = VaristepMonitor ]; }
# A control or command id by its name in resource.h, so that a renumbered id follows along.
rid() {
  local id
  id=$(awk -v n="$1" '$1 == "#define" && $2 == n { print $3; exit }' "$ROOT/src/resources/resource.h")
  [ -n "$id" ] || { echo "e2e: no id $1 in resource.h" >&2; echo 0; return 1; }
  echo "$id"
}
IDOK=1  # Windows' own
# Each program's pictures and logs apart, as both run the same scripts.
real && SHOTS="$SHOTS/real" && mkdir -p "$SHOTS"

# The notification area's first icon in the 800x600 virtual desktop.
TRAY_X=789
TRAY_Y=590

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() { if eval "$2"; then pass "$1"; else fail "$1"; fi; }
finish() {
  stop_all
  if [ "$failures" -eq 0 ]; then echo "e2e: all checks passed"; exit 0; fi
  echo "e2e: $failures check(s) failed"; exit 1
}

probe() { wine "$PROBE" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
shot() { /usr/bin/import -window root "$SHOTS/$1.png" 2>/dev/null; }
key() { xdotool key --delay 120 "$@"; }

# The program's settings key, and one value from it ("" when absent).
settings_key() { echo "HKCU\\Software\\Corvalith\\$1\\Settings"; }
reg_value() {  # a REG_DWORD as a signed decimal number
  local hex
  hex=$(wine reg query "$(settings_key "$1")" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n && $2 == "REG_DWORD" { print $3 }')
  [ -n "$hex" ] || return 0
  local v=$((hex))
  [ "$v" -ge 2147483648 ] && v=$((v - 4294967296))
  echo "$v"
}
clear_settings() { wine reg delete "HKCU\\Software\\Corvalith\\$1" /f >/dev/null 2>&1 || true; }
set_setting() { wine reg add "$(settings_key "$1")" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1; }

# Starts a program from the build folder (so readme.htm is beside it); its exit status lands in
# $SHOTS/<tag>.status (the tag defaults to the program's name), and what Wine logged in
# $SHOTS/<tag>.log.
start() {
  local name=$1 tag=${2:-$1}
  rm -f "$SHOTS/$tag.status"
  (cd "$BUILD" && wine "./$name.exe" >/dev/null 2>"$SHOTS/$tag.log"; echo $? >"$SHOTS/$tag.status") &
}
# The RVAs of the real program's CPUID instructions, found in its disassembly, as --site options.
cpuid_sites() {
  local exe="$BUILD/VaristepMonitor.exe" base address
  base=$("$OBJDUMP" -p "$exe" | awk '$1 == "ImageBase" { print $2 }')
  for address in $("$OBJDUMP" -d "$exe" | awk -F'\t' '$3 ~ /^cpuid/ { sub(/:$/, "", $1); print $1 }'); do
    printf -- '--site 0x%x ' $((16#$address - 16#$base))
  done
}
# Starts the program under test: start_app [tag] [harness options...]. The real program runs
# under the harness, whose report (the driver's request log and what it answered) lands in
# $SHOTS/<tag>.report.
start_app() {
  local tag=${1:-$APP}
  shift || true
  if ! real; then
    start VaristepDemo "$tag"
    return
  fi
  [ -n "${SITES+set}" ] || SITES=$(cpuid_sites)
  rm -f "$SHOTS/$tag.status" "$SHOTS/$tag.report"
  # shellcheck disable=SC2086 # the sites are options
  (cd "$BUILD" && wine "$HARNESS" $SITES --report "Z:$SHOTS/$tag.report" "$@" VaristepMonitor.exe \
    >/dev/null 2>"$SHOTS/$tag.log"; echo $? >"$SHOTS/$tag.status") &
}
exit_status() {  # exit_status <tag> [seconds]: waits for the program to end
  local name=$1 i
  for i in $(seq 1 $((${2:-10} * 10))); do
    [ -s "$SHOTS/$name.status" ] && { cat "$SHOTS/$name.status"; return 0; }
    sleep 0.1
  done
  echo "running"
}
# The processes of this test's Wine prefix, and no one else's, whose command line matches a
# pgrep pattern: prefix_pids [pattern] (both programs by default)
prefix_pids() {
  local pid
  for pid in $(pgrep -f "${1:-Varistep(Demo|Monitor)[0-9]*\.exe}"); do
    [ "$pid" = "$$" ] && continue
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
# Ends them: stop_all [pattern]
stop_all() {
  local pids
  pids=$(prefix_pids "$@")
  [ -z "$pids" ] && return 0
  kill $pids 2>/dev/null
  sleep 0.5
}

tray_menu() {  # opens the tray icon's popup menu
  xdotool mousemove $TRAY_X $TRAY_Y click 3
  sleep 0.8
}
# Clicks an item of the open popup menu, placed by the items and separators above it:
# menu_pick <items> <separators>. In the prefix's menu font an item is 17 pixels high, a
# separator 9, and the frame 3. While the window is in the tray, Wine gives the popup no keyboard
# focus, so this is how a user chooses there.
menu_pick() {
  local rect l t r b
  rect=$(probe list | awk '/class="#32768"/ && /visible=1/ { sub(/.*rect=/, ""); sub(/ .*/, ""); print; exit }')
  [ -n "$rect" ] || return 1
  IFS=, read -r l t r b <<<"$rect"
  xdotool mousemove $(((l + r) / 2)) $((t + 3 + $1 * 17 + $2 * 9 + 8)) click 1
  sleep 0.5
}
tray_double_click() {
  xdotool mousemove $TRAY_X $TRAY_Y click --repeat 2 --delay 80 1
  sleep 0.8
}

# The screen rectangle "left,top,right,bottom" of a control of the visible window with this title:
# control_rect <title> <id>
control_rect() {
  probe list | awk -v t="title=\"$1\"" -v t2="title=\"$1 \"" -v id="child id=$2 " '
    index($0, "window ") == 1 { inside = (index($0, t) || index($0, t2)) && index($0, "visible=1") > 0 && !index($0, "tooltips_class32"); next }
    inside && index($0, id) && match($0, /rect=[-0-9]+,[-0-9]+,[-0-9]+,[-0-9]+/) {
      print substr($0, RSTART + 5, RLENGTH - 5); exit }'
}
# Clicks the middle of a control of the visible window with this title: click_control <title> <id>
click_control() {
  local rect
  rect=$(control_rect "$1" "$2")
  [ -n "$rect" ] || return 1
  IFS=, read -r l t r b <<<"$rect"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
  sleep 0.3
}
# Pixels of one colour in a part of a screenshot: count_colour <shot> <hex colour> <geometry>
count_colour() {
  /usr/bin/convert "$SHOTS/$1.png" -crop "$3" +repage -fill black +opaque "$2" -fill white \
    -opaque "$2" -format "%[fx:round(mean*w*h)]" info: 2>/dev/null
}
# The text of a control of the visible window with this title: control_text <title> <id>
control_text() {
  probe list | awk -v t="title=\"$1\"" -v t2="title=\"$1 \"" -v id="child id=$2 " '
    index($0, "window ") == 1 { inside = (index($0, t) || index($0, t2)) && index($0, "visible=1") > 0 && !index($0, "tooltips_class32"); next }
    inside && index($0, id) { sub(/.*text="/, ""); sub(/" visible=.*/, ""); print; exit }'
}
# A number the probe prints for a control (items, count, selection, check): control_field ...
control_field() {
  probe list | awk -v t="title=\"$1\"" -v t2="title=\"$1 \"" -v id="child id=$2 " -v f=" $3=" '
    index($0, "window ") == 1 { inside = (index($0, t) || index($0, t2)) && index($0, "visible=1") > 0 && !index($0, "tooltips_class32"); next }
    inside && index($0, id) { i = index($0, f); if (i) { s = substr($0, i + length(f)); sub(/[^0-9-].*/, "", s); print s }; exit }'
}
