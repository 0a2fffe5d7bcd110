#!/usr/bin/env bash
# The stripchart as a user sees it: the framed view with label and trace, the strip view, and the
# limit traces. Pixels are counted in the screenshots: cyan #00FFFF is the trace, #FFFF46 the
# limits.
source "$(dirname "$0")/lib.sh"
stop_all
clear_settings $APP
set_setting $APP ShowMinMax 1

start_app
check "the window appears" 'probe wait "Varistep Monitor" 15000'
sleep 5
read -r left top right bottom <<<"$(probe rect "Varistep Monitor")"
width=$((right - left))
height=$((bottom - top))
geometry="${width}x${height}+${left}+${top}"
shot chart-framed-minmax
check "the framed view shows the cyan trace" \
  '[ "$(count_colour chart-framed-minmax "#00FFFF" "$geometry")" -gt 40 ]'
check "and the yellow limit traces" \
  '[ "$(count_colour chart-framed-minmax "#FFFF46" "$geometry")" -gt 30 ]'

# Click the chart: bare view, then strip view.
cx=$((left + width / 2))
cy=$((bottom - 12))
xdotool mousemove "$cx" "$cy" click 1
sleep 2
shot chart-bare
xdotool mousemove "$cx" "$((top + 8))" click 1
sleep 2
shot chart-strip
read -r sl st sr sb <<<"$(probe rect "Varistep Monitor" || echo 0 0 0 0)"
check "the strip view is a thin strip" '[ $((sb - st)) -lt 25 ] && [ $((sb - st)) -gt 5 ]'
xdotool mousemove "$((sl + 20))" "$((st + 5))" click 1
sleep 2
read -r fl ft fr fb <<<"$(probe rect "Varistep Monitor")"
echo "framed $width x $height; strip $sl,$st,$sr,$sb; after third click $fl,$ft,$fr,$fb"
check "a third click returns to the framed size" \
  '[ $((fr - fl)) = "$width" ] && [ $((fb - ft)) = "$height" ]'
shot chart-framed-again
finish
