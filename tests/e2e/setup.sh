#!/usr/bin/env bash
# The setup program as a user and an administrator meet it: a silent install puts the programs,
# shortcuts, the Add/Remove entry and the log-on shortcut in place; the monitor starts from that
# shortcut; a silent uninstall closes a running demo and removes all it made but the settings.
# Then once by hand: every page of the installer and the uninstaller is pictured in $SHOTS, and
# answering Yes to the settings question removes them. setup.sh [win98] runs it all with Wine
# reporting Windows 98.
source "$(dirname "$0")/lib.sh"
mode=${1:-default}
[ -f "${SETUP:-}" ] || { echo "e2e: no setup program at ${SETUP:-}" >&2; exit 1; }
c="$WINEPREFIX/drive_c"
folder='C:\Tools\Varistep'
unix_folder="$c/Tools/Varistep"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VaristepMonitor'
tag=setup-$mode
# The setup program and the uninstaller's copy of itself in the temporary folder.
installers='VaristepMonitor-[0-9.]+-setup\.exe|uninstall\.exe'

cleanup() {
  stop_all
  stop_all "$installers"
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Corvalith\Other' /f >/dev/null 2>&1
  rm -rf "$unix_folder"
  find "$c" -path '*Start Menu*' -name 'Varistep*' -exec rm -rf {} + 2>/dev/null
}
trap cleanup EXIT
cleanup
[ "$mode" = win98 ] && wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1

shortcuts() {  # every shortcut the setup may have made, one a line, relative to drive_c
  (cd "$c" && find . -path '*Start Menu*' \( -iname 'Varistep*.lnk' -o -path '*/Varistep Monitor/*' \) |
    sort)
}
uninstall_value() {
  wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
within() {  # within <seconds> <command...>: true once the command is
  local i
  for i in $(seq 1 $(($1 * 10))); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}
wait_gone() { within "$2" test ! -e "$1"; }  # wait_gone <path> <seconds>
ended() { [ -z "$(prefix_pids "$@")" ]; }   # ended [pattern]: none of these processes runs
button_enabled() { [ "$(control_field "$1" "$2" enabled)" = 1 ]; }
has_control() { [ -n "$(control_rect "$1" "$2")" ]; }

# ---- Silent install ----
wine "$SETUP" /S '/D=Tools\Varistep' >/dev/null 2>&1
status=$?
check "$mode: a silent install into a folder that is not a full path fails" \
  '[ $status = 2 ] && [ ! -e "$c/windows/system32/Tools" ] && [ -z "$(shortcuts)" ]'
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
for f in VaristepMonitor.exe VaristepDemo.exe readme.htm uninstall.exe; do
  check "$mode: silent install puts $f in the folder" '[ -f "$unix_folder/$f" ]'
done
links=$(shortcuts)
for l in "Varistep Monitor/Varistep Monitor.lnk" "Varistep Monitor/Varistep Demo.lnk" \
  "Varistep Monitor/Help.lnk" "Varistep Monitor/Uninstall.lnk" "Startup/Varistep Monitor.lnk"; do
  check "$mode: Start menu has $l" 'grep -qiF "Programs/$l" <<<"$links"'
done
check "$mode: only the monitor starts at log-on" '[ "$(grep -ci "/startup/" <<<"$links")" = 1 ]'
check "$mode: Add/Remove shows the name" '[ "$(uninstall_value DisplayName)" = "Varistep Monitor 0.90" ]'
check "$mode: Add/Remove shows the publisher" '[ "$(uninstall_value Publisher)" = Corvalith ]'
check "$mode: Add/Remove has the uninstall command" \
  '[ "$(uninstall_value UninstallString)" = "\"$folder\\uninstall.exe\"" ]'
check "$mode: Add/Remove has the icon and size" \
  '[ -n "$(uninstall_value DisplayIcon)" ] && [ -n "$(uninstall_value EstimatedSize)" ]'
check "$mode: the uninstaller it wrote loads on 98 SE, 2000 and XP" \
  'bash "$ROOT/tests/imports/check.sh" "${OBJDUMP:-i686-w64-mingw32-objdump}" \
     "$ROOT/tests/imports/setup-allowed.txt" "$unix_folder/uninstall.exe" >/dev/null'

# ---- The monitor from its log-on shortcut: without the processor it shows its box ----
# Wine's start returns at once for a shortcut, so the monitor's end is seen by its process.
startup=$(wine winepath -w "$c/$(grep -iF /startup/ <<<"$links")" 2>/dev/null | tr -d '\r')
wine start "$startup" >/dev/null 2>&1
check "$mode: the log-on shortcut starts the monitor" 'probe wait "Checking for a Corvalith CPU?" 15000'
click_control "Checking for a Corvalith CPU?" 1
check "$mode: the monitor ends after its box" 'within 10 ended'

# ---- Silent uninstall with the installed demo running ----
installed_demo() {  # starts the installed demo from its folder, as its shortcut does
  rm -f "$SHOTS/$tag-demo.status"
  (cd "$unix_folder" && wine ./VaristepDemo.exe >/dev/null 2>&1; echo $? >"$SHOTS/$tag-demo.status") &
  probe wait "Varistep Monitor" 15000
}
# Installing again over the running demo closes it as Close does, which leaves a full set of
# settings (the next run writes them back unchanged), and replaces the files.
clear_settings VaristepDemo
set_setting VaristepDemo Timer 250
installed_demo
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
status=$?
check "$mode: installing again over the running demo closes it" \
  '[ $status = 0 ] && [ "$(exit_status "$tag-demo" 20)" = 0 ]'
check "$mode: installing again leaves the new files and nothing beside them" \
  'cmp -s "$unix_folder/VaristepDemo.exe" "$BUILD/VaristepDemo.exe" &&
   [ "$(ls "$unix_folder" | tr "\n" " ")" = "VaristepDemo.exe VaristepMonitor.exe readme.htm uninstall.exe " ]'
before=$(wine reg query "$(settings_key VaristepDemo)" 2>/dev/null | tr -d '\r' | sort)
check "$mode: the installed demo runs" installed_demo
wine "$unix_folder/uninstall.exe" /S >/dev/null 2>&1
# The uninstaller copies itself to the temporary folder and returns at once: wait for that copy.
sleep 1
within 30 ended "$installers"
check "$mode: uninstall closes the demo as Close does" '[ "$(exit_status "$tag-demo" 20)" = 0 ]'
check "$mode: uninstall removes the folder" 'wait_gone "$unix_folder" 30'
check "$mode: uninstall removes every shortcut" '[ -z "$(shortcuts)" ]'
check "$mode: uninstall removes the Add/Remove entry" '! wine reg query "$uninstall_key" >/dev/null 2>&1'
after=$(wine reg query "$(settings_key VaristepDemo)" 2>/dev/null | tr -d '\r' | sort)
check "$mode: silent uninstall keeps the settings" '[ -n "$before" ] && [ "$before" = "$after" ]'

# ---- By hand: each page pictured; Yes to the settings question removes them ----
# next_page <window title> <picture>: once the page's button takes clicks (the progress pages
# hold it until their work is done), pictures the page and presses the button.
next_page() {
  sleep 1
  within 60 button_enabled "$1" 1
  shot "$tag-$2"
  click_control "$1" 1
}
(cd "$SHOTS" && wine "$SETUP" >/dev/null 2>&1) &
check "$mode: the installer opens" 'probe wait "Varistep Monitor Setup" 15000'
next_page "Varistep Monitor Setup" 1-welcome
next_page "Varistep Monitor Setup" 2-components
next_page "Varistep Monitor Setup" 3-folder
next_page "Varistep Monitor Setup" 4-installed
next_page "Varistep Monitor Setup" 5-finish
check "$mode: the installer finishes" 'probe gone "Varistep Monitor Setup" 10000'
installed=$(wine reg query "$uninstall_key" /v InstallLocation 2>/dev/null | tr -d '\r' |
  awk '$1 == "InstallLocation" { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }')
check "$mode: by hand it installs into Program Files" '[ -n "$installed" ]'
unix_installed=$(wine winepath -u "$installed" 2>/dev/null | tr -d '\r')
# Only our settings under Corvalith, and on 98 another program's beside them, which must stay.
wine reg delete 'HKCU\Software\Corvalith' /f >/dev/null 2>&1
set_setting VaristepDemo Timer 250
[ "$mode" = win98 ] && wine reg add 'HKCU\Software\Corvalith\Other' /v Kept /t REG_DWORD /d 1 /f >/dev/null 2>&1
(wine "$unix_installed/uninstall.exe" >/dev/null 2>&1) &
check "$mode: the uninstaller opens" 'probe wait "Varistep Monitor Uninstall" 15000'
next_page "Varistep Monitor Uninstall" 6-uninstall-confirm
within 30 has_control "Varistep Monitor Uninstall" 6
sleep 0.5
shot "$tag-7-settings-question"
click_control "Varistep Monitor Uninstall" 6
sleep 1
next_page "Varistep Monitor Uninstall" 8-uninstalled
check "$mode: the uninstaller finishes" 'probe gone "Varistep Monitor Uninstall" 10000'
check "$mode: by hand it removes the folder" 'wait_gone "$unix_installed" 30'
check "$mode: Yes removes the settings" \
  '! wine reg query "HKCU\\Software\\Corvalith\\VaristepDemo" >/dev/null 2>&1'
if [ "$mode" = win98 ]; then
  check "$mode: another program's settings stay" 'wine reg query "HKCU\\Software\\Corvalith\\Other" >/dev/null 2>&1'
else
  check "$mode: the emptied Corvalith key goes" '! wine reg query "HKCU\\Software\\Corvalith" >/dev/null 2>&1'
fi
finish
