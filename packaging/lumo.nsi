; Installer for VORNIX-Lumo, for the current user: Lumo and its calendar write
; their settings and data beside their exes, so they go to a folder the user
; owns. Built by package.sh:
;   makensis -DSTAGE=<folder> -DOUTFILE=<setup.exe> -DVERSION=<1.0.0.0>
Unicode true
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define APP "VORNIX-Lumo"
!define PUBLISHER "VORNIX-Lumo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VORNIX-Lumo"
; A double click on an address book opens it in lumo.
!define BOOK_CLASS "VORNIX-Lumo.AddressBook"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\VORNIX-Lumo"
InstallDirRegKey HKCU "Software\VORNIX-Lumo" "InstallDir"
RequestExecutionLevel user

!define MUI_ABORTWARNING
; lumo needs the calendar beside it: the calendar starts first.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start the VORNIX calendar and VORNIX-Lumo"
!define MUI_FINISHPAGE_RUN_FUNCTION StartCalendarAndLumo
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\DOC\V_LUMO.HTM"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help page"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The setup file's own version, shown in its properties.
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

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
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumo.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  WriteRegStr HKCU "Software\Classes\.adr" "" "${BOOK_CLASS}"
  WriteRegStr HKCU "Software\Classes\${BOOK_CLASS}" "" "VORNIX-Lumo address book"
  WriteRegStr HKCU "Software\Classes\${BOOK_CLASS}\DefaultIcon" "" "$INSTDIR\lumo.exe,0"
  WriteRegStr HKCU "Software\Classes\${BOOK_CLASS}\shell\open\command" "" '"$INSTDIR\lumo.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Starts the calendar unless it runs, waits up to ten seconds for its window,
; then starts lumo.
Function StartCalendarAndLumo
  FindWindow $0 "VORNIX"
  StrCmp $0 0 0 calendar_runs
  Exec '"$INSTDIR\vornix.exe"'
  StrCpy $1 0
  wait_for_calendar:
    Sleep 200
    FindWindow $0 "VORNIX"
    StrCmp $0 0 0 calendar_runs
    IntOp $1 $1 + 1
    IntCmp $1 50 calendar_runs wait_for_calendar calendar_runs
  calendar_runs:
  Exec '"$INSTDIR\lumo.exe"'
FunctionEnd

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
  ; ".adr" goes only while it still names lumo's class.
  DeleteRegKey HKCU "Software\Classes\${BOOK_CLASS}"
  ReadRegStr $0 HKCU "Software\Classes\.adr" ""
  StrCmp $0 "${BOOK_CLASS}" 0 +2
  DeleteRegKey HKCU "Software\Classes\.adr"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
