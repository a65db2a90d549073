; Which folders the setup installs into and the uninstaller cleans. The uninstaller deletes
; files by name (readme.txt, user.ini, ...), so a drive root, a Windows folder or a folder shared
; with other programs must never become $INSTDIR.

!macro QVX_REFUSE_PART un part
  StrCpy $1 `${part}`
  Call ${un}qvx_contains
  Pop $2
  ${IfThen} $2 = 1 ${|} Goto not_absolute ${|}
!macroend

!macro QVX_REFUSE_EQUAL folder
  ${If} $0 == `${folder}`
    StrCpy $R9 "$(qvx_dir_system)"
    Goto done
  ${EndIf}
!macroend

!macro QVX_SAFE_DIR un
; Pushes 1 when $1 occurs in $0 (case-insensitively), else 0.
Function ${un}qvx_contains
  StrLen $2 $1
  StrLen $3 $0
  IntOp $3 $3 - $2
  ${DoWhile} $3 >= 0
    StrCpy $4 $0 $2 $3
    ${If} $4 == $1
      Push 1
      Return
    ${EndIf}
    IntOp $3 $3 - 1
  ${Loop}
  Push 0
FunctionEnd

; Removes one pair of enclosing quotes and trailing backslashes from $R8, then pushes ""
; when it names a folder we may own, else the message saying why not. Checked before it goes
; into $INSTDIR, where NSIS would silently drop the characters it finds invalid. Only a full path is
; taken: a drive letter with a backslash, or \\server\share\folder.
Function ${un}qvx_check_location
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 $R8 1
  StrCpy $1 $R8 "" -1
  ${If} $0 == '"'
  ${AndIf} $1 == '"'
    StrCpy $R8 $R8 -1 1
  ${EndIf}
  ${Do}
    StrCpy $1 $R8 "" -1
    ${IfThen} $1 != "\" ${|} ${ExitDo} ${|}
    StrCpy $R8 $R8 -1
  ${Loop}
  StrCpy $0 $R8

  StrCpy $R9 ""
  StrLen $1 $0
  ${If} $1 > ${QVX_MAX_DIR_LEN}
    StrCpy $R9 "$(qvx_dir_too_long)"
    Goto done
  ${EndIf}
  ; Names that are not a plain folder path: wildcards, quotes, "." or ".." steps.
  !insertmacro QVX_REFUSE_PART "${un}" '"'
  !insertmacro QVX_REFUSE_PART "${un}" "*"
  !insertmacro QVX_REFUSE_PART "${un}" "?"
  !insertmacro QVX_REFUSE_PART "${un}" "<"
  !insertmacro QVX_REFUSE_PART "${un}" ">"
  !insertmacro QVX_REFUSE_PART "${un}" "|"
  !insertmacro QVX_REFUSE_PART "${un}" "/"
  !insertmacro QVX_REFUSE_PART "${un}" "\.\"
  !insertmacro QVX_REFUSE_PART "${un}" "\..\"
  StrCpy $1 $0 "" -2
  ${IfThen} $1 == "\." ${|} Goto not_absolute ${|}
  StrCpy $1 $0 "" -3
  ${IfThen} $1 == "\.." ${|} Goto not_absolute ${|}

  StrCpy $1 $0 2
  ${If} $1 == "\\"
    ; \\server\share\folder: at least three non-empty names, no device paths (\\?\, \\.\).
    StrCpy $1 $0 "" 2
    StrCpy $2 0
    StrCpy $3 ""
    ${Do}
      StrCpy $4 $1 1
      StrCpy $1 $1 "" 1
      ${If} $4 == "\"
      ${OrIf} $4 == ""
        ${IfThen} $3 == "" ${|} Goto not_absolute ${|}
        IntOp $2 $2 + 1
        StrCpy $3 ""
      ${Else}
        StrCpy $3 "$3$4"
      ${EndIf}
      ${IfThen} $4 == "" ${|} ${ExitDo} ${|}
    ${Loop}
    StrCpy $1 $0 3
    ${IfThen} $1 == "\\?" ${|} Goto not_absolute ${|}
    ${IfThen} $1 == "\\." ${|} Goto not_absolute ${|}
    ${If} $2 < 3
      StrCpy $R9 "$(qvx_dir_root)"
      Goto done
    ${EndIf}
  ${Else}
    StrCpy $1 $0 1
    StrCpy $2 0
    ${If} $1 S>= "A"
    ${AndIf} $1 S<= "Z"
      StrCpy $2 1
    ${EndIf}
    ${If} $1 S>= "a"
    ${AndIf} $1 S<= "z"
      StrCpy $2 1
    ${EndIf}
    ${IfThen} $2 = 0 ${|} Goto not_absolute ${|}
    StrCpy $1 $0 1 1
    ${IfThen} $1 != ":" ${|} Goto not_absolute ${|}
    StrLen $1 $0
    ${If} $1 <= 2
      StrCpy $R9 "$(qvx_dir_root)"
      Goto done
    ${EndIf}
    StrCpy $1 $0 1 2
    ${IfThen} $1 != "\" ${|} Goto not_absolute ${|}
    StrCpy $1 $0 "" 3
    ${IfThen} $1 == "" ${|} Goto not_absolute ${|}
    ; A second colon names a stream.
    StrCpy $0 $0 "" 2
    StrCpy $1 ":"
    Call ${un}qvx_contains
    Pop $2
    StrCpy $0 $R8
    ${IfThen} $2 = 1 ${|} Goto not_absolute ${|}
  ${EndIf}

  ; The Windows folder and everything in it; the folders that hold every program or user.
  StrLen $1 "$WINDIR\"
  StrCpy $2 "$0\" $1
  ${If} $2 == "$WINDIR\"
    StrCpy $R9 "$(qvx_dir_system)"
    Goto done
  ${EndIf}
  SetShellVarContext all
  !insertmacro QVX_REFUSE_EQUAL "$PROGRAMFILES32"
  !insertmacro QVX_REFUSE_EQUAL "$PROGRAMFILES64"
  !insertmacro QVX_REFUSE_EQUAL "$COMMONFILES32"
  !insertmacro QVX_REFUSE_EQUAL "$COMMONFILES64"
  !insertmacro QVX_REFUSE_EQUAL "$APPDATA"
  !insertmacro QVX_REFUSE_EQUAL "$DESKTOP"
  !insertmacro QVX_REFUSE_EQUAL "$DOCUMENTS"
  !insertmacro QVX_REFUSE_EQUAL "$SMPROGRAMS"
  ReadEnvStr $1 SystemDrive
  ${If} $0 == "$1\Users"
  ${OrIf} $0 == "$1\ProgramData"
    StrCpy $R9 "$(qvx_dir_system)"
  ${EndIf}
  Goto done

not_absolute:
  StrCpy $R9 "$(qvx_dir_not_absolute)"
done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Push $R9
FunctionEnd
!macroend

!insertmacro QVX_SAFE_DIR ""
!insertmacro QVX_SAFE_DIR "un."

; Pushes "" when the setup may install into $R8 (made as above), else why not. Besides a safe
; location, the folder must be missing, hold an installation made by a setup of ours or the
; zip's layout unpacked by hand, or hold nothing but the user's files an uninstall kept: the uninstaller later deletes files by name,
; which must not be someone else's.
Function qvx_check_install_dir
  Call qvx_check_location
  Pop $R9
  ${If} $R9 == ""
  ${AndIf} ${FileExists} "$R8\*"
    Call qvx_zip_layout
    Pop $0
    ${If} ${FileExists} "$R8\quovix.exe"
    ${AndIf} ${FileExists} "$R8\uninst.exe"
      StrCpy $0 1
    ${EndIf}
    ${If} $0 = 0
      FindFirst $0 $1 "$R8\*"
      ${DoWhile} $1 != ""
        ${Select} $1
        ${Case5} "." ".." "user.ini" "softsetup.ini" "qvxl.log"
        ${Case} "update.log"
        ${CaseElse}
          StrCpy $R9 "$(qvx_dir_not_empty)"
          ${ExitDo}
        ${EndSelect}
        FindNext $0 $1
      ${Loop}
      FindClose $0
    ${EndIf}
  ${EndIf}
  Push $R9
FunctionEnd
