; The per-user Windows installer: no administrator rights, the program folder
; in %LOCALAPPDATA%\Programs\Ornavox, a Start menu entry, and an uninstaller
; in the user's list of apps. Both run silently with /S. The uninstaller takes
; only what was installed: the recordings and Config.ini live in the user's
; own folders (the installed mark sends them there) and stay.
; makensis -DVERSION=<x.y> -DPROGRAM=<program folder> -DMARK=<installed.txt> -DOUTFILE=<setup.exe>

; A 64-bit installer for the 64-bit program, which needs no 32-bit layer to run.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define APP "Ornavox"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ornavox"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Ornavox"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${PROGRAM}/skin/ornavox.ico"
UninstallIcon "${PROGRAM}/skin/ornavox.ico"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Ornavox developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${PROGRAM}/ornavox.exe"
  File "${PROGRAM}/lame_enc.dll"
  File "${PROGRAM}/ornavox.html"
  File "${MARK}"
  SetOutPath "$INSTDIR\skin"
  File "${PROGRAM}/skin/*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\ornavox.exe" "" "$INSTDIR\ornavox.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Ornavox developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ornavox.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$INSTDIR\ornavox.exe"
  Delete "$INSTDIR\lame_enc.dll"
  Delete "$INSTDIR\ornavox.html"
  Delete "$INSTDIR\installed.txt"
  Delete "$INSTDIR\skin\*.*"
  RMDir "$INSTDIR\skin"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a file the user put there stays, and so does its folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
