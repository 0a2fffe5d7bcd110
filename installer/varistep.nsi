; Setup for Varistep Monitor: both programs and the help page, a Start-menu folder, an optional
; start at log-on for the monitor, and an entry in Add/Remove Programs. An ANSI x86 installer,
; so that it runs on Windows 98 SE as well as 2000 and XP.
;   makensis -DVERSION=0.90 -DPROGRAMS=<folder with both exes and readme.htm>
;            -DICON=<application.ico> -DOUTFILE=<setup.exe> varistep.nsi
; /S installs silently with the defaults, /D=<folder> chooses the folder; the uninstaller takes
; /S too and then keeps the settings.

Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef VERSION | PROGRAMS | ICON | OUTFILE
  !error "VERSION, PROGRAMS, ICON and OUTFILE must be defined"
!endif

!define PRODUCT "Varistep Monitor"
!define PUBLISHER "Corvalith"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VaristepMonitor"
!define SETTINGS_KEY "Software\Corvalith"
!define STARTUP_LINK "$SMSTARTUP\${PRODUCT}.lnk"
; The monitor window's caption and its Close command: uninstall closes a running copy as the
; user would.
!define MONITOR_CAPTION "Varistep Monitor"
!define CLOSE_COMMAND 32774

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!include "MUI2.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The install log stays up until Next, so the user sees it finished.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\VaristepMonitor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Varistep Monitor now"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Sends Close to every running copy of either program and waits up to ten seconds for its process
; to end, so that its files can be replaced or removed and its settings are written first.
!macro CloseRunning
  close_next:
    FindWindow $0 "#32770" "${MONITOR_CAPTION}"
    IntCmp $0 0 close_done
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    ; SYNCHRONIZE
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
    SendMessage $0 ${WM_COMMAND} ${CLOSE_COMMAND} 0 /TIMEOUT=5000
    IntPtrCmp $2 0 close_no_handle
    System::Call "kernel32::WaitForSingleObject(p r2, i 10000) i .r3"
    System::Call "kernel32::CloseHandle(p r2)"
    ; Still running after ten seconds: leave it, and any other copy, alone.
    IntCmp $3 0 close_next close_done close_done
  close_no_handle:
    Sleep 1000
    IsWindow $0 close_done close_next
  close_done:
!macroend

Section "-Programs"
  !insertmacro CloseRunning
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\VaristepMonitor.exe"
  File "${PROGRAMS}\VaristepDemo.exe"
  File "${PROGRAMS}\readme.htm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start in the install folder: Help opens readme.htm from the current folder.
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Varistep Monitor.lnk" "$INSTDIR\VaristepMonitor.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Varistep Demo.lnk" "$INSTDIR\VaristepDemo.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Help.lnk" "$INSTDIR\readme.htm"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VaristepMonitor.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The user's own Startup folder, not a Run value: a shortcut starts in the install folder, so Help
; works, and the user sees it and can remove it in Start, Programs, Startup. Only the monitor is
; offered: on a machine without the processor it would greet every log-on with its box.
Section "Start Varistep Monitor when I log on" SecStartup
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  CreateShortCut "${STARTUP_LINK}" "$INSTDIR\VaristepMonitor.exe"
SectionEnd

Section "Uninstall"
  !insertmacro CloseRunning
  SetShellVarContext current
  Delete "${STARTUP_LINK}"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\Varistep Monitor.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Varistep Demo.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  Delete "$INSTDIR\VaristepMonitor.exe"
  Delete "$INSTDIR\VaristepDemo.exe"
  Delete "$INSTDIR\readme.htm"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your Varistep Monitor settings?" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}\VaristepMonitor"
    DeleteRegKey HKCU "${SETTINGS_KEY}\VaristepDemo"
    DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  keep_settings:
SectionEnd
