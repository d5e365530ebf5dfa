; Installer of Quillfind (Qf検索ヘルパー), for one user or for every user of
; the machine. For one user (the default) it needs no administrator rights:
; everything goes under the user's own profile and HKEY_CURRENT_USER. For
; every user (/ALLUSERS, or the choice on the first page when it runs with
; administrator rights) the program goes into Program Files, the uninstall
; entry under HKEY_LOCAL_MACHINE and the shortcuts into the all-users folders;
; the settings stay each user's own.
;
; Defined on the makensis command line by scripts/dist.py:
;   VERSION     major.minor.patch, from the VERSION file
;   ARCH        x86 or x64
;   PROGRAM     path of the Quillfind.exe to install
;   OUTFILE     path of the installer to write
;   MAKER_PAGE  the maker's software page, as the program opens it
;   LICENSE     path of the licence text to install as LICENSE.txt
;   NOTICES     path of the third-party notices to install as THIRD-PARTY-NOTICES.txt
;   SIGN        (only when signing) a command that signs the file named after it
;
; Switches: /S silent, /ALLUSERS for every user, /CURRENTUSER for this user
; only (the default), /NOAUTOSTART no Start-up shortcut, /HOTKEY Ctrl+Alt+Q
; brings up the search window and Enter searches, /D=folder (last, unquoted).
; Exit codes: 0 done, 1 cancelled by the user, 2 stopped because a copy would
; not close or a file could not be replaced or removed, 3 an install or
; uninstall for every user without administrator rights; with 2 and 3 nothing
; was changed.

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
; The 32-bit installer puts the 32-bit program where 32-bit programs go.
!if ${ARCH} == x64
  !define MACHINE_DIR "$PROGRAMFILES64\Quillfind"
!else
  !define MACHINE_DIR "$PROGRAMFILES32\Quillfind"
!endif
!define LICENSE_TXT "LICENSE.txt"
!define NOTICES_TXT "THIRD-PARTY-NOTICES.txt"
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
; Enter in the search window searches, as a click on its button does.
!define ENTER_SEARCHES 1
!define SYNCHRONIZE 0x00100000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define CLOSE_WAIT_MS 5000
!define EXIT_NEEDS_ADMIN 3

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The folder follows the choice of user or machine (UseMode).
InstallDir "${DEFAULT_DIR}"
; No elevation of its own: a deployment tool runs it with the rights it needs,
; and a silent install never waits for a prompt.
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

!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomePageShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE WelcomePageLeave
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FolderPageShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Var AllUsers     ; 1: installed for every user of the machine
Var IsAdmin      ; 1: this process has administrator rights
Var DirGiven     ; 1: /D= names the folder
Var UserBox
Var MachineBox
Var Other        ; 1: the user has the program from the other kind of install too
Var AutoStart    ; 1: a shortcut in the Start-up folder starts the program at log-on
Var AutoStartBox
Var Hotkey       ; 1: a key combination brings up the search window
Var HotkeyBox
Var HotkeyStored ; the combination the program has stored, 0 for none
Var EnterStored  ; 1: the program has an Enter setting stored
Var Folder       ; the folder whose program is being replaced or removed
Var Moved        ; 1 once that program has been moved aside
Var CopiesClosed ; 1 when running copies were asked to close and did

LangString WelcomeText ${LANG_JAPANESE} "$(^NameDA) ${VERSION} をこのユーザーのためにインストールします。管理者の権限は要りません。$\r$\n$\r$\n$(^NameDA) が起動している場合は、セットアップが終了させてから更新します。検索の履歴などの設定はそのまま引き継がれます。$\r$\n$\r$\nログオン時に起動するかどうかは、次のページで選べます。$\r$\n$\r$\n$_CLICK"
LangString WelcomeTextAdmin ${LANG_JAPANESE} "$(^NameDA) ${VERSION} をインストールします。$\r$\n$\r$\nこのユーザーのためだけにインストールするか、このコンピューターのすべてのユーザーのために Program Files にインストールするかを選んで下さい。$\r$\n$\r$\n起動中の $(^NameDA) は、セットアップが終了させてから更新します。設定はユーザーごとに引き継がれます。"
LangString ForThisUser ${LANG_JAPANESE} "このユーザーのためにインストールする(&U)"
LangString ForAllUsers ${LANG_JAPANESE} "すべてのユーザーのためにインストールする(&A)"
LangString NeedsAdmin ${LANG_JAPANESE} "すべてのユーザーのための $(^NameDA) のインストールと削除には、管理者の権限が要ります。「管理者として実行」で起動して下さい。"
LangString AutoStartText ${LANG_JAPANESE} "ログオン時に $(^NameDA) を起動する(&L)"
LangString HotkeyText ${LANG_JAPANESE} "Ctrl+Alt+Q で検索ウィンドウを開き、Enter で検索する"
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
; Asks every running copy of $Folder\Quillfind.exe or $INSTDIR\Quillfind.exe
; to close and waits until its process has ended: Windows neither replaces nor
; deletes a running program. A copy that does not end in time leaves the user
; the choice to retry or to stop. A copy of another install or a portable one
; holds none of these files and goes on running.
Function ${un}CloseCopies
  Push $0
  Push $1
  Push $2
  Push $3
  retry:
  StrCpy $0 0
  next:
  System::Call 'user32::FindWindowEx(p 0, p r0, p 0, t "${MAIN_TITLE}") p .r0'
  ${If} $0 P= 0
    Goto done
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r1) p .r2'
  ; A copy whose program cannot be told is taken for one of ours.
  StrCpy $3 ""
  ${If} $2 P<> 0
    System::Call 'kernel32::QueryFullProcessImageName(p r2, i 0, t .r3, *i ${NSIS_MAX_STRLEN})'
  ${EndIf}
  ${If} $3 != ""
  ${AndIf} $3 != "$Folder\${EXE}"
  ${AndIf} $3 != "$INSTDIR\${EXE}"
    System::Call 'kernel32::CloseHandle(p r2)'
    Goto next
  ${EndIf}
  DetailPrint "$(^NameDA) を終了しています..."
  StrCpy $CopiesClosed 1
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
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Sets $IsAdmin to 1 when this process may write for every user: its token
; holds the Administrators group enabled, as an elevated administrator's and
; SYSTEM's do. An administrator's process that Windows runs without elevation
; holds the group for denying only.
Function ${un}CheckAdmin
  Push $0
  Push $1
  Push $2
  StrCpy $IsAdmin 0
  System::Alloc 68 ; SECURITY_MAX_SID_SIZE
  Pop $0
  ; 26: WinBuiltinAdministratorsSid
  System::Call 'advapi32::CreateWellKnownSid(i 26, p 0, p r0, *i 68) i .r1'
  ${If} $1 <> 0
    System::Call 'advapi32::CheckTokenMembership(p 0, p r0, *i .r2) i .r1'
    ${If} $1 <> 0
    ${AndIf} $2 <> 0
      StrCpy $IsAdmin 1
    ${EndIf}
  ${EndIf}
  System::Free $0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Ends the run with exit code 3 unless it has administrator rights: an install
; or uninstall for every user without them would fail half-way.
Function ${un}RequireAdmin
  Call ${un}CheckAdmin
  ${If} $IsAdmin = 0
    MessageBox MB_OK|MB_ICONSTOP "$(NeedsAdmin)" /SD IDOK
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
  ${EndIf}
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
  Call CheckAdmin
  ${GetParameters} $0
  ; For this user unless every user is asked for; /CURRENTUSER says so outright.
  StrCpy $AllUsers 0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    ClearErrors
    ${GetOptions} $0 "/CURRENTUSER" $1
    ${IfNot} ${Errors}
      StrCpy $AllUsers 0
    ${EndIf}
  ${ElseIf} $IsAdmin = 1
  ${AndIfNot} ${Silent}
    ; An administrator's wizard offers the machine's install when the machine
    ; has one and this user none.
    ReadRegStr $1 HKLM "${UNINST_KEY}" "DisplayVersion"
    ReadRegStr $2 HKCU "${UNINST_KEY}" "DisplayVersion"
    ${If} $1 != ""
    ${AndIf} $2 == ""
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers = 1
    Call RequireAdmin
  ${EndIf}
  ; NSIS has taken /D= into $INSTDIR already, and cut it off the command
  ; line; without it the folder is the earlier install's or the default one
  ; of the install chosen.
  StrCpy $DirGiven 0
  ${If} $INSTDIR != "${DEFAULT_DIR}"
    StrCpy $DirGiven 1
  ${EndIf}
  Call UseMode
  ; The hotkey is off for a first install; an upgrade shows it on when the
  ; program has one stored, whichever combination the user chose.
  ReadRegDWORD $HotkeyStored HKCU "${SETTINGS_KEY}" "hotkey"
  IntOp $HotkeyStored $HotkeyStored + 0
  StrCpy $Hotkey 0
  ${If} $HotkeyStored <> 0
    StrCpy $Hotkey 1
  ${EndIf}
  ClearErrors
  ReadRegDWORD $1 HKCU "${SETTINGS_KEY}" "enter"
  StrCpy $EnterStored 1
  ${If} ${Errors}
    StrCpy $EnterStored 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/HOTKEY" $1
  ${IfNot} ${Errors}
    StrCpy $Hotkey 1
  ${EndIf}
FunctionEnd

; Takes the install chosen ($AllUsers): its shortcut folders and uninstall
; entry (SHCTX), its folder unless /D= named one, and whether it starts at
; log-on. Starting at log-on is ticked for a first install; an upgrade keeps
; what the install has, so a Start-up shortcut that was removed stays away.
Function UseMode
  Push $0
  Push $1
  ${If} $AllUsers = 1
    SetShellVarContext all
    StrCpy $1 "${MACHINE_DIR}"
  ${Else}
    SetShellVarContext current
    StrCpy $1 "${DEFAULT_DIR}"
  ${EndIf}
  ${If} $DirGiven = 0
    ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
    ${If} $0 == ""
      StrCpy $0 $1
    ${EndIf}
    StrCpy $INSTDIR $0
  ${EndIf}
  StrCpy $AutoStart 1
  ReadRegStr $0 SHCTX "${UNINST_KEY}" "DisplayVersion"
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
  Pop $1
  Pop $0
FunctionEnd

; $4 to $7: left, top, width and height in pixels of the rectangle from
; ($1, $2) to ($3, $9) in the dialog units of the page DIALOG.
!macro PAGE_RECT DIALOG
  System::Call '*(i r1, i r2, i r3, i r9) p .r3'
  System::Call 'user32::MapDialogRect(p ${DIALOG}, p r3)'
  System::Call '*$3(i .r4, i .r5, i .r6, i .r7)'
  System::Free $3
  IntOp $6 $6 - $4
  IntOp $7 $7 - $5
!macroend

; Adds a checkbox to the folder page in row ROW of the band between the page's
; text and its folder box (rows 0 and 1 fit); control ID, ticked when STATE is 1.
!macro FOLDER_CHECKBOX HWND ID TEXT STATE ROW
  IntOp $2 ${ROW} * 13
  IntOp $2 $2 + 38
  IntOp $9 $2 + 10
  StrCpy $1 0
  StrCpy $3 300
  !insertmacro PAGE_RECT $mui.DirectoryPage
  StrCpy $8 "${TEXT}"
  ; WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX
  System::Call 'user32::CreateWindowEx(i 0, t "BUTTON", t r8, i 0x50010003, i r4, i r5, i r6, i r7, p $mui.DirectoryPage, p ${ID}, p 0, p 0) p .r0'
  StrCpy ${HWND} $0
  SendMessage $mui.DirectoryPage ${WM_GETFONT} 0 0 $1
  SendMessage ${HWND} ${WM_SETFONT} $1 1
  ${NSD_SetState} ${HWND} ${STATE}
!macroend

; With administrator rights the first page offers the install for every user:
; its text gives room below it to a choice of two.
Function WelcomePageShow
  ${If} $IsAdmin = 1
    ${NSD_SetText} $mui.WelcomePage.Text "$(WelcomeTextAdmin)"
    StrCpy $1 120
    StrCpy $2 45
    StrCpy $3 315
    StrCpy $9 145
    !insertmacro PAGE_RECT $mui.WelcomePage
    ; SWP_NOZORDER | SWP_NOACTIVATE
    System::Call 'user32::SetWindowPos(p $mui.WelcomePage.Text, p 0, i r4, i r5, i r6, i r7, i 0x14)'
    ${NSD_CreateRadioButton} 120u 150u 195u 12u "$(ForThisUser)"
    Pop $UserBox
    ${NSD_CreateRadioButton} 120u 164u 195u 12u "$(ForAllUsers)"
    Pop $MachineBox
    SetCtlColors $UserBox "" "${MUI_BGCOLOR}"
    SetCtlColors $MachineBox "" "${MUI_BGCOLOR}"
    ${If} $AllUsers = 1
      ${NSD_Check} $MachineBox
    ${Else}
      ${NSD_Check} $UserBox
    ${EndIf}
  ${EndIf}
FunctionEnd

Function WelcomePageLeave
  ${If} $IsAdmin = 1
    ${NSD_GetState} $MachineBox $AllUsers
    Call UseMode
  ${EndIf}
FunctionEnd

; The folder page's choices, one checkbox each.
Function FolderPageShow
  !insertmacro FOLDER_CHECKBOX $AutoStartBox 1200 "$(AutoStartText)" $AutoStart 0
  !insertmacro FOLDER_CHECKBOX $HotkeyBox 1201 "$(HotkeyText)" $Hotkey 1
FunctionEnd

Function FolderPageLeave
  ${NSD_GetState} $AutoStartBox $AutoStart
  ${NSD_GetState} $HotkeyBox $Hotkey
FunctionEnd

; Adds the size in bytes of the installed file NAME to $0.
!macro ADD_SIZE NAME
  ${GetSize} "$INSTDIR" "/M=${NAME} /S=0B /G=0" $1 $2 $3
  IntOp $0 $0 + $1
!macroend

Section
  ; The earlier install of the same kind (this user's, or the machine's) is
  ; the one replaced; the other kind's is left as it is.
  ReadRegStr $Folder SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $Folder == ""
    StrCpy $Folder $INSTDIR
  ${EndIf}
  Call CloseCopies
  ; The earlier install's program goes aside first, wherever it is: while it
  ; is held, the install stops before anything has changed.
  StrCpy $Moved 0
  ${If} ${FileExists} "$Folder\${EXE}"
    Call MoveAside
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; Written before the program, so that a failure here still finds the
  ; earlier program's place free to put it back.
  File "/oname=${LICENSE_TXT}" "${LICENSE}"
  File "/oname=${NOTICES_TXT}" "${NOTICES}"
  File "/oname=${EXE}" "${PROGRAM}"
  Push "$Folder\${MOVED}"
  Call DeleteSoon
  StrCpy $Moved 0
  ; An install into another folder takes the earlier one away whole, once
  ; the new one's files are in place.
  ${If} $Folder != $INSTDIR
    Delete "$Folder\${UNINSTALLER}"
    Delete "$Folder\${LICENSE_TXT}"
    Delete "$Folder\${NOTICES_TXT}"
    Call RemoveFolder
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${If} $AutoStart = 1
    CreateShortCut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ${Else}
    Delete "$SMSTARTUP\${SHORTCUT}"
  ${EndIf}
  ; The keyboard settings are the user's who runs the installer, for either
  ; kind of install. A combination or an Enter setting already stored stays
  ; as it is; the program reads them at its next start.
  ${If} $Hotkey = 1
    ${If} $HotkeyStored = 0
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "hotkey" ${HOTKEY_CTRL_ALT_Q}
    ${EndIf}
    ${If} $EnterStored = 0
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "enter" ${ENTER_SEARCHES}
    ${EndIf}
  ${ElseIf} $HotkeyStored <> 0
  ${OrIf} $EnterStored = 1
    DeleteRegValue HKCU "${SETTINGS_KEY}" "hotkey"
    DeleteRegValue HKCU "${SETTINGS_KEY}" "enter"
  ${EndIf}

  DeleteRegKey SHCTX "${UNINST_KEY}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "URLInfoAbout" "${MAKER_PAGE}"
  WriteRegStr SHCTX "${UNINST_KEY}" "HelpLink" "${MAKER_PAGE}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  ; With _?= the uninstaller runs in place and its caller gets its result.
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  ; The installed files only: the folder may hold the user's own.
  StrCpy $0 0
  !insertmacro ADD_SIZE ${EXE}
  !insertmacro ADD_SIZE ${UNINSTALLER}
  !insertmacro ADD_SIZE ${LICENSE_TXT}
  !insertmacro ADD_SIZE ${NOTICES_TXT}
  IntOp $0 $0 / 1024
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
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
  ; The machine's uninstaller is the one whose folder the machine's entry
  ; names; it needs administrator rights.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    Call un.RequireAdmin
  ${EndIf}
FunctionEnd

; An uninstall that stops leaves the program as it was, running if it ran.
Function un.onUninstFailed
  ${If} $CopiesClosed = 1
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

; Sets $Other to 1 when the user running the uninstaller still has the
; program from the other kind of install, which reads the same settings.
Function un.FindOther
  ${If} $AllUsers = 1
    ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${Else}
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${EndIf}
  StrCpy $Other 0
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${EXE}"
    StrCpy $Other 1
  ${EndIf}
FunctionEnd

; All or nothing: first make sure the program can go (its copies closed, its
; file moved aside), and only then remove the settings, the shortcuts, the
; entry and the folder.
Section Uninstall
  StrCpy $Folder $INSTDIR
  Call un.CloseCopies
  Call un.FindOther
  ; The settings are the running user's: other users' stay in their profiles,
  ; and this user's stay while the other install still uses them.
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    Call un.MoveAside
    ; The program's removal switch removes its settings.
    ${If} $Other = 0
      ExecWait '"$INSTDIR\${MOVED}" /UNREGIST'
    ${EndIf}
    Push "$INSTDIR\${MOVED}"
    Call un.DeleteSoon
  ${ElseIf} $Other = 0
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}

  Delete "$INSTDIR\${LICENSE_TXT}"
  Delete "$INSTDIR\${NOTICES_TXT}"
  Delete "$SMSTARTUP\${SHORTCUT}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINST_KEY}"
  ; Shared keys go only when nothing else is left in them: the list of
  ; per-user programs (the machine's is Windows' own), and the maker's key
  ; that its other programs use too.
  ${If} $AllUsers = 0
    DeleteRegKey /ifempty HKCU "${UNINST_LIST}"
  ${EndIf}
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
