; Per-user installer of Quillfind (Qf検索ヘルパー). No administrator rights:
; everything goes under the user's own profile and HKEY_CURRENT_USER.
;
; Defined on the makensis command line by scripts/dist.py:
;   VERSION  major.minor.patch, from the VERSION file
;   ARCH     x86 or x64
;   PROGRAM  path of the Quillfind.exe to install
;   OUTFILE  path of the installer to write

Unicode true
!if ${ARCH} == x64
  Target amd64-unicode
!else if ${ARCH} == x86
  Target x86-unicode
!else
  !error "ARCH must be x86 or x64"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Qf検索ヘルパー"
!define PUBLISHER "VORNELIX"
!define EXE "Quillfind.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "${PRODUCT}.lnk"
!define UNINST_LIST "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINST_KEY "${UNINST_LIST}\Quillfind"
!define MAKER_KEY "Software\VORNELIX"
!define SETTINGS_KEY "${MAKER_KEY}\Quillfind"
; A running copy is found by its hidden main window's title and closed with
; the request the program's removal switch sends: WM_COMMAND 1, lParam 0.
!define MAIN_TITLE "__@Qf@__"
!define SYNCHRONIZE 0x00100000
!define CLOSE_WAIT_MS 5000

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillfind"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "..\res\Quillfind.ico"
!define MUI_UNICON "..\res\Quillfind.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
; The details stay in view until the user goes on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

LangString WelcomeText ${LANG_JAPANESE} "$(^NameDA) ${VERSION} をこのユーザーのためにインストールします。管理者の権限は要りません。$\r$\n$\r$\n$(^NameDA) が起動している場合は、セットアップが終了させてから更新します。検索の履歴などの設定はそのまま引き継がれます。$\r$\n$\r$\nインストール後はログオンのたびに通知領域にアイコンが表示されます。$\r$\n$\r$\n$_CLICK"
LangString StillRunning ${LANG_JAPANESE} "$(^NameDA) が終了しません。通知領域のアイコンを右クリックして「終了」を選んでから、［再試行］を押して下さい。"
LangString CannotRemove ${LANG_JAPANESE} "$INSTDIR\${EXE} を削除できません。$(^NameDA) を終了してから、［再試行］を押して下さい。"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; Asks every running copy to close and waits until its process has ended:
; Windows neither replaces nor deletes a running program. A copy that does not
; end in time leaves the user the choice to retry or to stop.
!macro CLOSE_COPIES un
Function ${un}CloseCopies
  Push $0
  Push $1
  Push $2
  retry:
  FindWindow $0 "" "${MAIN_TITLE}"
  ${If} $0 = 0
    Goto done
  ${EndIf}
  DetailPrint "$(^NameDA) を終了しています..."
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  System::Call 'user32::PostMessage(p r0, i ${WM_COMMAND}, p 1, p 0)'
  ; Without a process handle, the window tells when the copy is done.
  StrCpy $1 0
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS})'
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $1 ${CLOSE_WAIT_MS}
  ${EndIf}
  ${While} $1 < ${CLOSE_WAIT_MS}
    IsWindow $0 0 retry
    Sleep 100
    IntOp $1 $1 + 100
  ${EndWhile}
  IsWindow $0 0 retry
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
  Abort
  done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_COPIES ""
!insertmacro CLOSE_COPIES "un."

Section
  Call CloseCopies
  SetOutPath "$INSTDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  CreateShortCut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section Uninstall
  ; The program's removal switch closes running copies and removes the settings.
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ExecWait '"$INSTDIR\${EXE}" /UNREGIST'
  ${Else}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}
  Call un.CloseCopies

  Delete "$SMSTARTUP\${SHORTCUT}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  StrCpy $0 0
  retry:
  ClearErrors
  Delete "$INSTDIR\${EXE}"
  ${If} ${Errors}
    ; A copy that is just ending, or a virus scanner, may hold the file a moment.
    ${If} $0 < 10
      IntOp $0 $0 + 1
      Sleep 200
      Goto retry
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CannotRemove)" /SD IDCANCEL IDRETRY retry
    Abort
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The per-user programs folder goes too when this was all that was in it.
  ${If} "$INSTDIR" == "$LOCALAPPDATA\Programs\Quillfind"
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}

  DeleteRegKey HKCU "${UNINST_KEY}"
  ; Shared keys go only when nothing else is left in them: the list of
  ; per-user programs, and the maker's key that its other programs use too.
  DeleteRegKey /ifempty HKCU "${UNINST_LIST}"
  DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
SectionEnd

; The uninstaller runs from a copy of itself in the temporary folder. That copy
; cannot remove itself, and a standard user cannot have it removed at the next
; restart, so a hidden command removes it once it has ended.
Function un.onUninstSuccess
  StrLen $0 "$TEMP\~nsu"
  StrCpy $1 "$EXEDIR" $0
  ${If} $1 == "$TEMP\~nsu"
    SetOutPath "$TEMP" ; the command works there: a folder in use cannot be removed
    ExecShell "open" "$SYSDIR\cmd.exe" '/c for /l %i in (1,1,30) do (ping -n 2 127.0.0.1 >nul & del /f /q "$EXEPATH" 2>nul & rd "$EXEDIR" 2>nul & if not exist "$EXEDIR" exit)' SW_HIDE
  ${EndIf}
FunctionEnd

