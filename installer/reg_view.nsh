; The registry view of the program the setup installs: 64-bit on 64-bit Windows (also from the
; 32-bit stub, which Windows would otherwise redirect to the 32-bit view), 32-bit elsewhere.
!macro QVX_OWN_REG_VIEW
!if ${NSIS_PTR_SIZE} > 4
  SetRegView 64
!else
  ${If} ${RunningX64}
    SetRegView 64
  ${Else}
    SetRegView 32
  ${EndIf}
!endif
!macroend
