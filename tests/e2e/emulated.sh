#!/usr/bin/env bash
# What only the real program can show, on the emulated Zephrin: set-up's requests as the driver
# received them, against the request table below; on the 9x family the clock dividers read
# through the program's own port I/O; and every failure of the driver or the processor, met
# through the real system calls. One run a family: emulated.sh nt | win98 | winme.
export E2E_APP=VaristepMonitor
source "$(dirname "$0")/lib.sh"
family=${1:-nt}
app_key='HKCU\Software\Wine\AppDefaults\VaristepMonitor.exe'
trap 'wine reg delete "$app_key" /f >/dev/null 2>&1' EXIT
wine reg delete "$app_key" /f >/dev/null 2>&1
case $family in
  nt) code=0x9C40E804 opened='\\.\I2CDev flags 0x00000000' ;;
  win98 | winme)
    code=0x00000001 opened='\\.\stpvxd.vxd flags 0x04000000'
    wine reg add "$app_key" /v Version /d "$family" /f >/dev/null 2>&1
    ;;
  *) echo "emulated: unknown family $family" >&2; exit 2 ;;
esac
[ "$VS_WINE_TARGET" = x86_64 ] &&
  echo "64-bit Wine has no 98 mode: no VxD and no port I/O in these runs, the NT family only"
sum=$(sha256sum "$BUILD/VaristepMonitor.exe" | cut -d' ' -f1)
echo "VaristepMonitor.exe under test: sha256 $sum"

# The emulated processor's ten steps, highest first, and its scaling window at start.
levels="100 89 78 67 56 44 33 22 11 0"
start_lower=0 start_upper=100
# The request table: every request set-up sends, in order, by the driver's contract and the
# set-up order, on the step-register or the sweep processor: expected <profile>
expected() {
  local i level
  r() { echo "request $code $1 $2 $3 $4"; }
  r read 0x00000119 256 256
  r read 0x80868010 256 256
  if [ "$1" = default ]; then
    r read 0x80868018 256 0
    for i in $(seq 0 9); do
      r write 0x80868018 "$i" 0
      r read 0x80868019 256 0
      r read 0x8086801A 256 0
      r read 0x8086801B 256 0
    done
  else
    for level in $(seq 100 -1 0) $levels; do r write 0x80868010 "$level" "$level"; done
    r write 0x80868010 $start_lower $start_upper
  fi
  r read 0x80868011 256 0
}
requests() { grep '^request ' "$SHOTS/$1.report"; }
close_window() { probe command "Varistep Monitor" "$(rid ID_CLOSE)" >/dev/null; }
# The CD and SD dividers of every row of CPU Information, in one line.
dividers() {
  probe cells "CPU Information" "$(rid IDC_STEP_LIST)" | cut -f3,5 | tr '\t\n' '  ' | sed 's/ *$//'
}

for profile in default sweep; do
  tag="setup-$family-$profile"
  stop_all
  clear_settings VaristepMonitor
  set_setting VaristepMonitor Advanced 1
  start_app "$tag" --profile "$profile"
  check "$family, $profile: the window appears" 'probe wait "Varistep Monitor" 15000'
  if [ "$profile" = sweep ]; then
    probe command "Varistep Monitor" "$(rid ID_CPU_INFORMATION)"
    probe wait "CPU Information" 5000
    sleep 0.5
    shown=$(dividers)
    echo "$family, sweep: dividers shown: $shown"
    if [ "$family" = nt ]; then
      check "$family, sweep: outside the 9x family the dividers are not measured" \
        '[ "$shown" = "$(printf "0 0 %.0s" $levels | sed "s/ *$//")" ]'
    else
      check "$family, sweep: the dividers come from the emulated PCI register" \
        '[ "$shown" = "7 10 7 9 6 9 6 8 5 7 5 7 4 6 4 5 3 5 3 4" ]'
    fi
    probe command "CPU Information" $IDOK
    probe gone "CPU Information" 5000
  fi
  close_window
  check "$family, $profile: Close ends the program with status 0" \
    '[ "$(exit_status "$tag" 10)" = 0 ]'
  check "$family, $profile: set-up opened $opened" 'grep -qxF "open $opened" "$SHOTS/$tag.report"'
  if diff <(expected "$profile") <(requests "$tag") >"$SHOTS/$tag.diff"; then
    pass "$family, $profile: the driver's log of set-up equals the request table's sequence," \
      "request for request ($(requests "$tag" | wc -l) requests)"
  else
    fail "$family, $profile: the driver's log of set-up differs from the request table's sequence:"
    head -n 20 "$SHOTS/$tag.diff"
  fi
done

# Failures go through the same calls on either family: the NT run drives them.
if [ "$family" != nt ]; then finish; fi

# The last request of the default profile's set-up; the next one is the program's first after it.
after_setup=$(($(expected default | wc -l) + 1))
never_shown() { ! probe list | grep -q 'class="#32770" title="Varistep Monitor" visible=1'; }

# A failure that ends set-up: fails_setup <tag> <caption> <text> <options...>
fails_setup() {
  local tag=$1 caption=$2 text=$3
  shift 3
  stop_all
  clear_settings VaristepMonitor
  start_app "$tag" "$@"
  check "$tag: the box \"$caption\" appears" 'probe wait "$caption" 10000'
  check "$tag: it says \"$text\"" 'probe list | grep -qF "text=\"$text\""'
  check "$tag: the tray icon is gone while it is shown" '! probe tray-drop CSystemTray 134'
  shot "emulated-$tag"
  probe command "$caption" $IDOK >/dev/null
  check "$tag: the program ends with status 1" '[ "$(exit_status "$tag" 10)" = 1 ]'
  check "$tag: its window never showed" never_shown
}
fails_setup open-2 VaristepMonitor "Unable to open VxD, Error code: 2|" --fail-open 2
fails_setup open-50 VaristepMonitor "Unable to open VxD, | device does not support DeviceIOCTL|" \
  --fail-open 50
fails_setup refused-read Error "Device does not support the requested API" --refuse 1
# Request 4 selects the first step.
fails_setup refused-write Error "Device does not support the requested API" --refuse 4

# A refusal after set-up: a box, and the program goes on: goes_on <tag> <caption> <what>
goes_on() {
  local tag=$1 caption=$2 what=$3
  check "$tag: the box \"$caption\" appears" 'probe wait "$caption" 10000'
  check "$tag: it says \"Device does not support the requested API\"" \
    'probe list | grep -qF "text=\"Device does not support the requested API\""'
  probe command "$caption" $IDOK >/dev/null
  probe gone "$caption" 5000
  sleep 1
  check "$tag: the program goes on with its window" \
    '[ "$(exit_status "$tag" 0)" = running ] && probe wait "Varistep Monitor" 0'
  close_window
  check "$tag: and Close ends it with status 0" '[ "$(exit_status "$tag" 10)" = 0 ]'
  check "$tag: the driver refused $what" \
    'grep -qxF "request $code $what refused" "$SHOTS/$tag.report"'
}
stop_all
clear_settings VaristepMonitor
start_app refused-policy --refuse $after_setup
probe wait "Varistep Monitor" 15000
probe command "Varistep Monitor" "$(rid ID_ECONOMY)"
goes_on refused-policy VaristepMonitor "write 0x80868011 0 0"

stop_all
clear_settings VaristepMonitor
set_setting VaristepMonitor ShowMinMax 1
start_app refused-sampling --refuse $after_setup
goes_on refused-sampling Error "read 0x80868010 256 256"

stop_all
clear_settings VaristepMonitor
start_app absent --profile absent
check "absent: the box \"Checking for Varistep on your system?\" appears" \
  'probe wait "Checking for Varistep on your system?" 10000'
check "absent: it says \"Varistep is absent from your system.\"" \
  'probe list | grep -qF "text=\"Varistep is absent from your system.\""'
probe command "Checking for Varistep on your system?" $IDOK >/dev/null
check "absent: the window keeps running" 'probe wait "Varistep Monitor" 10000'
sleep 1
check "absent: the program still runs" '[ "$(exit_status absent 0)" = running ]'
close_window
check "absent: Close ends it with status 0" '[ "$(exit_status absent 10)" = 0 ]'
check "absent: the driver was never opened" '! grep -q "^open " "$SHOTS/absent.report"'
check "absent: and no request reached it" '[ -z "$(requests absent)" ]'
finish
