; The uninstaller: removes what the setup put there, the autostart value the client may have
; written and, if the user agrees, the settings and the log. Anything else in the folder stays.

Function un.onInit
  SetShellVarContext all
  SetRegView 32
  Call un.qvx_refuse_second_setup
  Call un.qvx_refuse_while_client_runs
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

Section "Uninstall"
  ; Program files first: if one cannot go, the entry and the uninstaller stay for another run.
  ClearErrors
  Delete "$INSTDIR\quovix.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\route\CHINANET.dat"
  Delete "$INSTDIR\route\CNC.dat"
  Delete "$INSTDIR\route\CERNET.dat"
  ; What the client downloads at login, and a replacement file a crash may have left behind.
  Delete "$INSTDIR\information.txt"
  Delete "$INSTDIR\list.txt"
  Delete "$INSTDIR\qvx*.tmp"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_files_in_use)" /SD IDOK
    SetErrorLevel ${EXIT_FILES_IN_USE}
    Quit
  ${EndIf}
  RMDir "$INSTDIR\route"

  Delete "${MENU_DIR}\${PRODUCT}.lnk"
  Delete "${MENU_DIR}\$(qvx_uninstall_link).lnk"
  RMDir "${MENU_DIR}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  ${If} ${RunningX64}
    !insertmacro QVX_REMOVE_AUTOSTART 64
  ${EndIf}
  !insertmacro QVX_REMOVE_AUTOSTART 32

  MessageBox MB_YESNO|MB_ICONQUESTION "$(qvx_remove_user_data)" /SD IDYES IDNO keep_user_data
  Delete "$INSTDIR\user.ini"
  Delete "$INSTDIR\softsetup.ini"
  Delete "$INSTDIR\qvxl.log"
keep_user_data:

  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
