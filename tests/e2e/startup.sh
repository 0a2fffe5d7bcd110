#!/usr/bin/env bash
# Start-up as a user meets it: the program opens its window and writes its defaults; a second copy
# is refused; the real program on a machine without the processor (this host's, or the emulated
# one with another vendor) says so and ends with status 1.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings $APP

start_app
check "the window \"Varistep Monitor\" appears" 'probe wait "Varistep Monitor" 15000'
sleep 2
shot startup-demo
for pair in AlwaysOnTop=1 SpdSenIcon=0 AboutBox=0 StartMin=0 ShowMinMax=0 Timer=100; do
  name=${pair%=*}
  want=${pair#*=}
  check "registry holds $name = $want" "[ \"\$(reg_value $APP $name)\" = $want ]"
done
check "Advanced is not written" '[ -z "$(reg_value $APP Advanced)" ]'

start_app second
check "a second copy shows its message box" 'probe wait $APP 10000'
check "the box says \"Varistep Monitor is already running!\"" \
  'probe list | grep -q "text=\"Varistep Monitor is already running!\""'
shot startup-second-copy
key Return
check "the second copy ends" '[ "$(exit_status second 10)" != running ]'
check "the first copy still runs" '[ "$(exit_status $APP 0)" = running ]'
stop_all

if real; then
  start_app nocpu --profile wrong-vendor
else
  start VaristepMonitor nocpu
fi
check "the real program looks for the processor" 'probe wait "Checking for a Corvalith CPU?" 10000'
check "and says \"A Corvalith CPU was not found.\"" \
  'probe list | grep -q "text=\"A Corvalith CPU was not found.\""'
shot startup-no-corvalith
key Return
check "the real program ends with status 1" '[ "$(exit_status nocpu 10)" = 1 ]'
check "it never showed its window" '! probe list | grep -q "class=\"#32770\" title=\"Varistep Monitor\" visible=1"'
finish
