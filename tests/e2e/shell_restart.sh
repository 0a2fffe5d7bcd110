#!/usr/bin/env bash
# The shell comes back: the demo's tray icon, showing a speed picture, is taken out of Wine's
# notification area as a dying shell takes every icon with it, then "TaskbarCreated" is
# broadcast as a new shell does when it starts. The icon must return with the picture it showed
# last (not the one it was created with), and the tray menu must still work.
#
# Ending Wine's explorer.exe itself cannot be survived by any program under Wine: the virtual
# desktop's window belongs to explorer, and the wineserver destroys every window inside it when
# explorer ends. So this test plays the two halves of a restart that a program can see.
# Run it on its own: it loads both cores for half a minute (nice 19) to hold the fastest step.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings VaristepDemo
set_setting VaristepDemo SpdSenIcon 1

# Under Performance the simulated processor jumps to its fastest step while the machine is
# busy: that step's icon is the all-green spiral, unlike the yellow application icon.
busy=()
for _ in 1 2; do nice -n 19 timeout 40 sh -c 'while :; do :; done' & busy+=($!); done
trap 'kill "${busy[@]}" 2>/dev/null' EXIT

tray_crop() { convert "$SHOTS/$1.png" -crop 40x20+760+580 +repage "$SHOTS/$1-tray.png"; }
green() { convert "$SHOTS/$1-tray.png" -format %c histogram:info:- | awk '/#00FF00/ { n += $1 } END { print n + 0 }'; }
yellow() { convert "$SHOTS/$1-tray.png" -format %c histogram:info:- | awk '/#FFFF00/ { n += $1 } END { print n + 0 }'; }

# Clicks the first or last item of the open popup menu.
menu_click() {
  local rect l t r b
  rect=$(probe list | awk '/class="#32768"/ && /visible=1/ { sub(/.*rect=/, ""); sub(/ .*/, ""); print; exit }')
  [ -n "$rect" ] || return 1
  IFS=, read -r l t r b <<<"$rect"
  if [ "$1" = first ]; then y=$((t + 12)); else y=$((b - 12)); fi
  xdotool mousemove $(((l + r) / 2)) "$y" click 1
  sleep 0.5
}

start VaristepDemo
check "the demo's window appears" 'probe wait "Varistep Monitor" 15000'
for _ in $(seq 1 30); do shot shell-before; tray_crop shell-before; [ "$(green shell-before)" -gt 50 ] && break; sleep 0.5; done
check "before: the tray shows the all-green speed icon ($(green shell-before) green pixels)" \
  '[ "$(green shell-before)" -gt 50 ] && [ "$(yellow shell-before)" -eq 0 ]'

check "the shell loses the icon" 'probe tray-drop CSystemTray 134'
sleep 1
shot shell-gone
tray_crop shell-gone
check "while the shell is away the notification area is empty" '[ "$(green shell-gone)" -eq 0 ]'

check "the new shell announces itself" 'probe broadcast TaskbarCreated'
sleep 1
shot shell-after
tray_crop shell-after
check "after: the icon is back with its latest picture ($(green shell-after) green pixels)" \
  '[ "$(green shell-after)" -gt 50 ] && [ "$(yellow shell-after)" -eq 0 ]'
check "the picture is the one shown before, pixel for pixel" \
  '[ "$(compare -metric AE "$SHOTS/shell-before-tray.png" "$SHOTS/shell-after-tray.png" null: 2>&1)" = 0 ]'

# The menu of the returned icon still reaches the window.
tray_menu
check "the tray menu opens" 'probe list | grep -q "class=\"#32768\" title=\"\" visible=1"'
shot shell-menu
key h
check "its Hide item hides the window" 'probe gone "Varistep Monitor" 5000'
tray_menu
# With the window in the tray Wine gives the popup no keyboard focus: choose with the mouse.
menu_click first
check "its Show item brings the window back" 'probe wait "Varistep Monitor" 5000'
tray_menu
menu_click last
check "its Close item ends the program with status 0" '[ "$(exit_status VaristepDemo 10)" = 0 ]'
finish
