; The Corvastel installer: both builds, each registered with the registration of its
; bitness, for all users when run elevated and for the current user otherwise
; (/AllUsers or /CurrentUser choose; /S runs silently; /D=folder sets the folder).
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup.exe> -DVERSION=<version> -DICON=<.ico>
;            -DPUBLISHER=<name> -DCOPYRIGHT=<text> -DURL=<address> Corvastel.nsi
; The uninstaller removes the install it belongs to, in the mode it was made in, unless
; /AllUsers or /CurrentUser says otherwise.
Unicode true

!define PRODUCT "Corvastel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvastel"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!include MultiUser.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"
ShowInstDetails show
; Files keep no build time, so that the installer is the same whenever it is made.
SetDateSave off
ShowUninstDetails show

Page directory
Page instfiles
UninstPage instfiles

; MULTIUSER_INIT sets the folder for the install mode; a folder given with /D wins.
Function .onInit
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  ${GetOptions} $0 "/CurrentUser" $1
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  ; An administrator's uninstaller would take the all-users mode: the current user's
  ; entry naming this folder says the install was the user's own.
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $INSTDIR
    Call un.MultiUser.InstallMode.CurrentUser
  ${EndIf}
FunctionEnd

; Registers one build (x86 or x64), or with OPTION /u unregisters it: for all users with
; the regsvr32 of its bitness, for the current user with the RegisterCorvastel.exe beside it.
!macro Registration ARCH OPTION
  ${If} $MultiUser.InstallMode == "AllUsers"
    ${If} "${ARCH}" == "x64"
      ${DisableX64FSRedirection}
      ExecWait '"$WINDIR\System32\regsvr32.exe" /s ${OPTION} "$INSTDIR\x64\Corvastel.dll"' $0
      ${EnableX64FSRedirection}
    ${Else}
      ExecWait '"$SYSDIR\regsvr32.exe" /s ${OPTION} "$INSTDIR\x86\Corvastel.dll"' $0
    ${EndIf}
  ${Else}
    ExecWait '"$INSTDIR\${ARCH}\RegisterCorvastel.exe" ${OPTION}' $0
  ${EndIf}
  ${If} $0 != 0
    DetailPrint "Registration of the ${ARCH} build ${OPTION} failed with $0"
    SetErrorLevel 2
  ${EndIf}
!macroend

!macro Build ARCH
  SetOutPath "$INSTDIR\${ARCH}"
  File "${DIST}/${ARCH}/Corvastel.dll"
  File "${DIST}/${ARCH}/Corvastel.tlb"
  File "${DIST}/${ARCH}/Corvastel.manifest"
  File "${DIST}/${ARCH}/RegisterCorvastel.exe"
!macroend

Section "Corvastel"
  !insertmacro Build x86
  ${If} ${RunningX64}
    !insertmacro Build x64
  ${EndIf}
  SetOutPath "$INSTDIR\examples"
  File "${DIST}/x86/examples/*.*"
  SetOutPath "$INSTDIR"
  File "${DIST}/user-guide.md"
  File "${DIST}/LICENSE"
  File "${DIST}/THIRD-PARTY-NOTICES.md"
  File "${DIST}/CHANGELOG.md"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  !insertmacro Registration x86 ""
  ${If} ${RunningX64}
    !insertmacro Registration x64 ""
  ${EndIf}

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "HelpLink" "${URL}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${URL}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Contact" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ${If} ${RunningX64}
    !insertmacro Registration x64 "/u"
  ${EndIf}
  !insertmacro Registration x86 "/u"
  RMDir /r "$INSTDIR\x86"
  RMDir /r "$INSTDIR\x64"
  RMDir /r "$INSTDIR\examples"
  Delete "$INSTDIR\user-guide.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.md"
  Delete "$INSTDIR\CHANGELOG.md"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
