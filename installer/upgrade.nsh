; Before an upgrade replaces anything: the running client is asked to end, an older version
; goes over a newer one only when asked, and every file to be replaced must be free.

!define EXIT_FILE_LOCKED 9
!define EXIT_DOWNGRADE 10
; The client's main window answers it by ending as its exit does (widgets/win32/form_peer.cpp).
!define CLIENT_EXIT_MESSAGE "QuovixExitRequest"
; The client's own teardown waits at most 2 s for a dial and 3 s for a hang-up.
!define CLIENT_EXIT_WAIT_MS 20000
; A program that has just ended lets go of its files within moments.
!define FILE_FREE_WAIT_MS 5000
!define DOWNGRADE_SWITCH "/ALLOWDOWNGRADE"

; Posted to every top-level window of this desktop: the client's window may be hidden in the
; tray. A client of another session, seen only by the global name, is out of reach of window
; messages: the setup stops at once.
Function qvx_ask_client_to_exit
  Call qvx_client_running
  Pop $0
  ${IfThen} $0 = 0 ${|} Return ${|}
  Push "${CLIENT_MUTEX}"
  Call qvx_mutex_exists
  Pop $0
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_client_other_session)" /SD IDOK
    SetErrorLevel ${EXIT_CLIENT_RUNNING}
    Quit
  ${EndIf}
  System::Call 'user32::RegisterWindowMessageW(w "${CLIENT_EXIT_MESSAGE}") i .r1'
  System::Call 'user32::PostMessageW(p ${HWND_BROADCAST}, i r1, p 0, p 0)'
  StrCpy $2 0
  ${Do}
    Sleep 250
    IntOp $2 $2 + 250
    Call qvx_client_running
    Pop $0
    ${IfThen} $0 = 0 ${|} Return ${|}
  ${LoopUntil} $2 >= ${CLIENT_EXIT_WAIT_MS}
  MessageBox MB_OK|MB_ICONSTOP "$(qvx_client_did_not_exit)" /SD IDOK
  SetErrorLevel ${EXIT_CLIENT_RUNNING}
  Quit
FunctionEnd

; The installed program's version against ours; a program without a version resource is older.
Function qvx_refuse_downgrade
  ${IfNot} ${FileExists} "$INSTDIR\quovix.exe"
    Return
  ${EndIf}
  ClearErrors
  GetDLLVersion "$INSTDIR\quovix.exe" $0 $1
  ${IfThen} ${Errors} ${|} Return ${|}
  IntOp $2 $0 >> 16
  IntOp $3 $0 & 0xFFFF
  IntOp $4 $1 >> 16
  IntOp $5 $1 & 0xFFFF
  StrCpy $R7 "$2.$3.$4.$5"
  ${VersionCompare} $R7 "${FILEVERSION}" $0
  ${IfThen} $0 != 1 ${|} Return ${|}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "${DOWNGRADE_SWITCH}" $2
  ${IfNotThen} ${Errors} ${|} Return ${|}
  MessageBox MB_OK|MB_ICONSTOP "$(qvx_downgrade)" /SD IDOK
  SetErrorLevel ${EXIT_DOWNGRADE}
  Quit
FunctionEnd

; Pushes 1 when $R7 exists and cannot be opened for writing, else 0.
Function qvx_file_busy
  ${IfNot} ${FileExists} $R7
    Push 0
    Return
  ${EndIf}
  ClearErrors
  FileOpen $0 $R7 a
  ${If} ${Errors}
    Push 1
  ${Else}
    FileClose $0
    Push 0
  ${EndIf}
FunctionEnd

!macro QVX_CHECK_FREE name
  StrCpy $R7 "$INSTDIR\${name}"
  Call qvx_file_busy
  Pop $0
  ${IfThen} $0 = 1 ${|} Goto busy ${|}
!macroend

; Checked before the first file is written, so a file in use (a program of another session,
; the speed test) leaves the installation as it was rather than half replaced.
Function qvx_refuse_busy_files
  StrCpy $R6 0
retry:
  !insertmacro QVX_CHECK_FREE "quovix.exe"
  !insertmacro QVX_CHECK_FREE "nettest.exe"
  !insertmacro QVX_CHECK_FREE "quovix64.exe"
  !insertmacro QVX_CHECK_FREE "nettest64.exe"
  !insertmacro QVX_CHECK_FREE "update.exe"
  !insertmacro QVX_CHECK_FREE "readme.txt"
  !insertmacro QVX_CHECK_FREE "uninst.exe"
  !insertmacro QVX_CHECK_FREE "route\CHINANET.dat"
  !insertmacro QVX_CHECK_FREE "route\CNC.dat"
  !insertmacro QVX_CHECK_FREE "route\CERNET.dat"
  Return
busy:
  ${If} $R6 < ${FILE_FREE_WAIT_MS}
    Sleep 250
    IntOp $R6 $R6 + 250
    Goto retry
  ${EndIf}
  Call qvx_file_locked
FunctionEnd

; $R7: the file.
Function qvx_file_locked
  MessageBox MB_OK|MB_ICONSTOP "$(qvx_file_locked)" /SD IDOK
  SetErrorLevel ${EXIT_FILE_LOCKED}
  Quit
FunctionEnd

; The zip's layout, unpacked by hand: our program (with a version resource) and its route
; folder. The setup takes it over; the zip's other builds go.
Function qvx_zip_layout
  Push 0
  ${IfNot} ${FileExists} "$R8\quovix.exe"
  ${OrIfNot} ${FileExists} "$R8\route\CHINANET.dat"
    Return
  ${EndIf}
  ClearErrors
  GetDLLVersion "$R8\quovix.exe" $0 $1
  ${IfThen} ${Errors} ${|} Return ${|}
  Pop $0
  Push 1
FunctionEnd
