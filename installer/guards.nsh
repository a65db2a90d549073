; Checks shared by the setup and the uninstaller: the client must not run, only one of them may
; run at a time, and the target folder must take files before anything is changed.

; The client's mutexes (shell/client_names.h; a unit test holds the two to each other): the
; session's, which earlier versions hold, and the global one of a client in any session.
!define CLIENT_MUTEX "Quovix加速"
!define CLIENT_MUTEX_GLOBAL "Global\Quovix加速"
!define SETUP_MUTEX "Quovix加速安装程序"
!define SYNCHRONIZE 0x00100000
!define ERROR_ALREADY_EXISTS 183
!define ERROR_ACCESS_DENIED 5

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

; The client holds its named mutexes for as long as it runs.
Function ${un}qvx_client_running
  Push "${CLIENT_MUTEX}"
  Call ${un}qvx_mutex_exists
  Pop $0
  ${If} $0 = 0
    Push "${CLIENT_MUTEX_GLOBAL}"
    Call ${un}qvx_mutex_exists
    Pop $0
  ${EndIf}
  Push $0
FunctionEnd

; Replaces the name on the stack by 1 when the mutex exists: opened, or refused because another
; user's client made it under its default DACL. Keeps $1 to $3.
Function ${un}qvx_mutex_exists
  Exch $1
  Push $2
  Push $3
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w r1) p .r2 ?e'
  Pop $3
  ${If} $2 P<> 0
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $1 1
  ${ElseIf} $3 = ${ERROR_ACCESS_DENIED}
    StrCpy $1 1
  ${Else}
    StrCpy $1 0
  ${EndIf}
  Pop $3
  Pop $2
  Exch $1
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
