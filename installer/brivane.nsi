; The per-user installer of Brivane: no administrator rights, everything under
; the user's own profile and HKEY_CURRENT_USER. Built by scripts/package with
;   makensis -DVERSION=<x.y.z.w> -DFILE_VERSION=<a.b.c.d> -DBRIVANE_EXE=<path>
;            -DOUTFILE=<setup.exe> brivane.nsi
;
; Command line of the installer:
;   /S             silent
;   /NOAUTOSTART   leave "Start Brivane when I sign in" off (it is on by default)
;   /D=<folder>    another folder (last, unquoted, as NSIS wants it)
; and of the uninstaller (uninstall.exe): /S.

!ifndef VERSION | FILE_VERSION | BRIVANE_EXE | OUTFILE
  !error "VERSION, FILE_VERSION, BRIVANE_EXE and OUTFILE must be defined"
!endif

Unicode true
; The program is 64-bit; so is the installer (Debian's NSIS has the stubs).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brivane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Brivane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Brivane"
BrandingText "Brivane ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${__FILEDIR__}\..\resources\brivane.ico"
!define MUI_UNICON "${__FILEDIR__}\..\resources\brivane.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
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

Section "-Brivane" SecProgram
  SetOutPath "$INSTDIR"
  ; Over an earlier installation, the running copy is ended first, so that its
  ; file can be replaced. The new brivane.exe asks it, from the plug-ins
  ; folder: an older one might not know /exit. /exit shows a hidden desktop
  ; before the copy ends and returns once it has ended.
  ${If} ${FileExists} "$INSTDIR\brivane.exe"
    InitPluginsDir
    File "/oname=$PLUGINSDIR\brivane.exe" "${BRIVANE_EXE}"
    ExecWait '"$PLUGINSDIR\brivane.exe" /exit'
    Delete "$PLUGINSDIR\brivane.exe"
  ${EndIf}
  File "/oname=brivane.exe" "${BRIVANE_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
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
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Written again by the option below when it is chosen; an earlier value
  ; goes when it is not.
  DeleteRegValue HKCU "${RUN_KEY}" "Brivane"
SectionEnd

Section "Start Brivane when I sign in" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Brivane" '"$INSTDIR\brivane.exe"'
SectionEnd

Function .onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; The user's caption colours and wallpaper settings are theirs: the
; uninstaller leaves "Control Panel\Desktop" alone.
Section "Uninstall"
  ; A hidden desktop comes back before the copy ends.
  ${If} ${FileExists} "$INSTDIR\brivane.exe"
    ExecWait '"$INSTDIR\brivane.exe" /exit'
  ${EndIf}
  Delete "$INSTDIR\brivane.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Brivane.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Brivane"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
