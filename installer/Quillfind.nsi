; Per-user installer of Quillfind (Qf検索ヘルパー). No administrator rights:
; everything goes under the user's own profile and HKEY_CURRENT_USER.
;
; Defined on the makensis command line by scripts/dist.py:
;   VERSION     major.minor.patch, from the VERSION file
;   ARCH        x86 or x64
;   PROGRAM     path of the Quillfind.exe to install
;   OUTFILE     path of the installer to write
;   MAKER_PAGE  the maker's software page, as the program opens it
;   SIGN        (only when signing) a command that signs the file named after it
;
; Switches: /S silent, /NOAUTOSTART no Start-up shortcut, /HOTKEY Ctrl+Alt+Q
; brings up the search window, /D=folder (last, unquoted). Exit codes: 0 done, 1 cancelled by the user, 2 stopped because a
; copy would not close or a file could not be replaced or removed; in that
; case nothing was changed.

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
!include nsDialogs.nsh
!include x64.nsh

!define PRODUCT "Qf検索ヘルパー"
!define PUBLISHER "VORNELIX"
!define EXE "Quillfind.exe"
; Where the program is moved while it is being replaced or removed.
!define MOVED "~Quillfind.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "${PRODUCT}.lnk"
!define DEFAULT_DIR "$LOCALAPPDATA\Programs\Quillfind"
!define UNINST_LIST "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINST_KEY "${UNINST_LIST}\Quillfind"
!define MAKER_KEY "Software\VORNELIX"
!define SETTINGS_KEY "${MAKER_KEY}\Quillfind"
; A running copy is found by its hidden main window's title and closed with
; the request the program's removal switch sends: WM_COMMAND 1, lParam 0.
!define MAIN_TITLE "__@Qf@__"
; Ctrl+Alt+Q as the program stores a hotkey: modifiers (Alt 1, Ctrl 2) in the
; second byte, the virtual key in the low byte.
!define HOTKEY_CTRL_ALT_Q 0x0351
!define SYNCHRONIZE 0x00100000
!define CLOSE_WAIT_MS 5000

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_DIR}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
; A file that cannot be written stops the install (retry or cancel), never
; an install that reports success with the old program left in place.
AllowSkipFiles off

!ifdef SIGN
  !finalize '${SIGN} "%1"' = 0
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

!define MUI_ICON "..\res\Quillfind.ico"
!define MUI_UNICON "..\res\Quillfind.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
; The details stay in view until the user goes on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FolderPageShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Var AutoStart    ; 1: a shortcut in the Start-up folder starts the program at log-on
Var AutoStartBox
Var Hotkey       ; 1: a key combination brings up the search window
Var HotkeyBox
Var HotkeyStored ; the combination the program has stored, 0 for none
Var Folder       ; the folder whose program is being replaced or removed
Var Moved        ; 1 once that program has been moved aside
Var CopiesClosed ; 1 when running copies were asked to close and did

LangString WelcomeText ${LANG_JAPANESE} "$(^NameDA) ${VERSION} をこのユーザーのためにインストールします。管理者の権限は要りません。$\r$\n$\r$\n$(^NameDA) が起動している場合は、セットアップが終了させてから更新します。検索の履歴などの設定はそのまま引き継がれます。$\r$\n$\r$\nログオン時に起動するかどうかは、次のページで選べます。$\r$\n$\r$\n$_CLICK"
LangString AutoStartText ${LANG_JAPANESE} "ログオン時に $(^NameDA) を起動する(&L)"
LangString HotkeyText ${LANG_JAPANESE} "Ctrl+Alt+Q で検索ウィンドウを開く"
LangString StillRunning ${LANG_JAPANESE} "$(^NameDA) が終了しません。通知領域のアイコンを右クリックして「終了」を選んでから、［再試行］を押して下さい。"
LangString CannotMove ${LANG_JAPANESE} "$Folder\${EXE} は使用中のため、置き換えも削除もできません。$(^NameDA) やこのファイルを開いているプログラムを終了してから、［再試行］を押して下さい。［キャンセル］を押すと、何も変更せずに終わります。"
LangString PreferX64 ${LANG_JAPANESE} "お使いの Windows は 64 ビット版です。64 ビット版のセットアップ QuillfindSetup-${VERSION}-x64.exe をお勧めします。$\r$\n$\r$\nこのまま 32 ビット版をインストールしますか?"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; What the installer and the uninstaller both do, once for each.
!macro SHARED_FUNCTIONS un
; Asks every running copy to close and waits until its process has ended:
; Windows neither replaces nor deletes a running program. A copy that does not
; end in time leaves the user the choice to retry or to stop.
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
  StrCpy $CopiesClosed 1
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
  StrCpy $CopiesClosed 0 ; it still runs: nothing to start again
  Abort
  done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Moves $Folder\Quillfind.exe aside. A move fails while anything holds the
; file, as a deletion or an overwrite would, but it can be undone: when it
; fails, nothing has been changed yet.
Function ${un}MoveAside
  Push $0
  Delete "$Folder\${MOVED}" ; left by a run that could not finish
  StrCpy $0 0
  retry:
  ClearErrors
  Rename "$Folder\${EXE}" "$Folder\${MOVED}"
  ${If} ${Errors}
    ; A copy that is just ending, or a virus scanner, may hold the file a moment.
    ${If} $0 < 10
      IntOp $0 $0 + 1
      Sleep 200
      Goto retry
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CannotMove)" /SD IDCANCEL IDRETRY retry
    Pop $0
    Abort
  ${EndIf}
  StrCpy $Moved 1
  Pop $0
FunctionEnd

; Deletes the file named on the stack. A program that has just ended, or a
; virus scanner, may hold it a moment.
Function ${un}DeleteSoon
  Exch $0
  Push $1
  ${For} $1 1 10
    Delete "$0"
    ${IfNot} ${FileExists} "$0"
      ${Break}
    ${EndIf}
    Sleep 200
  ${Next}
  Pop $1
  Pop $0
FunctionEnd

; Removes $Folder when it is empty, and the per-user programs folder with the
; default one when nothing else is in it.
Function ${un}RemoveFolder
  RMDir "$Folder"
  ${If} "$Folder" == "${DEFAULT_DIR}"
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

Function .onInit
  !if ${ARCH} == x86
    ${If} ${RunningX64}
      MessageBox MB_YESNO|MB_ICONINFORMATION "$(PreferX64)" /SD IDYES IDYES go_on
      SetErrorLevel 1
      Quit
      go_on:
    ${EndIf}
  !endif
  ; Starting at log-on is ticked for a first install; an upgrade keeps what
  ; the user has, so a Start-up shortcut the user removed stays away.
  StrCpy $AutoStart 1
  ReadRegStr $0 HKCU "${UNINST_KEY}" "DisplayVersion"
  ${If} $0 != ""
  ${AndIfNot} ${FileExists} "$SMSTARTUP\${SHORTCUT}"
    StrCpy $AutoStart 0
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    StrCpy $AutoStart 0
  ${EndIf}
  ; The hotkey is off for a first install; an upgrade shows it on when the
  ; program has one stored, whichever combination the user chose.
  ReadRegDWORD $HotkeyStored HKCU "${SETTINGS_KEY}" "hotkey"
  IntOp $HotkeyStored $HotkeyStored + 0
  StrCpy $Hotkey 0
  ${If} $HotkeyStored <> 0
    StrCpy $Hotkey 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/HOTKEY" $1
  ${IfNot} ${Errors}
    StrCpy $Hotkey 1
  ${EndIf}
FunctionEnd

; Adds a checkbox to the folder page in row ROW of the band between the page's
; text and its folder box (rows 0 and 1 fit); control ID, ticked when STATE is 1.
!macro FOLDER_CHECKBOX HWND ID TEXT STATE ROW
  IntOp $1 ${ROW} * 13
  IntOp $1 $1 + 38
  IntOp $2 $1 + 10
  System::Call '*(i 0, i r1, i 300, i r2) p .r3'
  System::Call 'user32::MapDialogRect(p $mui.DirectoryPage, p r3)'
  System::Call '*$3(i .r4, i .r5, i .r6, i .r7)'
  System::Free $3
  IntOp $6 $6 - $4
  IntOp $7 $7 - $5
  StrCpy $8 "${TEXT}"
  ; WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX
  System::Call 'user32::CreateWindowEx(i 0, t "BUTTON", t r8, i 0x50010003, i r4, i r5, i r6, i r7, p $mui.DirectoryPage, p ${ID}, p 0, p 0) p .r0'
  StrCpy ${HWND} $0
  SendMessage $mui.DirectoryPage ${WM_GETFONT} 0 0 $1
  SendMessage ${HWND} ${WM_SETFONT} $1 1
  ${NSD_SetState} ${HWND} ${STATE}
!macroend

; The folder page's choices, one checkbox each.
Function FolderPageShow
  !insertmacro FOLDER_CHECKBOX $AutoStartBox 1200 "$(AutoStartText)" $AutoStart 0
  !insertmacro FOLDER_CHECKBOX $HotkeyBox 1201 "$(HotkeyText)" $Hotkey 1
FunctionEnd

Function FolderPageLeave
  ${NSD_GetState} $AutoStartBox $AutoStart
  ${NSD_GetState} $HotkeyBox $Hotkey
FunctionEnd

Section
  Call CloseCopies
  ; The earlier install's program goes aside first, wherever it is: while it
  ; is held, the install stops before anything has changed.
  ReadRegStr $Folder HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $Folder == ""
    StrCpy $Folder $INSTDIR
  ${EndIf}
  StrCpy $Moved 0
  ${If} ${FileExists} "$Folder\${EXE}"
    Call MoveAside
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  Push "$Folder\${MOVED}"
  Call DeleteSoon
  StrCpy $Moved 0
  ; An install into another folder takes the earlier one away whole.
  ${If} $Folder != $INSTDIR
    Delete "$Folder\${UNINSTALLER}"
    Call RemoveFolder
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${If} $AutoStart = 1
    CreateShortCut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${Else}
    Delete "$SMSTARTUP\${SHORTCUT}"
  ${EndIf}
  ; A combination already stored stays as it is; the program reads it at its
  ; next start.
  ${If} $Hotkey = 1
  ${AndIf} $HotkeyStored = 0
    WriteRegDWORD HKCU "${SETTINGS_KEY}" "hotkey" ${HOTKEY_CTRL_ALT_Q}
  ${ElseIf} $Hotkey = 0
  ${AndIf} $HotkeyStored <> 0
    DeleteRegValue HKCU "${SETTINGS_KEY}" "hotkey"
  ${EndIf}

  DeleteRegKey HKCU "${UNINST_KEY}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "URLInfoAbout" "${MAKER_PAGE}"
  WriteRegStr HKCU "${UNINST_KEY}" "HelpLink" "${MAKER_PAGE}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  ; With _?= the uninstaller runs in place and its caller gets its result.
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  ; The installed files only: the folder may hold the user's own.
  ${GetSize} "$INSTDIR" "/M=${EXE} /S=0K /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/M=${UNINSTALLER} /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; A silent upgrade has no finish page: a copy it closed is started again, so
; the icon does not vanish until the next log-on.
Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $CopiesClosed = 1
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

; A failed install leaves the earlier program as it was, running if it ran.
Function .onInstFailed
  ${If} $Moved = 1
    Rename "$Folder\${MOVED}" "$Folder\${EXE}"
  ${EndIf}
  ${If} $CopiesClosed = 1
    Exec '"$Folder\${EXE}"'
  ${EndIf}
FunctionEnd

; The last step of an uninstaller that ran in place, handed to a copy of it
; started with /AFTER=process-id: once that process has ended, its file and
; the folder go.
Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AFTER=" $1
  ${IfNot} ${Errors}
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 60000)'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    Push "$INSTDIR\${UNINSTALLER}"
    Call un.DeleteSoon
    StrCpy $Folder $INSTDIR
    Call un.RemoveFolder
    Quit
  ${EndIf}
FunctionEnd

; All or nothing: first make sure the program can go (its copies closed, its
; file moved aside), and only then remove the settings, the shortcuts, the
; entry and the folder.
Section Uninstall
  StrCpy $Folder $INSTDIR
  Call un.CloseCopies
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    Call un.MoveAside
    ; The program's removal switch removes its settings.
    ExecWait '"$INSTDIR\${MOVED}" /UNREGIST'
    Push "$INSTDIR\${MOVED}"
    Call un.DeleteSoon
  ${Else}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}

  Delete "$SMSTARTUP\${SHORTCUT}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  DeleteRegKey HKCU "${UNINST_KEY}"
  ; Shared keys go only when nothing else is left in them: the list of
  ; per-user programs, and the maker's key that its other programs use too.
  DeleteRegKey /ifempty HKCU "${UNINST_LIST}"
  DeleteRegKey /ifempty HKCU "${MAKER_KEY}"

  SetOutPath "$TEMP" ; a folder in use as the current one cannot be removed
  ${If} $EXEDIR == $INSTDIR
    ; Run in place (the quiet uninstall string does so, to hand its caller
    ; the result), this program's file is in use until it ends: a copy in
    ; NSIS's temporary folder removes it then, and the folder with it.
    InitPluginsDir
    CopyFiles /SILENT "$EXEPATH" "$PLUGINSDIR\${UNINSTALLER}"
    System::Call 'kernel32::GetCurrentProcessId() i .r0'
    Exec '"$PLUGINSDIR\${UNINSTALLER}" /S /AFTER=$0 _?=$INSTDIR'
  ${Else}
    Delete "$INSTDIR\${UNINSTALLER}"
    Call un.RemoveFolder
  ${EndIf}
SectionEnd
