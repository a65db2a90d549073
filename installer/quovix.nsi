; Setup program of the Quovix client, built by scripts/installer.sh, which defines STAGE (the
; release folder), OUTFILE, VERSION (as shown) and FILEVERSION (four numbers).
; A 32-bit stub (the shipped setup) installs the 64-bit program where Windows runs x64 programs,
; where 64-bit programs go (the 64-bit program files folder and registry view), and the 32-bit
; one elsewhere, Windows 10 on ARM among them (reg_view.nsh); an amd64 stub (for hosts that run
; only 64-bit programs) carries the 64-bit program alone.
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; A file that cannot be replaced fails the setup with its exit code, never leaves the old one.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define PRODUCT "Quovix加速"
!define PUBLISHER "Quovix"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quovix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\run"
; The client writes values here for L2TP without IPsec and lists those it created in RASMAN_RECORD.
!define RASMAN_KEY "SYSTEM\CurrentControlSet\Services\RasMan\Parameters"
!define RASMAN_RECORD "rasman.ini"
!define AUTOSTART_VALUE "quovixnet"
!define AUTOSTART_TASK "Quovix加速"
!define MENU_DIR "$SMPROGRAMS\${PRODUCT}"
; Longest path below $INSTDIR is "\route\CHINANET.dat" (19): all within MAX_PATH.
!define QVX_MAX_DIR_LEN 240

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!ifdef SIGN
  ; The uninstaller is signed before it is packed, the setup once it is written.
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif
InstallDir "$PROGRAMFILES64\Quovix"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${SOURCE}/res/quovix.ico"
!define MUI_UNICON "${SOURCE}/res/quovix.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\quovix.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE qvx_directory_leave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"
!include "${SOURCE}/installer/strings.nsh"
!include "${SOURCE}/installer/guards.nsh"
!include "${SOURCE}/installer/target_dir.nsh"
!include "${SOURCE}/installer/safe_dir.nsh"
!include "${SOURCE}/installer/reg_view.nsh"
!include "${SOURCE}/installer/upgrade.nsh"

VIProductVersion "${FILEVERSION}"
VIFileVersion "${FILEVERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${FILEVERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"

Function .onInit
  SetShellVarContext all
  Call qvx_refuse_without_admin
  !insertmacro QVX_CHOOSE_PROGRAM
  !insertmacro QVX_OWN_REG_VIEW
  Call qvx_refuse_second_setup
  ; The 32-bit program belongs in the 32-bit folder (the same as the other on 32-bit Windows).
  ${IfThen} $qvx_x64 = 0 ${|} StrCpy $INSTDIR "$PROGRAMFILES32\Quovix" ${|}
  Call qvx_requested_dir
  Pop $0
  ${If} $0 != ""
    StrCpy $R8 $0
  ${Else}
    Call qvx_find_installation
    StrCpy $R8 $INSTDIR
  ${EndIf}
  ; The directory page checks again on leaving.
  Call qvx_check_install_dir
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    SetErrorLevel ${EXIT_BAD_DIR}
    Quit
  ${EndIf}
  StrCpy $INSTDIR $R8
  Call qvx_refuse_downgrade
FunctionEnd

; Without /D=, an upgrade goes where the last installation went: ours in our view, or one an
; earlier setup registered in the 32-bit view on 64-bit Windows. That one is upgraded in place
; and its entry moves to the 64-bit view: its folder is named by the autostart value, pinned
; shortcuts, firewall rules and administrators' scripts, which a move would break.
Function qvx_find_installation
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
    Return
  ${EndIf}
  ${If} $qvx_x64 = 1
    SetRegView 32
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    !insertmacro QVX_OWN_REG_VIEW
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function qvx_directory_leave
  StrCpy $R8 $INSTDIR
  Call qvx_check_install_dir
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$0"
    Abort
  ${EndIf}
  StrCpy $INSTDIR $R8
  Call qvx_install_dir_writable
  Pop $0
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_not_writable)"
    Abort
  ${EndIf}
FunctionEnd

Section "$(qvx_section_program)" SecProgram
  SectionIn RO
  ; Asked here, not before the pages: the user may still cancel.
  Call qvx_ask_client_to_exit
  Call qvx_install_dir_writable
  Pop $0
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(qvx_not_writable)" /SD IDOK
    SetErrorLevel ${EXIT_NOT_WRITABLE}
    Quit
  ${EndIf}

  Call qvx_refuse_busy_files

  ; user.ini, softsetup.ini, qvxl.log and update.log are not part of the payload, so an upgrade keeps them.
  ; A file that cannot be written after all (taken between the check and here) sets the error
  ; flag instead of asking.
  SetOverwrite try
  ClearErrors
  SetOutPath "$INSTDIR"
  ; The speed test the status window opens goes beside the program, built alike.
!if ${NSIS_PTR_SIZE} > 4
  File "/oname=quovix.exe" "${STAGE}/quovix64.exe"
  File "/oname=nettest.exe" "${STAGE}/nettest64.exe"
!else
  ${If} $qvx_x64 = 1
    File "/oname=quovix.exe" "${STAGE}/quovix64.exe"
    File "/oname=nettest.exe" "${STAGE}/nettest64.exe"
  ${Else}
    File "${STAGE}/quovix.exe"
    File "${STAGE}/nettest.exe"
  ${EndIf}
!endif
  ; The updater is 32-bit only: it runs on both.
  File "${STAGE}/update.exe"
  File "${STAGE}/readme.txt"
  SetOutPath "$INSTDIR\route"
  File "${STAGE}/route/CHINANET.dat"
  File "${STAGE}/route/CNC.dat"
  File "${STAGE}/route/CERNET.dat"
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    StrCpy $R7 "$INSTDIR"
    Call qvx_file_locked
  ${EndIf}
  SetOverwrite on
  ; The zip's other builds, where its layout was taken over.
  Delete "$INSTDIR\quovix64.exe"
  Delete "$INSTDIR\nettest64.exe"

  WriteUninstaller "$INSTDIR\uninst.exe"
  CreateDirectory "${MENU_DIR}"
  CreateShortCut "${MENU_DIR}\${PRODUCT}.lnk" "$INSTDIR\quovix.exe"
  CreateShortCut "${MENU_DIR}\$(qvx_uninstall_link).lnk" "$INSTDIR\uninst.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\quovix.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  ; _?= keeps the uninstaller in place, so the command waits for it and returns its exit code.
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
  Call qvx_retire_32bit_entry
SectionEnd

Section "$(qvx_section_desktop)" SecDesktop
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\quovix.exe"
SectionEnd

; An entry an earlier setup left in the 32-bit view for this folder is replaced by ours.
Function qvx_retire_32bit_entry
  ${If} $qvx_x64 = 1
    SetRegView 32
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
      DeleteRegKey HKLM "${UNINST_KEY}"
    ${EndIf}
    !insertmacro QVX_OWN_REG_VIEW
  ${EndIf}
FunctionEnd

!include "${SOURCE}/installer/uninstall.nsh"
