; Which program the setup installs, and so its registry view: the x64 program in the 64-bit
; view where Windows runs x64 programs (also from the 32-bit stub, which Windows would
; otherwise redirect to the 32-bit view), the 32-bit program in the 32-bit view elsewhere.

; 1 where the x64 program is installed; set by QVX_CHOOSE_PROGRAM in both .onInit functions.
Var qvx_x64

; x64 Windows runs x64 programs; ARM64 Windows only where it emulates them, which Windows 10
; on ARM does not: there GetMachineTypeAttributes (Windows 11 and later) is missing, and where
; it exists it says whether user-mode x64 code runs (MACHINE_ATTRIBUTES UserEnabled, 1).
; https://learn.microsoft.com/en-us/windows/win32/api/processthreadsapi/nf-processthreadsapi-getmachinetypeattributes
; https://learn.microsoft.com/en-us/windows/win32/api/wow64apiset/nf-wow64apiset-iswow64process2
!macro QVX_CHOOSE_PROGRAM
!if ${NSIS_PTR_SIZE} > 4
  StrCpy $qvx_x64 1
!else
  StrCpy $qvx_x64 0
  ${If} ${IsNativeAMD64}
    StrCpy $qvx_x64 1
  ${ElseIf} ${IsNativeARM64}
    System::Call 'kernel32::GetMachineTypeAttributes(i 0x8664, *i .r1) i .r0'
    ${If} $0 S== "0"
      IntOp $1 $1 & 1
      ${IfThen} $1 <> 0 ${|} StrCpy $qvx_x64 1 ${|}
    ${EndIf}
  ${EndIf}
!endif
!macroend

!macro QVX_OWN_REG_VIEW
  ${If} $qvx_x64 = 1
    SetRegView 64
  ${Else}
    SetRegView 32
  ${EndIf}
!macroend
