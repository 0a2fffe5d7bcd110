#!/usr/bin/env bash
# Single instance under a race: eight copies of the program started at once. Exactly one keeps
# running with its window; the other seven each show "Varistep Monitor is already running!" and
# end once it is answered.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings $APP
copies=8
already='text="Varistep Monitor is already running!"'

for i in $(seq 1 $copies); do start_app "race$i"; done

# Everyone has either its window or its box once seven boxes are up.
boxes() { probe list | grep -cF "$already"; }
for _ in $(seq 1 120); do [ "$(boxes)" -ge $((copies - 1)) ] && break; sleep 0.5; done
check "seven copies show the message box" '[ "$(boxes)" -eq $((copies - 1)) ]'
check "one copy shows its window" \
  '[ "$(probe list | grep -c "class=\"#32770\" title=\"Varistep Monitor\" visible=1")" -eq 1 ]'
shot race-boxes

# Answer the boxes one by one, as a user pressing OK on each.
for _ in $(seq 1 $((copies * 4))); do
  [ "$(boxes)" -eq 0 ] && break
  probe command $APP 1 >/dev/null
  sleep 0.3
done
check "every box was answered" '[ "$(boxes)" -eq 0 ]'

running=0
ended=0
for i in $(seq 1 $copies); do
  s=$(exit_status "race$i" 10)
  if [ "$s" = running ]; then running=$((running + 1)); elif [ "$s" = 0 ]; then ended=$((ended + 1)); fi
done
check "exactly one copy keeps running ($running)" '[ "$running" -eq 1 ]'
check "the other seven ended with status 0 ($ended)" '[ "$ended" -eq $((copies - 1)) ]'
check "the survivor's window is still up" \
  'probe list | grep -q "class=\"#32770\" title=\"Varistep Monitor\" visible=1"'
finish
