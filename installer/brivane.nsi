; The per-user installer of Brivane: no administrator rights, everything under
; the user's own profile and HKEY_CURRENT_USER. Built by scripts/package with
;   makensis -DVERSION=<x.y.z.w> -DFILE_VERSION=<a.b.c.d> -DBRIVANE_EXE=<path>
;            -DOUTFILE=<setup.exe> [-DSIGN=<command> -DPLUGINDIR=<folder>]
;            brivane.nsi
; SIGN, when given, is run as `SIGN <file>` on the uninstaller and on the
; finished setup, and signs the file in place. PLUGINDIR, when given, holds
; signed copies of NSIS's amd64-unicode plugins, which setup and the
; uninstaller then unpack and load instead of the unsigned ones.
;
; Command line of the installer:
;   /S             silent
;   /NOAUTOSTART   leave "Start Brivane when I sign in" off
;   /AUTOSTART     turn it on
;   /NOSTART       do not start Brivane again at the end
;   /D=<folder>    another folder (last, unquoted, as NSIS wants it)
; Without either switch the option is on for a first installation and as the
; user left it for an upgrade. An upgrade goes to the folder of the existing
; installation unless /D= names another. A Brivane that setup ended is started
; again at the end (the installed copy, or a copy that ran from elsewhere from
; there), as the desktop's user and never elevated, unless /NOSTART is given.
; and of the uninstaller (uninstall.exe): /S, and _?=<folder> (last) to run it
; in place and wait for it, as the QuietUninstallString does:
;   "<folder>\uninstall.exe" /S _?=<folder>
; Run so, it leaves a copy of itself in %TEMP% that deletes uninstall.exe
; and the folder once it has ended.
;
; Exit codes of both: 0 done, 1 cancelled, 2 aborted, 3 a running Brivane
; could not be ended, 4 a file could not be written, replaced or removed. On
; 3 and 4 nothing was changed. Setup only: 5 setup runs as another account
; than the one signed in to the desktop (over-the-shoulder administrator
; credentials, SYSTEM), and changed nothing.

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

!ifdef PLUGINDIR
  !addplugindir /amd64-unicode "${PLUGINDIR}"
!endif
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brivane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define EXIT_RUNNING 3
!define EXIT_FILE 4
!define EXIT_OTHER_ACCOUNT 5

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
; 1 once the installation writes into $INSTDIR, and once a failure has been
; rolled back and reported.
Var Writing
Var Failed
; The path of the Brivane that setup ended ("" when none ran), whether it is
; to be started again at the end, and whether it was.
Var RanFrom
Var StartAgain
Var Restarted
Var NoStart

!define MUI_ICON "${__FILEDIR__}\..\resources\brivane.ico"
!define MUI_UNICON "${__FILEDIR__}\..\resources\brivane.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Brivane will be removed from the folder below. Your settings stay: the hot key and hiding when idle under HKCU\Software\Brivane, and your caption colours and wallpaper."

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
  !if "${UN}" == ""
    Call RunningCopyPath
    ${If} $NoStart != 1
      StrCpy $StartAgain 1
    ${EndIf}
  !endif
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

; Sets $RanFrom to the path of the running copy's program: the process of its
; application window ("TApplication" titled "Brivane", top-level), whose name
; QueryFullProcessImageNameW gives with no more than the right to query
; limited information. "" when there is none or it can't be read.
Function RunningCopyPath
  StrCpy $RanFrom ""
  FindWindow $4 "TApplication" "Brivane"
  ${If} $4 = 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r4, *i .r5)'
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r5) p .r4'
  ${If} $4 P<> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r4, i 0, w .r6, *i ${NSIS_MAX_STRLEN}) i .r5'
    System::Call 'kernel32::CloseHandle(p r4)'
    ${If} $5 <> 0
      StrCpy $RanFrom $6
    ${EndIf}
  ${EndIf}
FunctionEnd

; The user SID of the access token $0 in the buffer of 256 bytes $1; pushes
; the SID's address, or 0.
Function TokenUserSid
  System::Call 'advapi32::GetTokenInformation(p r0, i 1, p r1, i 256, *i .r2) i .r3'
  ${If} $3 = 0
    Push 0
    Return
  ${EndIf}
  ; TOKEN_USER begins with the SID's address.
  System::Call '*$1(p .r2)'
  Push $2
FunctionEnd

; Pushes 1 when setup runs as another account than the one signed in to this
; desktop: the owner of the shell's process (GetShellWindow) is another user,
; or that process may not even be queried (access denied; a user's own
; processes always may), or there is no shell and setup runs as SYSTEM. HKCU
; and $LOCALAPPDATA would then be that other account's. What can't be read
; stops nothing.
Function IsOtherAccount
  System::Alloc 256
  Pop $7
  System::Alloc 256
  Pop $8
  StrCpy $9 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r0) i .r3'
  ${If} $3 <> 0
    StrCpy $1 $7
    Call TokenUserSid
    Pop $6
    System::Call 'kernel32::CloseHandle(p r0)'
    System::Call 'user32::GetShellWindow() p .r4'
    ${If} $4 P= 0
      ${If} $6 P<> 0
        ; WinLocalSystemSid
        System::Call 'advapi32::IsWellKnownSid(p r6, i 22) i .r9'
      ${EndIf}
    ${Else}
      System::Call 'user32::GetWindowThreadProcessId(p r4, *i .r5)'
      System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r5) p .r4 ?e'
      Pop $3
      ${If} $4 P= 0
        ; ERROR_ACCESS_DENIED: another account's process. Any other
        ; failure tells nothing, and setup goes on.
        ${If} $3 = 5
          StrCpy $9 1
        ${EndIf}
      ${Else}
        System::Call 'advapi32::OpenProcessToken(p r4, i 8, *p .r0) i .r3'
        ${If} $3 <> 0
          StrCpy $1 $8
          Call TokenUserSid
          Pop $5
          System::Call 'kernel32::CloseHandle(p r0)'
          ${If} $5 P<> 0
          ${AndIf} $6 P<> 0
            System::Call 'advapi32::EqualSid(p r5, p r6) i .r3'
            ${If} $3 = 0
              StrCpy $9 1
            ${EndIf}
          ${EndIf}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r4)'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Free $7
  System::Free $8
  ${If} $9 <> 0
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

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

; Takes back what the installation put in place so far and reports it, with
; exit code EXIT_FILE: the new files are deleted (staged beside the old ones,
; and brivane.exe once $R3 is 1), old files already moved aside ($R1
; brivane.exe, $R2 uninstall.exe: 1 when moved) are moved back, and a folder
; made for the installation is removed. $0 says what failed.
Function RollBack
  StrCpy $Failed 1
  ${If} $R3 == 1
    Delete "$INSTDIR\brivane.exe"
  ${EndIf}
  Delete "$INSTDIR\brivane.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
  ; What could not be moved back, for the message.
  StrCpy $1 ""
  ${If} $R2 == 1
    ClearErrors
    Rename "$INSTDIR\uninstall.exe.old" "$INSTDIR\uninstall.exe"
    ${If} ${Errors}
      StrCpy $1 "$\r$\n$INSTDIR\uninstall.exe.old"
    ${EndIf}
  ${EndIf}
  ${If} $R1 == 1
    ClearErrors
    Rename "$INSTDIR\brivane.exe.old" "$INSTDIR\brivane.exe"
    ${If} ${Errors}
      StrCpy $1 "$1$\r$\n$INSTDIR\brivane.exe.old"
    ${EndIf}
  ${EndIf}
  ${If} $MadeDir == 1
    ; A folder that is a process's working directory can't be removed:
    ; setup's own is $INSTDIR since SetOutPath.
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
  ${EndIf}
  ${If} $1 == ""
    MessageBox MB_OK|MB_ICONSTOP "$0, so nothing was changed. Close what uses it and run this again." /SD IDOK
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "$0, and the earlier files could not be put back. Rename these back, without .old, to have the earlier Brivane again:$1" /SD IDOK
  ${EndIf}
  SetErrorLevel ${EXIT_FILE}
FunctionEnd

Function FailFileInUse
  StrCpy $0 "A file in $INSTDIR is in use and could not be replaced"
  Call RollBack
  Abort
FunctionEnd

; A write of NSIS's own failed (a `File` that could not be written, on a full
; disk, a file locked by a scanner, a folder without rights), after its
; Retry/Cancel (Cancel in silent mode): the same roll-back.
Function .onInstFailed
  ${If} $Writing == 1
  ${AndIf} $Failed != 1
    StrCpy $0 "A file could not be written in $INSTDIR"
    Call RollBack
  ${EndIf}
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
  StrCpy $Writing 1
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
  ; In place, waited for, with its own exit code (see un.onInit).
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
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

; Last: a Brivane that setup ended runs again, as the user had it.
Section "-Start again"
  ${If} $StartAgain == 1
    ; The copy that ran, from where it ran; the installed one when it ran
    ; from the installation (whose earlier folder may be gone now).
    StrCpy $0 "$INSTDIR\brivane.exe"
    ${If} $RanFrom != ""
    ${AndIf} ${FileExists} $RanFrom
      StrCpy $0 $RanFrom
    ${EndIf}
    DetailPrint "Starting Brivane again"
    Call StartAsDesktopUser
    ${If} $Restarted != 1
      DetailPrint "Brivane could not be started without administrator rights; start it from the Start menu"
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  Call IsOtherAccount
  Pop $0
  ${If} $0 == 1
    MessageBox MB_OK|MB_ICONSTOP "Setup runs as another account than the one signed in to this desktop, so it would install Brivane for that account, not for you. Nothing was changed.$\r$\nRun setup as yourself, without other credentials: it needs no administrator rights." /SD IDOK
    SetErrorLevel ${EXIT_OTHER_ACCOUNT}
    Quit
  ${EndIf}
  ReadRegStr $PreviousDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $PreviousDir != ""
  ${AndIfNot} ${FileExists} "$PreviousDir\brivane.exe"
    StrCpy $PreviousDir ""
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSTART" $1
  ${IfNot} ${Errors}
    StrCpy $NoStart 1
  ${EndIf}
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
  ${ElseIf} $Restarted == 1
    StrCpy $FinishText "Brivane has been installed and runs again as before.$\r$\n$\r$\nClick Finish to close Setup."
  ${EndIf}
FunctionEnd

; Brivane is not offered to be started when setup runs elevated (the page
; would start it elevated), when it runs again already, or with /NOSTART.
Function FinishPageShow
  Call IsElevated
  Pop $0
  ${If} $0 == 1
  ${OrIf} $Restarted == 1
  ${OrIf} $NoStart == 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; Starts the program $0 in its folder as the user signed in to the desktop,
; never elevated, and sets $Restarted to 1 when it did. A process starts its
; children with its own token, so setup started elevated takes the token of
; the shell's process (GetShellWindow; the user's own, not elevated, as
; IsOtherAccount made sure) for CreateProcessWithTokenW, which needs the
; SeImpersonatePrivilege that administrators hold. Without a shell or the
; token it starts nothing rather than an elevated Brivane.
Function StartAsDesktopUser
  Push $0
  Call IsElevated
  Pop $2
  Pop $0
  ${GetParent} $0 $1
  StrCpy $8 '"$0"'
  ${If} $2 == 0
    SetOutPath $1
    Exec $8
    StrCpy $Restarted 1
    Return
  ${EndIf}
  System::Call 'user32::GetShellWindow() p .r2'
  ${If} $2 P= 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r2, *i .r3)'
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r3) p .r2'
  ${If} $2 P= 0
    Return
  ${EndIf}
  ; TOKEN_DUPLICATE; then a primary token with TOKEN_ASSIGN_PRIMARY,
  ; TOKEN_DUPLICATE, TOKEN_QUERY, TOKEN_ADJUST_DEFAULT and
  ; TOKEN_ADJUST_SESSIONID, as CreateProcessWithTokenW wants it.
  System::Call 'advapi32::OpenProcessToken(p r2, i 2, *p .r3) i .r4'
  System::Call 'kernel32::CloseHandle(p r2)'
  ${If} $4 = 0
    Return
  ${EndIf}
  System::Call 'advapi32::DuplicateTokenEx(p r3, i 0x18B, p 0, i 2, i 1, *p .r5) i .r4'
  System::Call 'kernel32::CloseHandle(p r3)'
  ${If} $4 = 0
    Return
  ${EndIf}
  ; STARTUPINFOW (104 bytes, cb first) and PROCESS_INFORMATION (24 bytes).
  System::Alloc 104
  Pop $6
  System::Call '*$6(i 104)'
  System::Alloc 24
  Pop $7
  System::Call 'advapi32::CreateProcessWithTokenW(p r5, i 0, w r0, w r8, i 0, p 0, w r1, p r6, p r7) i .r4'
  ${If} $4 <> 0
    System::Call '*$7(p .r2, p .r3)'
    System::Call 'kernel32::CloseHandle(p r2)'
    System::Call 'kernel32::CloseHandle(p r3)'
    StrCpy $Restarted 1
  ${EndIf}
  System::Free $6
  System::Free $7
  System::Call 'kernel32::CloseHandle(p r5)'
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
  ; The copy that deletes an uninstaller run in place (see the end of the
  ; uninstall section): it waits until process <id> has ended, then deletes
  ; the uninstaller and its folder, when empty, and ends.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DELETEAFTER=" $1
  ${IfNot} ${Errors}
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i $1) p .r2'
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
    Quit
  ${EndIf}
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
  Delete "$SMPROGRAMS\Brivane.lnk"
  StrCpy $0 "$INSTDIR\brivane.exe"
  Call un.RunValueNames
  Pop $1
  ${If} $1 == 1
    DeleteRegValue HKCU "${RUN_KEY}" "Brivane"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Run as NSIS starts it by default, the uninstaller is a copy in %TEMP%
  ; that NSIS started with _?=, and uninstall.exe can go now. Run in place
  ; (_?= given, as the QuietUninstallString does, so that the caller waits
  ; for the true exit code), Windows keeps uninstall.exe open while it runs:
  ; a copy of it in %TEMP% deletes it and the folder once this one has
  ; ended.
  SetOutPath "$TEMP"
  ${If} $EXEDIR == $INSTDIR
    GetTempFileName $1
    Delete $1
    CreateDirectory $1
    CopyFiles /SILENT /FILESONLY "$EXEPATH" "$1\Brivane-uninstall.exe"
    System::Call 'kernel32::GetCurrentProcessId() i .r2'
    Exec '"$1\Brivane-uninstall.exe" /DELETEAFTER=$2 _?=$INSTDIR'
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
