#!/usr/bin/env bash
# The setup program as a user and an administrator meet it: a silent install puts the programs,
# shortcuts, the Add/Remove entry and the log-on shortcut in place; the monitor starts from that
# shortcut; an upgrade and a silent uninstall close a demo that sits in the tray; another
# program's folder and files are left alone; a failed upgrade keeps the installed program; a
# second folder moves the installation; the uninstaller's status says how it went.
# Then once by hand: every page of the installer and the uninstaller is pictured in $SHOTS, and
# answering Yes to the settings question removes them. setup.sh [win98] runs it all with Wine
# reporting Windows 98.
source "$(dirname "$0")/lib.sh"
mode=${1:-default}
[ -f "${SETUP:-}" ] || { echo "e2e: no setup program at ${SETUP:-}" >&2; exit 1; }
c="$WINEPREFIX/drive_c"
folder='C:\Tools\Varistep Monitor'
unix_folder="$c/Tools/Varistep Monitor"
other='C:\Tools\OtherApp'
unix_other="$c/Tools/OtherApp"
second='C:\Tools\Second'
unix_second="$c/Tools/Second"
pending_key='HKLM\System\CurrentControlSet\Control\Session Manager'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VaristepMonitor'
tag=setup-$mode
# The setup program and the uninstaller's copy of itself in the temporary folder.
installers='VaristepMonitor-[0-9.]+-setup\.exe|uninstall\.exe'

cleanup() {
  stop_all
  stop_all "$installers"
  stop_all 'vs_probe\.exe'
  wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Corvalith\Other' /f >/dev/null 2>&1
  # A file left for the next start must not be deleted from a later run's folder.
  wine reg delete "$pending_key" /v PendingFileRenameOperations /f >/dev/null 2>&1
  find "$c/windows" -maxdepth 1 -iname wininit.ini -delete
  chmod -R u+w "$c/Tools" 2>/dev/null
  rm -rf "$unix_folder" "$unix_other" "$unix_second" "$c/Tools/b" "$c/Tools/a"
  rm -rf "$c/Program Files/Varistep Monitor" "$c/Program Files (x86)/Varistep Monitor"
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
# complete <unix folder> [shortcuts]: the four files, the shortcuts (five, with the log-on one)
# and the Add/Remove entry
complete() {
  local f
  for f in VaristepMonitor.exe VaristepDemo.exe readme.htm uninstall.exe; do
    cmp -s "$1/$f" "$BUILD/$f" || cmp -s "$1/$f" "$BUILD/src/setup/$f" || return 1
  done
  [ "$(shortcuts | grep -c .)" = "${2:-5}" ] && [ -n "$(uninstall_value InstallLocation)" ]
}
# The demo parked in the tray: its window sits under the hidden owner, not on the desktop.
parked() {
  probe list | awk 'index($0, "window ") == 1 { owner = index($0, "class=\"VaristepHiddenOwner\"") > 0; next }
    owner && index($0, "class=\"#32770\"") && index($0, "text=\"Varistep Monitor\"") { found = 1 }
    END { exit !found }'
}

# ---- Silent install ----
wine "$SETUP" /S '/D=Tools\Varistep' >/dev/null 2>&1
status=$?
check "$mode: a silent install into a folder that is not a full path fails" \
  '[ $status = 2 ] && [ ! -e "$c/windows/system32/Tools" ] && [ -z "$(shortcuts)" ]'
wine "$SETUP" /S '/D=C:\Tools\a\...' >/dev/null 2>&1
status=$?
check "$mode: a folder name Windows would change is refused before anything is written" \
  '[ $status = 2 ] && [ ! -e "$c/Tools/a" ]'
# The usual way to pass a folder with spaces: the whole argument quoted.
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
check "$mode: a quoted /D= installs where it says" '[ -f "$unix_folder/VaristepMonitor.exe" ]'
wine "$SETUP" /S /X "/D=$second" >/dev/null 2>&1
status=$?
check "$mode: a silent install refuses a switch it does not know" \
  '[ $status = 2 ] && [ ! -e "$unix_second" ]'
# Another program's folder, with files of our names: nothing in it is touched.
mkdir -p "$unix_other"
echo "another program's help" >"$unix_other/readme.htm"
echo "another program's uninstaller" >"$unix_other/uninstall.exe"
cp -p "$unix_other/readme.htm" "$SHOTS/$tag-other-readme.htm"
cp -p "$unix_other/uninstall.exe" "$SHOTS/$tag-other-uninstall.exe"
other_intact() {
  cmp -s "$unix_other/readme.htm" "$SHOTS/$tag-other-readme.htm" &&
    cmp -s "$unix_other/uninstall.exe" "$SHOTS/$tag-other-uninstall.exe" &&
    [ "$(ls "$unix_other" | tr "\n" " ")" = "readme.htm uninstall.exe " ]
}
wine "$SETUP" /S "/D=$other" >/dev/null 2>&1
status=$?
check "$mode: a silent install into another program's folder fails and writes nothing" \
  '[ $status = 2 ] && other_intact'
# Unquoted, /D= runs to the end of the line, spaces and all.
wine "$SETUP" /S /D=C:\\Tools\\Varistep Monitor >/dev/null 2>&1
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
# A demo in the tray, started as at log-on with StartMin. A value taken away while it runs comes
# back only if it is closed as Close closes it, which writes the settings.
tray_demo() {
  rm -f "$SHOTS/$tag-demo.status"
  (cd "$unix_folder" && wine ./VaristepDemo.exe >/dev/null 2>&1; echo $? >"$SHOTS/$tag-demo.status") &
  within 15 parked && wine reg delete "$(settings_key VaristepDemo)" /v AboutBox /f >/dev/null 2>&1
}
settings_written() { [ "$(exit_status "$tag-demo" 20)" = 0 ] && [ -n "$(reg_value VaristepDemo AboutBox)" ]; }
# Installing again over the running demo closes it as Close does, and replaces the files.
clear_settings VaristepDemo
set_setting VaristepDemo Timer 250
set_setting VaristepDemo StartMin 1
tray_demo
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
status=$?
check "$mode: installing again closes the demo in the tray, which writes its settings" \
  '[ $status = 0 ] && settings_written'
check "$mode: installing again leaves the new files and nothing beside them" \
  'cmp -s "$unix_folder/VaristepDemo.exe" "$BUILD/VaristepDemo.exe" &&
   [ "$(ls "$unix_folder" | tr "\n" " ")" = "VaristepDemo.exe VaristepMonitor.exe readme.htm uninstall.exe " ]'

# ---- A failed upgrade keeps the installed program whole ----
# The monitor is replaced first, readme.htm, read-only, last.
stop_all
printf x >>"$unix_folder/VaristepMonitor.exe"
cp "$unix_folder/VaristepMonitor.exe" "$SHOTS/$tag-old-monitor.exe"
chmod a-w "$unix_folder/readme.htm"
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
status=$?
check "$mode: an upgrade that cannot replace a file fails and replaces none" \
  '[ $status = 2 ] && cmp -s "$unix_folder/VaristepMonitor.exe" "$SHOTS/$tag-old-monitor.exe"'
chmod u+w "$unix_folder/readme.htm"

# ---- The log-on choice of the installed copy is kept ----
rm -f "$c/$(grep -iF /startup/ <<<"$links")"
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
status=$?
check "$mode: an upgrade keeps the log-on shortcut the user deleted away" \
  '[ $status = 0 ] && ! shortcuts | grep -qi /startup/'

# ---- A second folder moves the installation ----
wine "$SETUP" /S "/D=$second" >/dev/null 2>&1
check "$mode: installing into another folder removes the first copy" \
  '[ ! -e "$unix_folder" ] && complete "$unix_second" 4 &&
   [ "$(uninstall_value InstallLocation)" = "$second" ]'
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1

# ---- A file in use stays for the next start, and the status says so ----
rm -f "$SHOTS/$tag-hold.out"
probe hold "$folder\\VaristepDemo.exe" 30000 >"$SHOTS/$tag-hold.out" &
within 15 grep -q held "$SHOTS/$tag-hold.out"
wine "$unix_folder/uninstall.exe" /S >/dev/null 2>&1
status=$?
scheduled() {
  if [ "$mode" = win98 ]; then
    local line
    for line in $(find "$c/windows" -maxdepth 1 -iname wininit.ini -exec cat {} + | tr -d '\r' |
      sed -n 's/^NUL=//p'); do
      [ "$(wine winepath -u "$line" 2>/dev/null | tr -d '\r')" -ef "$unix_folder/VaristepDemo.exe" ] && return 0
    done
    return 1
  fi
  wine reg query "$pending_key" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
    grep -qiF 'Varistep Monitor\VaristepDemo.exe'
}
check "$mode: with a file in use the uninstaller says a restart is needed and schedules it" \
  '[ $status = 3 ] && scheduled'
stop_all 'vs_probe\.exe'
within 30 ended "$installers"
wine reg delete "$pending_key" /v PendingFileRenameOperations /f >/dev/null 2>&1
find "$c/windows" -maxdepth 1 -iname wininit.ini -delete
rm -rf "$unix_folder"

# ---- An uninstall and a setup at once, five times ----
wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
whole=0
gone_at_return=0
for round in 1 2 3 4 5; do
  wine "$unix_folder/uninstall.exe" /S >/dev/null 2>&1
  [ $? = 0 ] && [ ! -e "$unix_folder" ] && gone_at_return=$((gone_at_return + 1))
  wine "$SETUP" /S "/D=$folder" >/dev/null 2>&1
  [ $? = 0 ] && complete "$unix_folder" && whole=$((whole + 1))
done
check "$mode: the uninstaller returns once all is removed" '[ $gone_at_return = 5 ]'
check "$mode: uninstall then setup at once leaves a whole installation, five times" '[ $whole = 5 ]'

# ---- Silent uninstall with the installed demo in the tray ----
tray_demo
wine "$unix_folder/uninstall.exe" /S >/dev/null 2>&1
status=$?
check "$mode: uninstall closes the demo in the tray, which writes its settings" \
  '[ $status = 0 ] && settings_written'
check "$mode: uninstall removes the folder" 'wait_gone "$unix_folder" 30'
check "$mode: uninstall removes every shortcut" '[ -z "$(shortcuts)" ]'
check "$mode: uninstall removes the Add/Remove entry" '! wine reg query "$uninstall_key" >/dev/null 2>&1'
check "$mode: silent uninstall keeps the settings" '[ "$(reg_value VaristepDemo Timer)" = 250 ]'
set_setting VaristepDemo StartMin 0

# ---- Declining log-on start; the uninstaller deletes only the files the setup wrote ----
wine "$SETUP" /S /NOLOGON "/D=$folder" >/dev/null 2>&1
check "$mode: /NOLOGON installs without the log-on shortcut" \
  '[ -f "$unix_folder/VaristepMonitor.exe" ] && ! shortcuts | grep -qi /startup/'
echo "notes of my own" >"$unix_folder/readme.htm"
wine "$unix_folder/uninstall.exe" /S >/dev/null 2>&1
check "$mode: uninstall keeps a file that is not the one the setup wrote" \
  '[ "$(cat "$unix_folder/readme.htm" 2>/dev/null)" = "notes of my own" ] &&
   [ ! -e "$unix_folder/VaristepMonitor.exe" ]'
check "$mode: another program's files are untouched through install and uninstall" other_intact
rm -rf "$unix_folder"

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
touch "$SHOTS/$tag-before-uninstall"
rm -f "$SHOTS/$tag-uninstall.status"
(wine "$unix_installed/uninstall.exe" >/dev/null 2>&1; echo $? >"$SHOTS/$tag-uninstall.status") &
check "$mode: the uninstaller opens" 'probe wait "Varistep Monitor Uninstall" 15000'
early=$([ -s "$SHOTS/$tag-uninstall.status" ] && echo returned || echo running)
# The copy runs from a folder of its own in the temporary folder, which on NT no other user may
# write (Wine shows an access list from the folder's Unix mode).
if [ "$mode" != win98 ]; then
  copy_folder=$(find "$c/users" -maxdepth 3 -type d -name 'vsu*.tmp' -newer "$SHOTS/$tag-before-uninstall" |
    head -n 1)
  acl=$(probe acl "$(wine winepath -w "$copy_folder" 2>/dev/null | tr -d '\r')")
  check "$mode: the uninstaller's copy runs from a folder only the user and the system may write" \
    '[ -f "$copy_folder/uninstall.exe" ] && grep -q "^allow" <<<"$acl" &&
     ! grep -qE "S-1-1-0|S-1-5-32-545|S-1-5-11" <<<"$acl"'
fi
next_page "Varistep Monitor Uninstall" 6-uninstall-confirm
within 30 has_control "Varistep Monitor Uninstall" 6
sleep 0.5
shot "$tag-7-settings-question"
click_control "Varistep Monitor Uninstall" 6
sleep 1
next_page "Varistep Monitor Uninstall" 8-uninstalled
check "$mode: the uninstaller finishes" 'probe gone "Varistep Monitor Uninstall" 10000'
check "$mode: the uninstaller returns its status once its window has closed" \
  '[ "$early" = running ] && [ "$(exit_status "$tag-uninstall" 10)" = 0 ]'
check "$mode: by hand it removes the folder" 'wait_gone "$unix_installed" 30'
check "$mode: Yes removes the settings" \
  '! wine reg query "HKCU\\Software\\Corvalith\\VaristepDemo" >/dev/null 2>&1'
if [ "$mode" = win98 ]; then
  check "$mode: another program's settings stay" 'wine reg query "HKCU\\Software\\Corvalith\\Other" >/dev/null 2>&1'
else
  check "$mode: the emptied Corvalith key goes" '! wine reg query "HKCU\\Software\\Corvalith" >/dev/null 2>&1'
fi
finish
