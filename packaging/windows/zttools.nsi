; zttools' Windows setup program, built by makensis (Debian's nsis) with the
; Windows build; packaging/windows/CMakeLists.txt defines
;   VERSION  the version, e.g. 5.3
;   FILES    the file list (files.nsh, made from ZT_WINDOWS_FILES there)
;   ICON     the program's icon
;   LICENCE  the licence's text
;   OUTFILE  the setup program to write
;
; It installs for all users under Program Files, adds a Start menu entry and
; an entry in Apps & Features whose uninstaller removes exactly what was
; installed: files that a user left in the folder, and each user's
; configuration in %APPDATA%\zttools, stay. Putting ztcli on the PATH is a
; choice, off unless ticked.
;
; Command line: /S installs (or, for uninstall.exe, removes) silently; /PATH
; also puts ztcli on the PATH; /D=FOLDER, last, chooses the folder.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\zttools"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; Tells the programs that they are installed, so that each user's
; configuration goes to %APPDATA%, as Program Files is not the users' to write.
!define MARKER "zttools.installed"

Name "zttools ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\zttools"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "zttools ${VERSION}"

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh
!include Sections.nsh
!include WinMessages.nsh
!include WordFunc.nsh
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "zttools is free software: you need not accept anything to use it. The licence sets the terms for passing it on, changed or not."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "zttools and ztcli" SecPrograms
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro ZT_INSTALL_FILES
  FileOpen $0 "$INSTDIR\${MARKER}" w
  FileWrite $0 "Installed by the zttools setup program: each user's configuration is in %APPDATA%\zttools.$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\zttools.lnk" "$INSTDIR\zttools.exe" "" "$INSTDIR\zttools.exe" 0

  ; Apps & Features
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "zttools"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the zttools developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zttools.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Put ztcli on the PATH" SecPath
  Call AddToPath
SectionEnd

; The system's PATH with the program's folder at its end, unless it is there
; already. NSIS strings hold NSIS_MAX_STRLEN characters: a PATH that would
; not fit is left alone, with a word, rather than cut short.
Function AddToPath
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${If} ${Errors}
  ${OrIf} $0 == ""
    Goto refused
  ${EndIf}
  ClearErrors
  ${WordFind} ";$0;" ";$INSTDIR;" "E*" $1
  ${IfNot} ${Errors}
    Return  ; there already, put there by someone else: theirs to keep
  ${EndIf}
  StrLen $1 "$0;$INSTDIR"
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    Goto refused
  ${EndIf}
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  Return
refused:
  MessageBox MB_OK|MB_ICONINFORMATION "The PATH is too long to change safely here; add $INSTDIR to it in the system's settings to run ztcli from any folder." /SD IDOK
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "zttools, ztcli for the command prompt, the user's guide and the licence; a Start menu entry."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "Adds the program's folder to the system's PATH, so that ztcli runs from any command prompt."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext all
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPath}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $0 == 1
    Call un.RemoveFromPath
  ${EndIf}
  Delete "$SMPROGRAMS\zttools.lnk"
  !insertmacro ZT_REMOVE_FILES
  Delete "$INSTDIR\${MARKER}"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: what a user put there stays, and so does the folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Takes out what AddToPath put in, so the PATH is as it was before.
Function un.RemoveFromPath
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${If} ${Errors}
    Return
  ${EndIf}
  ${WordReplace} ";$0;" ";$INSTDIR;" ";" "+" $1
  StrCpy $1 $1 -1 1  ; the two semicolons put around it
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd
