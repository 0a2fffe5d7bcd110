#!/usr/bin/env bash
# The program on the older Windows versions Wine can pretend to be, set for the program alone: its
# driver is there only at the running system's device path (the VxD on 98 and ME, the NT driver
# otherwise), so a window with a moving chart means set-up chose the right path. The demo reports
# the device and control code of its first request; the real program's harness reports its opens
# and requests. CPU Information lists the ten steps, and Manual Selection's OK shows the Windows XP
# notice on XP (and the other 5.x systems after 2000) only.
# 64-bit Wine offers no 98, 2000 or XP (32-bit) mode: there the 64-bit systems it has are run.
# One run a mode: oldwin.sh [mode...]; without one, every mode the target's Wine has.
source "$(dirname "$0")/lib.sh"
modes="$*"
if [ -z "$modes" ]; then
  modes="win98 winme win2k winxp"
  [ "$VS_WINE_TARGET" = x86_64 ] && modes="winxp64 win2003"
fi
app_key="HKCU\\Software\\Wine\\AppDefaults\\$APP.exe"
trap 'wine reg delete "$app_key" /f >/dev/null 2>&1' EXIT

for mode in $modes; do
  stop_all
  clear_settings $APP
  set_setting $APP Advanced 1
  wine reg add "$app_key" /v Version /d "$mode" /f >/dev/null 2>&1
  nine=0
  case $mode in win98 | winme) nine=1 ;; esac
  WINEDEBUG=-all,+debugstr start_app "oldwin-$mode"
  check "$mode: the window appears" 'probe wait "Varistep Monitor" 15000'
  if real; then
    # The harness saw the open and the requests at the system calls themselves.
    if [ $nine = 1 ]; then opened='\\.\stpvxd.vxd flags 0x04000000' code=0x00000001; else
      opened='\\.\I2CDev flags 0x00000000' code=0x9C40E804; fi
  else
    # What the demo reports of its first request: the device set-up opened. Its simulated driver
    # takes the program's own control codes; the real program's runs check them against the
    # driver's copies.
    if [ $nine = 1 ]; then device='\\\\.\\stpvxd.vxd control code '; else
      device='\\\\.\\I2CDev control code '; fi
    check "$mode: set-up opens $device" 'grep -qF "$device" "$SHOTS/oldwin-$mode.log"'
  fi
  sleep 3
  IFS=, read -r l t r b <<<"$(control_rect "Varistep Monitor" $(rid IDC_CHART))"
  shot "oldwin-$mode"
  check "$mode: the chart shows the trace" \
    '[ "$(count_colour "oldwin-$mode" "#00FFFF" "$((r - l))x$((b - t))+$l+$t")" -gt 20 ]'

  tray_menu
  key i
  check "$mode: CPU Information opens" 'probe wait "CPU Information" 5000'
  sleep 0.5
  check "$mode: it lists ten steps" '[ "$(control_field "CPU Information" $(rid IDC_STEP_LIST) items)" = 10 ]'
  key Escape
  probe gone "CPU Information" 5000

  tray_menu
  key v s
  check "$mode: Manual Selection opens" 'probe wait "Manual Selection" 5000'
  sleep 0.5
  click_control "Manual Selection" $IDOK
  # Every version 5 after 2000 counts as XP here: XP x64 and Server 2003 share its power options.
  if [ $nine = 0 ] && [ "$mode" != win2k ]; then
    check "$mode: OK shows the Windows XP notice" 'probe wait "Notice for Windows XP Users" 5000'
    key Return
  else
    check "$mode: OK shows no Windows XP notice" '! probe wait "Notice for Windows XP Users" 1500'
  fi
  check "$mode: Manual Selection closes" 'probe gone "Manual Selection" 5000'

  tray_menu
  key c
  check "$mode: Close ends the program" '[ "$(exit_status "oldwin-$mode" 10)" = 0 ]'
  if real; then
    check "$mode: set-up opened $opened" 'grep -qxF "open $opened" "$SHOTS/oldwin-$mode.report"'
    check "$mode: every request used code $code" \
      '! grep "^request " "$SHOTS/oldwin-$mode.report" | grep -qv "^request $code "'
  fi
done
finish
