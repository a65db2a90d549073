; The uninstaller: removes what the setup put there and the client's own files. The user's
; settings and log stay unless /PURGE is given or the user agrees when asked. Anything else in
; the folder stays.

; 1 when the entry names this folder (or there is none): only then are the entry, the shortcuts
; and the autostart ours to remove. A stale uninstaller left in an old folder after a reinstall
; elsewhere must leave the live installation's alone.
Var qvx_owns_entry

Function un.onInit
  SetShellVarContext all
  Call un.qvx_refuse_without_admin
  !insertmacro QVX_CHOOSE_PROGRAM
  !insertmacro QVX_OWN_REG_VIEW
  Call un.qvx_refuse_second_setup
  Call un.qvx_refuse_while_client_runs
  StrCpy $R8 $INSTDIR
  Call un.qvx_check_location
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    SetErrorLevel ${EXIT_BAD_DIR}
    Quit
  ${EndIf}
  StrCpy $INSTDIR $R8
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  StrCpy $qvx_owns_entry 0
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
    StrCpy $qvx_owns_entry 1
  ${EndIf}
FunctionEnd

; The client writes the value in its own registry view: the 32-bit program in the 32-bit one,
; the 64-bit program in the 64-bit one. A value naming another copy of the client stays.
!macro QVX_REMOVE_AUTOSTART view
  SetRegView ${view}
  ReadRegStr $0 HKLM "${RUN_KEY}" "${AUTOSTART_VALUE}"
  ${If} $0 != ""
    ${If} $0 == "$INSTDIR\quovix.exe"
    ${OrIfNot} ${FileExists} "$0"
      DeleteRegValue HKLM "${RUN_KEY}" "${AUTOSTART_VALUE}"
    ${EndIf}
  ${EndIf}
!macroend

; The RAS manager values the client created for L2TP without IPsec (it lists them in the
; folder); those it found were never listed and stay. A value that now holds other data was
; changed by someone else and stays too. The list goes whatever the user's data choice.
!macro QVX_REMOVE_RASMAN_VALUE read name data
  ReadINIStr $0 "$INSTDIR\${RASMAN_RECORD}" "created" "${name}"
  ${If} $0 == "1"
    ClearErrors
    ${read} $1 HKLM "${RASMAN_KEY}" "${name}"
    ${IfNot} ${Errors}
    ${AndIf} $1 == "${data}"
      DeleteRegValue HKLM "${RASMAN_KEY}" "${name}"
    ${EndIf}
  ${EndIf}
!macroend

Function un.qvx_remove_rasman_values
  !insertmacro QVX_REMOVE_RASMAN_VALUE ReadRegDWORD ProhibitIpSec 1
  !insertmacro QVX_REMOVE_RASMAN_VALUE ReadRegDWORD IpOutHighWatermark 5
  !insertmacro QVX_REMOVE_RASMAN_VALUE ReadRegDWORD IpOutLowWatermark 1
  !insertmacro QVX_REMOVE_RASMAN_VALUE ReadRegStr Medias rastapi
  Delete "$INSTDIR\${RASMAN_RECORD}"
FunctionEnd

Function un.qvx_remove_user_data
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(qvx_remove_user_data)" /SD IDNO IDYES +2
    Return
  ${EndIf}
  Delete "$INSTDIR\user.ini"
  Delete "$INSTDIR\softsetup.ini"
  Delete "$INSTDIR\qvxl.log"
  Delete "$INSTDIR\update.log"
FunctionEnd

; Run in place (_?=, as the quiet uninstall command does, so that it waits and returns the exit
; code) a program cannot delete itself; it can move itself out of the folder, to be deleted at
; the next restart, so that the folder goes now.
Function un.qvx_remove_uninstaller
  ${If} $EXEPATH != "$INSTDIR\uninst.exe"
    Delete "$INSTDIR\uninst.exe"
    Return
  ${EndIf}
  GetTempFileName $0
  Delete $0
  ClearErrors
  Rename "$EXEPATH" $0
  ${If} ${Errors}
    ; Another volume: the file and the folder go at the next restart.
    Delete /REBOOTOK "$EXEPATH"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    Delete /REBOOTOK $0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; Program files first: if one cannot go, the entry and the uninstaller stay for another run.
  ClearErrors
  Delete "$INSTDIR\quovix.exe"
  Delete "$INSTDIR\nettest.exe"
  Delete "$INSTDIR\update.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\route\CHINANET.dat"
  Delete "$INSTDIR\route\CNC.dat"
  Delete "$INSTDIR\route\CERNET.dat"
  ; What the client downloads at login, and a replacement file a crash may have left behind.
  Delete "$INSTDIR\information.txt"
  Delete "$INSTDIR\list.txt"
  Delete "$INSTDIR\nettest_nodes.txt"
  Delete "$INSTDIR\qvx*.tmp"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_files_in_use)" /SD IDOK
    SetErrorLevel ${EXIT_FILES_IN_USE}
    Quit
  ${EndIf}
  RMDir "$INSTDIR\route"
  Call un.qvx_remove_rasman_values

  ${If} $qvx_owns_entry = 1
    Delete "${MENU_DIR}\${PRODUCT}.lnk"
    Delete "${MENU_DIR}\$(qvx_uninstall_link).lnk"
    RMDir "${MENU_DIR}"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    ${If} ${RunningX64}
      !insertmacro QVX_REMOVE_AUTOSTART 64
    ${EndIf}
    !insertmacro QVX_REMOVE_AUTOSTART 32
    !insertmacro QVX_OWN_REG_VIEW
    ; The client's logon task (Vista and later); absent, schtasks only says so.
    nsExec::Exec '"$SYSDIR\schtasks.exe" /Delete /TN "${AUTOSTART_TASK}" /F'
    Pop $0
  ${EndIf}

  Call un.qvx_remove_user_data
  Call un.qvx_remove_uninstaller
  RMDir "$INSTDIR"
  ${If} $qvx_owns_entry = 1
    DeleteRegKey HKLM "${UNINST_KEY}"
  ${EndIf}
SectionEnd
