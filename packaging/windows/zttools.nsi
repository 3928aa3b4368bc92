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
; configuration in %APPDATA%\zttools, stay. Opening .eep settings files with
; zttools is a choice, on unless unticked; putting ztcli on the PATH is one,
; off unless ticked. The last page offers to start zttools.
;
; The uninstaller does not remove programs that are running: it asks for
; them to be closed first, and fails (exit code 2) when they are not. A file
; that still cannot be removed goes at the next restart, which it says, and
; the exit code is then 3010, as Windows installers report a restart to come.
;
; Command line: /S installs (or, for uninstall.exe, removes) silently; /PATH
; also puts ztcli on the PATH; /NOEEP leaves .eep files alone; /D=FOLDER,
; last, chooses the folder.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\zttools"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; The file type of settings files, and the class that opens them with zttools.
!define EEP_KEY "Software\Classes\.eep"
!define EEP_CLASS "zttools.settings"
!define EEP_CLASS_KEY "Software\Classes\${EEP_CLASS}"
; SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, 0, 0): Explorer rereads them.
!define ASSOCIATIONS_CHANGED 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
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
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start zttools"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH
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

Section "Open .eep settings files with zttools" SecEep
  ; Explorer's own list of programs for .eep gets zttools; the type's
  ; default program becomes zttools, and the one it had comes back when
  ; zttools is uninstalled.
  WriteRegStr HKLM "${EEP_CLASS_KEY}" "" "Zentor 3 keyer settings"
  WriteRegStr HKLM "${EEP_CLASS_KEY}\DefaultIcon" "" "$INSTDIR\zttools.exe,0"
  WriteRegStr HKLM "${EEP_CLASS_KEY}\shell\open\command" "" '"$INSTDIR\zttools.exe" "%1"'
  WriteRegStr HKLM "${EEP_KEY}\OpenWithProgids" "${EEP_CLASS}" ""
  ReadRegStr $0 HKLM "${EEP_KEY}" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${EEP_CLASS}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "EepClassBefore" $0
  ${EndIf}
  WriteRegStr HKLM "${EEP_KEY}" "" "${EEP_CLASS}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "OpensEep" 1
  System::Call '${ASSOCIATIONS_CHANGED}'
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
  !insertmacro MUI_DESCRIPTION_TEXT ${SecEep} "Double-clicking a .eep settings file opens it in zttools."
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
  ClearErrors
  ${GetOptions} $0 "/NOEEP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecEep}
  ${EndIf}
FunctionEnd

; Started by the setup program, which runs as administrator, zttools would
; run so too, with the administrator's configuration; Explorer starts it as
; the user who is logged in.
Function StartProgram
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\zttools.exe"'
FunctionEnd

; A program that runs cannot be removed: Windows will not let its file be
; opened for writing. $1 gets the file's name added when it is so.
!macro ZT_NOTE_RUNNING FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    ClearErrors
    FileOpen $2 "$INSTDIR\${FILE}" a
    ${If} ${Errors}
      StrCpy $1 "$1 ${FILE}"
    ${Else}
      FileClose $2
    ${EndIf}
  ${EndIf}
!macroend

; The user is asked to close the programs that run; a silent uninstall, or
; a user who cancels, ends here with nothing removed.
Function un.onInit
  SetShellVarContext all
  ${Do}
    StrCpy $1 ""
    !insertmacro ZT_NOTE_RUNNING zttools.exe
    !insertmacro ZT_NOTE_RUNNING ztcli.exe
    ${If} $1 == ""
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "zttools cannot be uninstalled while it runs:$1. Close it, then press Retry." /SD IDCANCEL IDRETRY again
    SetErrorLevel 2
    Quit
  again:
  ${Loop}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $0 == 1
    Call un.RemoveFromPath
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "OpensEep"
  ${If} $0 == 1
    Call un.RemoveEepClass
  ${EndIf}
  Delete "$SMPROGRAMS\zttools.lnk"
  ; What is still in use goes at the next restart.
  !insertmacro ZT_REMOVE_FILES
  Delete /REBOOTOK "$INSTDIR\${MARKER}"
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  ; Only when empty: what a user put there stays, and so does the folder.
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} ${RebootFlag}
    MessageBox MB_OK|MB_ICONINFORMATION "Some of zttools' files are in use; Windows removes them when it restarts." /SD IDOK
    SetErrorLevel 3010
  ${EndIf}
SectionEnd

; Takes out what SecEep put in: .eep is opened as it was before.
Function un.RemoveEepClass
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "EepClassBefore"
  ReadRegStr $0 HKLM "${EEP_KEY}" ""
  ${If} $0 == "${EEP_CLASS}"
    ${If} $1 != ""
      WriteRegStr HKLM "${EEP_KEY}" "" $1
    ${Else}
      DeleteRegValue HKLM "${EEP_KEY}" ""
    ${EndIf}
  ${EndIf}
  DeleteRegValue HKLM "${EEP_KEY}\OpenWithProgids" "${EEP_CLASS}"
  DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${EEP_KEY}\OpenWithProgids"
  DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${EEP_KEY}"
  DeleteRegKey HKLM "${EEP_CLASS_KEY}"
  System::Call '${ASSOCIATIONS_CHANGED}'
FunctionEnd

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
