#!/usr/bin/env bash
# The three working dialogs as a user opens them from the tray menu: CPU Information with the
# whole step table, Manual Selection, and Properties, whose refusal box holds it until answered
# and whose changes are saved at Close, or at the end of the session while the window is hidden.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings $APP
set_setting $APP Advanced 1

# "abc" in the interval field, sent with $1 (a click on OK, or Enter): the refusal box must hold
# Properties until it is answered, whether the window is on the screen or in the tray. $2 names
# the screenshot, $3 is appended to the checks' names.
refuse_abc() {
  click_control Properties $(rid IDC_INTERVAL)
  key ctrl+a
  xdotool type --delay 80 abc
  eval "$1"
  check "OK with \"abc\" shows \"Please enter a positive integer.\"$3" 'probe wait $APP 5000'
  shot "$2"
  check "Properties is disabled under its box$3" \
    'probe list | grep -q "title=\"Properties\" visible=1 topmost=[01] enabled=0"'
  click_control Properties $(rid IDC_PROPERTIES_OK)
  click_control Properties $(rid IDC_PROPERTIES_CANCEL)
  sleep 0.5
  check "OK and Cancel clicked under the box open no second box$3" '[ "$(refusals)" = 1 ]'
  check "and leave Properties open$3" 'probe wait Properties 0'
  probe command $APP $IDOK
  check "the box is answered$3" 'probe gone $APP 5000'
  check "Properties is still open$3" 'probe wait Properties 0'
}
refusals() { probe list | grep -cF 'text="Please enter a positive integer."'; }

start_app
check "the window appears" 'probe wait "Varistep Monitor" 15000'
sleep 1

tray_menu
key i
check "CPU Information opens" 'probe wait "CPU Information" 5000'
sleep 0.5
shot dialogs-cpu-information
check "its step table lists all ten steps" '[ "$(control_field "CPU Information" $(rid IDC_STEP_LIST) items)" = 10 ]'
key End
sleep 0.3
shot dialogs-cpu-information-last-steps
check "it names the processor type ZN2730" \
  '[ "$(control_text "CPU Information" $(rid IDC_CPU_TYPE))" = ZN2730 ]'
key Escape
check "CPU Information closes with Escape" 'probe gone "CPU Information" 5000'

tray_menu
key v s
check "Manual Selection opens" 'probe wait "Manual Selection" 5000'
sleep 0.5
shot dialogs-manual-selection
check "its upper-limit list holds ten steps" '[ "$(control_field "Manual Selection" $(rid IDC_MAX_COMBO) count)" = 10 ]'
check "its lower-limit list holds ten steps" '[ "$(control_field "Manual Selection" $(rid IDC_MIN_COMBO) count)" = 10 ]'
# Without Wine's own fonts a wider stand-in clips the labels ("Max Limit:" shows "Max").
check "\"Max Limit:\" fits its label in the dialogs' font" 'probe fits "Manual Selection" "Max Limit:"'
key Escape
check "Manual Selection closes with Escape" 'probe gone "Manual Selection" 5000'

tray_menu
key p
check "Properties opens" 'probe wait "Properties" 5000'
sleep 0.5
check "the interval field reads 100" '[ "$(control_text Properties $(rid IDC_INTERVAL))" = 100 ]'
refuse_abc "click_control Properties $(rid IDC_PROPERTIES_OK)" dialogs-properties-refused ""
click_control Properties $(rid IDC_INTERVAL)
key ctrl+a
xdotool type --delay 80 250
click_control Properties $(rid IDC_SHOW_MIN_MAX)
check "\"Show Min and Max on stripchart\" is ticked" '[ "$(control_field Properties $(rid IDC_SHOW_MIN_MAX) check)" = 1 ]'
check "the interval field reads 250" '[ "$(control_text Properties $(rid IDC_INTERVAL))" = 250 ]'
shot dialogs-properties
click_control Properties $(rid IDC_PROPERTIES_OK)
check "OK closes Properties" 'probe gone "Properties" 5000'
sleep 2
shot dialogs-after-properties

tray_menu
key c
check "&Close ends the program" '[ "$(exit_status $APP 10)" = 0 ]'
check "the registry holds Timer 250" '[ "$(reg_value $APP Timer)" = 250 ]'
check "the registry holds ShowMinMax 1" '[ "$(reg_value $APP ShowMinMax)" = 1 ]'

# A user who keeps the program in the tray changes the interval, then logs off.
set_setting $APP StartMin 1
start_app
parked() { probe list | grep -q 'class="VaristepHiddenOwner"'; }
for _ in $(seq 1 50); do parked && break; sleep 0.3; done
check "the program starts in the tray" parked
sleep 1
tray_menu
shot dialogs-tray-menu-hidden
# "&Properties..." comes after three items and one separator.
menu_pick 3 1
check "Properties opens from the tray menu" 'probe wait Properties 5000'
check "while the window stays in the tray" \
  '! probe list | grep -q "class=\"#32770\" title=\"Varistep Monitor\" visible=1"'
refuse_abc "key Return" dialogs-properties-refused-hidden " (window in the tray)"
click_control Properties $(rid IDC_INTERVAL)
key ctrl+a
xdotool type --delay 80 300
click_control Properties $(rid IDC_PROPERTIES_OK)
check "OK closes Properties" 'probe gone "Properties" 5000'
wine wineboot --end-session >/dev/null 2>&1
check "the end of the session ends the program" '[ "$(exit_status $APP 20)" != running ]'
check "the registry holds the new Timer 300" '[ "$(reg_value $APP Timer)" = 300 ]'
check "and StartMin 1" '[ "$(reg_value $APP StartMin)" = 1 ]'
# The tests after this one expect the window on the screen.
clear_settings $APP
finish
