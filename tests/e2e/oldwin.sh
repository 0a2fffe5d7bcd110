#!/usr/bin/env bash
# The demo on the older Windows versions Wine can pretend to be, set for the demo alone: the
# simulated driver is installed only at the running system's device path (the VxD on 98, the NT
# driver otherwise), so a window with a moving chart means set-up chose the right path. CPU
# Information lists the ten steps, and Manual Selection's OK shows the Windows XP notice on XP (and
# the other 5.x systems after 2000) only.
# 64-bit Wine offers no 98, 2000 or XP (32-bit) mode: there the 64-bit systems it has are run.
# One run a mode: oldwin.sh [mode...]; without one, every mode the target's Wine has.
source "$(dirname "$0")/lib.sh"
modes="$*"
if [ -z "$modes" ]; then
  modes="win98 win2k winxp"
  [ "$VS_WINE_TARGET" = x86_64 ] && modes="winxp64 win2003"
fi
app_key='HKCU\Software\Wine\AppDefaults\VaristepDemo.exe'
trap 'wine reg delete "$app_key" /f >/dev/null 2>&1' EXIT

for mode in $modes; do
  stop_all
  clear_settings VaristepDemo
  set_setting VaristepDemo Advanced 1
  wine reg add "$app_key" /v Version /d "$mode" /f >/dev/null 2>&1
  WINEDEBUG=-all,+debugstr start VaristepDemo "oldwin-$mode"
  check "$mode: the window appears" 'probe wait "Varistep Monitor" 15000'
  # What the demo reports of its first request: the device set-up opened and the control code.
  case $mode in
    win98) device='\\\\.\\stpvxd.vxd control code 1' ;;
    *) device='\\\\.\\I2CDev control code 2621499396' ;;
  esac
  check "$mode: set-up opens $device" 'grep -qF "$device" "$SHOTS/oldwin-$mode.log"'
  sleep 3
  IFS=, read -r l t r b <<<"$(control_rect "Varistep Monitor" 1038)"
  shot "oldwin-$mode"
  check "$mode: the chart shows the trace" \
    '[ "$(count_colour "oldwin-$mode" "#00FFFF" "$((r - l))x$((b - t))+$l+$t")" -gt 20 ]'

  tray_menu
  key i
  check "$mode: CPU Information opens" 'probe wait "CPU Information" 5000'
  sleep 0.5
  check "$mode: it lists ten steps" '[ "$(control_field "CPU Information" 1010 items)" = 10 ]'
  key Escape
  probe gone "CPU Information" 5000

  tray_menu
  key v s
  check "$mode: Manual Selection opens" 'probe wait "Manual Selection" 5000'
  sleep 0.5
  click_control "Manual Selection" 1
  # Every version 5 after 2000 counts as XP here: XP x64 and Server 2003 share its power options.
  if [ "$mode" != win98 ] && [ "$mode" != win2k ]; then
    check "$mode: OK shows the Windows XP notice" 'probe wait "Notice for Windows XP Users" 5000'
    key Return
  else
    check "$mode: OK shows no Windows XP notice" '! probe wait "Notice for Windows XP Users" 1500'
  fi
  check "$mode: Manual Selection closes" 'probe gone "Manual Selection" 5000'

  tray_menu
  key c
  check "$mode: Close ends the program" '[ "$(exit_status "oldwin-$mode" 10)" = 0 ]'
done
finish
