#!/usr/bin/env bash
# The everyday commands from the tray icon, as a user gives them: the policy, hide and show, and
# Close, which saves the settings.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings $APP
set_setting $APP Advanced 1

policy_shown() {  # the policy text the CPU Information dialog shows
  tray_menu
  key i
  probe wait "CPU Information" 5000 || return 1
  local id
  id=$(rid IDC_POLICY)
  probe list | sed -n 's/.*child id='"$id"' class="Edit" text="\([^"]*\)".*/\1/p' | head -n 1
  key Escape
  probe gone "CPU Information" 5000
}

start_app
check "the window appears" 'probe wait "Varistep Monitor" 15000'
sleep 1

tray_menu
shot commands-popup-menu
key v
sleep 0.5
shot commands-mode-submenu
key f
sleep 0.5
check "Performance is in force after choosing Per&formance" '[ "$(policy_shown)" = Performance ]'

tray_menu
key v e
sleep 0.5
check "Economy is in force after choosing &Economy" '[ "$(policy_shown)" = Economy ]'
tray_menu
key v
sleep 0.5
shot commands-economy-checked
key Escape Escape

tray_double_click
check "a double click hides the window" 'probe gone "Varistep Monitor" 5000'
shot commands-hidden
tray_double_click
check "a second double click shows it again" 'probe wait "Varistep Monitor" 5000'

# The settings are written back at Close: take one away while running and see it return.
wine reg delete "$(settings_key $APP)" /v Timer /f >/dev/null 2>&1
check "Timer is gone from the registry while the program runs" \
  '[ -z "$(reg_value $APP Timer)" ]'
tray_menu
key c
check "&Close ends the program" '[ "$(exit_status $APP 10)" = 0 ]'
check "Close wrote the settings back" '[ "$(reg_value $APP Timer)" = 100 ]'
check "the registry keeps Advanced as it was" '[ "$(reg_value $APP Advanced)" = 1 ]'
finish
