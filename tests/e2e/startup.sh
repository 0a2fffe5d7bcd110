#!/usr/bin/env bash
# Start-up as a user meets it: the demo opens its window and writes its defaults; a second copy
# is refused; the real program on a machine without the processor says so and ends with status 1.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings VaristepDemo

start VaristepDemo
check "the demo's window \"Varistep Monitor\" appears" 'probe wait "Varistep Monitor" 15000'
sleep 2
shot startup-demo
for pair in AlwaysOnTop=1 SpdSenIcon=0 AboutBox=0 StartMin=0 ShowMinMax=0 Timer=100; do
  name=${pair%=*}
  want=${pair#*=}
  check "registry holds $name = $want" "[ \"\$(reg_value VaristepDemo $name)\" = $want ]"
done
check "Advanced is not written" '[ -z "$(reg_value VaristepDemo Advanced)" ]'

start VaristepDemo second
check "a second copy shows its message box" 'probe wait VaristepDemo 10000'
check "the box says \"Varistep Monitor is already running!\"" \
  'probe list | grep -q "text=\"Varistep Monitor is already running!\""'
shot startup-second-copy
key Return
check "the second copy ends" '[ "$(exit_status second 10)" != running ]'
check "the first copy still runs" '[ "$(exit_status VaristepDemo 0)" = running ]'
stop_all

start VaristepMonitor
check "the real program looks for the processor" 'probe wait "Checking for a Corvalith CPU?" 10000'
check "and says \"A Corvalith CPU was not found.\"" \
  'probe list | grep -q "text=\"A Corvalith CPU was not found.\""'
shot startup-no-corvalith
key Return
check "the real program ends with status 1" '[ "$(exit_status VaristepMonitor 10)" = 1 ]'
check "it never showed its window" '! probe list | grep -q "class=\"#32770\" title=\"Varistep Monitor\" visible=1"'
finish
