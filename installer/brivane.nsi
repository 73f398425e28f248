; The per-user installer of Brivane: no administrator rights, everything under
; the user's own profile and HKEY_CURRENT_USER. Built by scripts/package with
;   makensis -DVERSION=<x.y.z.w> -DFILE_VERSION=<a.b.c.d> -DBRIVANE_EXE=<path>
;            -DOUTFILE=<setup.exe> [-DSIGN=<command>] brivane.nsi
; SIGN, when given, is run as `SIGN <file>` on the uninstaller and on the
; finished setup, and signs the file in place.
;
; Command line of the installer:
;   /S             silent
;   /NOAUTOSTART   leave "Start Brivane when I sign in" off
;   /AUTOSTART     turn it on
;   /D=<folder>    another folder (last, unquoted, as NSIS wants it)
; Without either switch the option is on for a first installation and as the
; user left it for an upgrade. An upgrade goes to the folder of the existing
; installation unless /D= names another.
; and of the uninstaller (uninstall.exe): /S.
;
; Exit codes of both: 0 done, 1 cancelled, 2 aborted, 3 a running Brivane
; could not be ended, 4 a file could not be replaced or removed. On 3 and 4
; nothing was changed.

!ifndef VERSION | FILE_VERSION | BRIVANE_EXE | OUTFILE
  !error "VERSION, FILE_VERSION, BRIVANE_EXE and OUTFILE must be defined"
!endif

Unicode true
; The program is 64-bit; so is the installer (Debian's NSIS has the stubs).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; The same input makes the same setup: no file dates are stored (the files
; get the time they are installed at).
SetDateSave off
; A file that cannot be written ends the installation instead of being
; skipped: the old file must never stay behind a new version number.
AllowSkipFiles off

!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brivane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define EXIT_RUNNING 3
!define EXIT_FILE 4

Name "Brivane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Brivane"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Brivane ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

; The folder of the installation found at start (empty: none).
Var PreviousDir
; Whether SetOutPath made the folder (so that a failure takes it away again).
Var MadeDir
Var FinishText

!define MUI_ICON "${__FILEDIR__}\..\resources\brivane.ico"
!define MUI_UNICON "${__FILEDIR__}\..\resources\brivane.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPagePre
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN "$INSTDIR\brivane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Brivane now"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Brivane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Olmar"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Brivane Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright © Olmar"

; Ends the running copy of Brivane, wherever it runs from, with a hidden
; desktop shown first; aborts with EXIT_RUNNING when one is still running.
; One copy runs per logon session: it holds the mutex "BrivaneMutex" (in the
; session's namespace) for as long as it runs. `brivane.exe /exit` (from $0)
; asks it to end and waits until it has; its message, when it could not, is
; read from its standard error here rather than shown in a box of its own.
; An elevated copy, which a program with the user's normal rights may neither
; send messages nor open, and one that does not answer, stay running: they
; are reported, never killed, since a killed copy could not show the desktop.
!macro END_RUNNING_COPY UN
Function ${UN}EndRunningCopy
  Call ${UN}CopyIsRunning
  Pop $1
  ${If} $1 == 0
    Return
  ${EndIf}
  DetailPrint "Ending the running Brivane"
  ${If} ${FileExists} $0
    nsExec::ExecToStack '"$0" /exit'
    Pop $1
    Pop $2
  ${Else}
    StrCpy $2 ""
  ${EndIf}
  ; The copy's mutex goes with its process; a moment is allowed for that.
  StrCpy $3 0
  ${Do}
    Call ${UN}CopyIsRunning
    Pop $1
    ${If} $1 == 0
      Return
    ${EndIf}
    IntOp $3 $3 + 1
    ${If} $3 > 20
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  MessageBox MB_OK|MB_ICONSTOP "Brivane is running and could not be ended, so nothing was changed.$\r$\n$2$\r$\nEnd Brivane (Exit in its menu in the notification area) and run this again." /SD IDOK
  SetErrorLevel ${EXIT_RUNNING}
  Abort
FunctionEnd

; Pushes 1 when a copy of Brivane runs in this session, else 0. The mutex of
; an elevated copy can't be opened but is there all the same.
Function ${UN}CopyIsRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "BrivaneMutex") p .r4 ?e'
  Pop $5
  ${If} $4 P<> 0
    System::Call 'kernel32::CloseHandle(p r4)'
    Push 1
  ${ElseIf} $5 = 5
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; Pushes 1 when the Run value "Brivane" starts $0 (a path), else 0.
Function ${UN}RunValueNames
  ReadRegStr $1 HKCU "${RUN_KEY}" "Brivane"
  ${If} $1 == '"$0"'
  ${OrIf} $1 == $0
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

; The size in bytes of file $0 (0 when it can't be opened) added to $9.
Function AddFileSize
  ClearErrors
  FileOpen $1 $0 r
  ${IfNot} ${Errors}
    FileSeek $1 0 END $2
    FileClose $1
    IntOp $9 $9 + $2
  ${EndIf}
FunctionEnd

; Takes back what the installation put in place so far and aborts with code
; EXIT_FILE: the new files are deleted (staged beside the old ones, and
; brivane.exe once $R3 is 1), old files already moved aside ($R1
; brivane.exe, $R2 uninstall.exe: 1 when moved) are moved back, and a folder
; made for the installation is removed.
Function FailFileInUse
  ${If} $R3 == 1
    Delete "$INSTDIR\brivane.exe"
  ${EndIf}
  Delete "$INSTDIR\brivane.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
  ${If} $R2 == 1
    Rename "$INSTDIR\uninstall.exe.old" "$INSTDIR\uninstall.exe"
  ${EndIf}
  ${If} $R1 == 1
    Rename "$INSTDIR\brivane.exe.old" "$INSTDIR\brivane.exe"
  ${EndIf}
  ${If} $MadeDir == 1
    RMDir "$INSTDIR"
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "A file in $INSTDIR is in use and could not be replaced, so nothing was changed. Close what uses it and run this again." /SD IDOK
  SetErrorLevel ${EXIT_FILE}
  Abort
FunctionEnd

; Moves $INSTDIR\$0 aside to $0.old, so that the new file can take its name;
; returns 1 in $1 when it was there and moved, 0 when it was not there, and
; fails the installation when it is there and cannot be moved.
Function MoveAside
  Delete "$INSTDIR\$0.old"
  StrCpy $1 0
  ${If} ${FileExists} "$INSTDIR\$0"
    ClearErrors
    Rename "$INSTDIR\$0" "$INSTDIR\$0.old"
    ${If} ${Errors}
      Call FailFileInUse
    ${EndIf}
    StrCpy $1 1
  ${EndIf}
FunctionEnd

Section "-Brivane" SecProgram
  ; Nothing is changed before every running copy has ended.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\brivane.exe" "${BRIVANE_EXE}"
  StrCpy $0 "$PLUGINSDIR\brivane.exe"
  Call EndRunningCopy
  Delete "$PLUGINSDIR\brivane.exe"

  ; The new files are written beside the old ones, which are then moved
  ; aside, and only then do the new ones take their names: a file that is in
  ; use fails the installation with everything as it was.
  StrCpy $R1 0
  StrCpy $R2 0
  StrCpy $R3 0
  StrCpy $MadeDir 0
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $MadeDir 1
  ${EndIf}
  SetOutPath "$INSTDIR"
  Delete "$INSTDIR\brivane.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
  ClearErrors
  File "/oname=brivane.exe.new" "${BRIVANE_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe.new"
  ${If} ${Errors}
    Call FailFileInUse
  ${EndIf}
  StrCpy $0 "brivane.exe"
  Call MoveAside
  StrCpy $R1 $1
  StrCpy $0 "uninstall.exe"
  Call MoveAside
  StrCpy $R2 $1
  ClearErrors
  Rename "$INSTDIR\brivane.exe.new" "$INSTDIR\brivane.exe"
  ${If} ${Errors}
    Call FailFileInUse
  ${EndIf}
  StrCpy $R3 1
  Rename "$INSTDIR\uninstall.exe.new" "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    Call FailFileInUse
  ${EndIf}
  ; Nothing runs the old files any more; one that can't be deleted now is
  ; deleted by the next installation or the uninstaller.
  Delete "$INSTDIR\brivane.exe.old"
  Delete "$INSTDIR\uninstall.exe.old"

  CreateShortcut "$SMPROGRAMS\Brivane.lnk" "$INSTDIR\brivane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Brivane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Olmar"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brivane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; What was installed, in KB: the folder may hold other things.
  StrCpy $9 0
  StrCpy $0 "$INSTDIR\brivane.exe"
  Call AddFileSize
  StrCpy $0 "$INSTDIR\uninstall.exe"
  Call AddFileSize
  IntOp $9 $9 + 1023
  IntOp $9 $9 / 1024
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $9

  ; Installed into another folder than before (/D=): the earlier copy goes,
  ; so that one installation remains, the one the Uninstall key names.
  ${If} $PreviousDir != ""
  ${AndIf} $PreviousDir != $INSTDIR
    Delete "$PreviousDir\brivane.exe"
    Delete "$PreviousDir\uninstall.exe"
    RMDir "$PreviousDir"
  ${EndIf}
SectionEnd

Section "Start Brivane when I sign in" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Brivane" '"$INSTDIR\brivane.exe"'
SectionEnd

; Off: a Run value that starts this installation's copy (or the earlier
; one's) goes; one that starts another copy is the user's and stays.
Section "-Autostart off"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    StrCpy $0 "$INSTDIR\brivane.exe"
    Call RunValueNames
    Pop $1
    StrCpy $0 "$PreviousDir\brivane.exe"
    Call RunValueNames
    Pop $2
    ${If} $1 == 1
    ${OrIf} $2 == 1
      DeleteRegValue HKCU "${RUN_KEY}" "Brivane"
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ReadRegStr $PreviousDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $PreviousDir != ""
  ${AndIfNot} ${FileExists} "$PreviousDir\brivane.exe"
    StrCpy $PreviousDir ""
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
    Return
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  ; An upgrade keeps the choice the user made: on only when the Run value
  ; starts the installed copy.
  ${If} $PreviousDir != ""
    StrCpy $0 "$PreviousDir\brivane.exe"
    Call RunValueNames
    Pop $1
    ${If} $1 == 0
      !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}
  ${EndIf}
FunctionEnd

; Run with administrator rights, setup would start Brivane elevated too: a
; copy that programs with the user's normal rights can no longer send its
; commands to. Setup then leaves the start to the user.
Function FinishPagePre
  StrCpy $FinishText "Brivane has been installed on your computer.$\r$\n$\r$\nClick Finish to close Setup."
  Call IsElevated
  Pop $0
  ${If} $0 == 1
    StrCpy $FinishText "Brivane has been installed. Setup runs with administrator rights and would start Brivane with them too; start it from the Start menu instead."
  ${EndIf}
FunctionEnd

Function FinishPageShow
  Call IsElevated
  Pop $0
  ${If} $0 == 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; Pushes 1 when this process runs elevated (TokenElevation), else 0.
Function IsElevated
  System::Call 'advapi32::OpenProcessToken(p -1, i 0x0008, *p .r1) i .r0'
  StrCpy $2 0
  ${If} $0 != 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 20, *i .r2, i 4, *i .r3) i .r0'
    System::Call 'kernel32::CloseHandle(p r1)'
    ${If} $0 == 0
      StrCpy $2 0
    ${EndIf}
  ${EndIf}
  ${If} $2 != 0
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; The user's caption colours and wallpaper settings are theirs: the
; uninstaller leaves "Control Panel\Desktop" alone. Brivane's own file goes
; first: while it is in use nothing else is removed, and the entry in
; Settings → Apps stays to try again.
Section "Uninstall"
  StrCpy $0 "$INSTDIR\brivane.exe"
  Call un.EndRunningCopy
  ClearErrors
  Delete "$INSTDIR\brivane.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\brivane.exe is in use and could not be removed, so nothing was changed. Close what uses it and run this again." /SD IDOK
    SetErrorLevel ${EXIT_FILE}
    Abort
  ${EndIf}
  Delete "$INSTDIR\brivane.exe.old"
  Delete "$INSTDIR\uninstall.exe.old"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Brivane.lnk"
  StrCpy $0 "$INSTDIR\brivane.exe"
  Call un.RunValueNames
  Pop $1
  ${If} $1 == 1
    DeleteRegValue HKCU "${RUN_KEY}" "Brivane"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
