#!/usr/bin/env bash
# One thread keeping one processor busy takes the program to its top step, whatever the number of
# processors: the simulated processor follows the busiest processor, not the average.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings $APP

# The top step is drawn on row 20 of the chart and no other step comes above row 23; the chart
# control has a one-pixel sunken edge.
top_step_pixels() {  # top_step_pixels <shot>
  local l t r b
  IFS=, read -r l t r b <<<"$(control_rect "Varistep Monitor" $(rid IDC_CHART))"
  count_colour "$1" "#00FFFF" "$((r - l - 2))x2+$((l + 1))+$((t + 20))"
}

start_app
check "the window appears" 'probe wait "Varistep Monitor" 15000'
taskset -c 0 bash -c 'while :; do :; done' &
busy=$!
sleep 5
shot load-one-busy-processor
kill "$busy"
wait "$busy" 2>/dev/null
echo "top-step pixels with processor 0 busy: $(top_step_pixels load-one-busy-processor)"
check "with one processor busy the trace reaches the top step" \
  '[ "$(top_step_pixels load-one-busy-processor)" -ge 5 ]'
finish
