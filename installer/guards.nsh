; Checks shared by the setup and the uninstaller: the client must not run, only one of them may
; run at a time, and the target folder must take files before anything is changed.

!define CLIENT_MUTEX "Quovix加速"
!define SETUP_MUTEX "Quovix加速安装程序"
!define SYNCHRONIZE 0x00100000
!define ERROR_ALREADY_EXISTS 183

; Exit codes a deploying administrator can tell apart.
!define EXIT_CLIENT_RUNNING 3
!define EXIT_SETUP_RUNNING 4
!define EXIT_NOT_WRITABLE 5
!define EXIT_FILES_IN_USE 6
!define EXIT_BAD_DIR 7
!define EXIT_NOT_ADMIN 8

!macro QVX_GUARDS un
; Both write under Program Files and HKLM. Without the rights (a standard user where UAC is off
; or the prompt was bypassed) they would fail halfway.
Function ${un}qvx_refuse_without_admin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_not_admin)" /SD IDOK
    SetErrorLevel ${EXIT_NOT_ADMIN}
    Quit
  ${EndIf}
FunctionEnd

; The client holds its named mutex for as long as it runs.
Function ${un}qvx_client_running
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${CLIENT_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; The handle stays open until the process ends, so a second setup or uninstaller sees it.
Function ${un}qvx_refuse_second_setup
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 = ${ERROR_ALREADY_EXISTS}
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_setup_running)" /SD IDOK
    SetErrorLevel ${EXIT_SETUP_RUNNING}
    Quit
  ${EndIf}
FunctionEnd
!macroend

!insertmacro QVX_GUARDS ""
!insertmacro QVX_GUARDS "un."

; The uninstaller refuses; the setup asks the client to end (upgrade.nsh).
Function un.qvx_refuse_while_client_runs
  Call un.qvx_client_running
  Pop $0
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_client_running)" /SD IDOK
    SetErrorLevel ${EXIT_CLIENT_RUNNING}
    Quit
  ${EndIf}
FunctionEnd

; Pushes 1 when a file can be created in $INSTDIR (created if missing), else 0.
Function qvx_install_dir_writable
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\qvx-setup-probe.tmp" w
  ${If} ${Errors}
    Push 0
  ${Else}
    FileClose $0
    Delete "$INSTDIR\qvx-setup-probe.tmp"
    Push 1
  ${EndIf}
FunctionEnd
