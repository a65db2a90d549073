; The folder given with /D=. NSIS itself takes /D= only unquoted and silently falls back to the
; default folder when it finds the path unusable; a deploying administrator who quoted a path
; with spaces, or named a folder that cannot be created, must get that folder or an error.

; Pushes what follows the last " /D=" or ' "/D=' of the command line (without the closing
; quote), or "" when there is none.
Function qvx_requested_dir
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  StrCpy $2 ""
  ${DoWhile} $1 > 0
    IntOp $1 $1 - 1
    StrCpy $3 $0 4 $1
    ${If} $3 S== " /D="
      IntOp $1 $1 + 4
      StrCpy $2 $0 "" $1
      ${Break}
    ${EndIf}
    StrCpy $3 $0 5 $1
    ${If} $3 S== ' "/D='
      IntOp $1 $1 + 5
      StrCpy $2 $0 "" $1
      StrCpy $3 $2 "" -1
      ${If} $3 == '"'
        StrCpy $2 $2 -1
      ${EndIf}
      ${Break}
    ${EndIf}
  ${Loop}
  Push $2
FunctionEnd
