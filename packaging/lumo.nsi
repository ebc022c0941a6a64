; Installer for VORNIX-Lumo, for the current user: Lumo and its calendar write
; their settings and data beside their exes, so they go to a folder the user
; owns. Built by package.sh: makensis -DSTAGE=<folder> -DOUTFILE=<setup.exe>.
Unicode true
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define APP "VORNIX-Lumo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VORNIX-Lumo"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\VORNIX-Lumo"
InstallDirRegKey HKCU "Software\VORNIX-Lumo" "InstallDir"
RequestExecutionLevel user

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vornix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start the VORNIX calendar"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\DOC\V_LUMO.HTM"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help page"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "VORNIX-Lumo"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\lumo.exe"
  File "${STAGE}\vornix.exe"
  File "${STAGE}\README.TXT"
  ; The demo book is the user's to change: never overwrite it.
  SetOverwrite off
  File "${STAGE}\DEMO.ADR"
  SetOverwrite on
  SetOutPath "$INSTDIR\DOC"
  File "${STAGE}\DOC\V_LUMO.HTM"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\VORNIX calendar.lnk" "$INSTDIR\vornix.exe"
  CreateShortcut "$SMPROGRAMS\${APP}\VORNIX-Lumo.lnk" "$INSTDIR\lumo.exe"
  CreateShortcut "$SMPROGRAMS\${APP}\Help.lnk" "$INSTDIR\DOC\V_LUMO.HTM"
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "Software\VORNIX-Lumo" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumo.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only what the installer brought: address books, their .DUP backups,
  ; V-LUMO.INF, appointments.txt and DEMO.ADR stay.
  Delete "$INSTDIR\lumo.exe"
  Delete "$INSTDIR\vornix.exe"
  Delete "$INSTDIR\README.TXT"
  Delete "$INSTDIR\DOC\V_LUMO.HTM"
  RMDir "$INSTDIR\DOC"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}\VORNIX calendar.lnk"
  Delete "$SMPROGRAMS\${APP}\VORNIX-Lumo.lnk"
  Delete "$SMPROGRAMS\${APP}\Help.lnk"
  Delete "$SMPROGRAMS\${APP}\Uninstall.lnk"
  RMDir "$SMPROGRAMS\${APP}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\VORNIX-Lumo"
SectionEnd
