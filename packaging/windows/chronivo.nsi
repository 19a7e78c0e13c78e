; Chronivo's installer for 64-bit Windows. scripts/package-windows.sh makes it from a staged
; `cmake --install` of the Windows build:
;   makensis -DVERSION=x.y.z -DSTAGE=<staged folder> -DSOURCE=<source tree> -DOUTFILE=<setup.exe>
;            -DINSTALL_FILES=<nsh> -DUNINSTALL_FILES=<nsh> chronivo.nsi
; INSTALL_FILES and UNINSTALL_FILES list the staged files one by one, so that the uninstaller
; removes exactly what was installed and never a whole folder the user may have chosen.
;
; It installs into Program Files\Chronivo, records that folder in HKLM\Software\Chronivo, and
; puts the launcher into the system folder as Chronivo.scr, where Screen Saver Settings lists
; savers. "/CURRENT" on the command line (or the box on the last page) makes Chronivo the user's
; screen saver. The user's own settings under HKCU\Software\Velstrand are never touched.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Chronivo"
!define PUBLISHER "The Chronivo authors"
!define INSTALL_KEY "Software\Chronivo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Chronivo"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SHORTCUT "$SMPROGRAMS\Chronivo Settings.lnk"
!define SYSTEM_SAVER "$SYSDIR\Chronivo.scr"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Chronivo"
InstallDirRegKey HKLM "${INSTALL_KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${SOURCE}/src/res/chronivo.ico"
!define MUI_UNICON "${SOURCE}/src/res/chronivo.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${SOURCE}/LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The last page's box makes Chronivo the user's screen saver.
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Make Chronivo my screen saver"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION MakeCurrentSaver
!define MUI_FINISHPAGE_NOREBOOTSUPPORT
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Chronivo in the system folder as the user's screen saver, switched on.
Function MakeCurrentSaver
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SYSTEM_SAVER}"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
FunctionEnd

Section "Chronivo"
    SetShellVarContext all
    !include "${INSTALL_FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; Screen Saver Settings lists the savers of the system folder; the launcher there starts
    ; $INSTDIR\Chronivo.scr, which it finds through InstallDir.
    WriteRegStr HKLM "${INSTALL_KEY}" "InstallDir" "$INSTDIR"
    SetOverwrite try
    ClearErrors
    File "/oname=${SYSTEM_SAVER}" "${STAGE}/ChronivoSettings.exe"
    SetOverwrite on
    ${If} ${Errors}
        DetailPrint "Could not replace ${SYSTEM_SAVER}; it is in use. Restart and install again."
    ${EndIf}

    ; The shell's link object can fail for a moment on a busy machine: one more try after a pause.
    ClearErrors
    CreateShortCut "${SHORTCUT}" "$INSTDIR\ChronivoSettings.exe" "/c" "$INSTDIR\Chronivo.scr" 0
    ${If} ${Errors}
        Sleep 1000
        ClearErrors
        CreateShortCut "${SHORTCUT}" "$INSTDIR\ChronivoSettings.exe" "/c" "$INSTDIR\Chronivo.scr" 0
        ${If} ${Errors}
            DetailPrint "Could not make the Start menu entry ${SHORTCUT}."
        ${EndIf}
    ${EndIf}

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Chronivo.scr,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In kilobytes.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CURRENT" $R1
    ${IfNot} ${Errors}
        Call MakeCurrentSaver
    ${EndIf}
SectionEnd

; Sets $1 to 1 when the user's screen saver $0 (whose short spelling is $2) is file `candidate`,
; in long or short (8.3) spelling. Uses $3.
!macro SameSaver candidate
    ${If} $0 == "${candidate}"
        StrCpy $1 1
    ${EndIf}
    GetFullPathName /SHORT $3 "${candidate}"
    ${If} $2 != ""
    ${AndIf} $2 == $3
        StrCpy $1 1
    ${EndIf}
!macroend

; Whether the user's screen saver $0 is one of ours: the system folder's or the installation
; folder's Chronivo.scr. $1 is 1 when it is. (== compares regardless of case.)
Function un.IsChronivoSaver
    StrCpy $1 0
    StrCmp $0 "" done
    GetFullPathName /SHORT $2 "$0"
    !insertmacro SameSaver "${SYSTEM_SAVER}"
    !insertmacro SameSaver "$INSTDIR\Chronivo.scr"
done:
FunctionEnd

Section "Uninstall"
    SetShellVarContext all

    ; Before any file goes: the short spelling of a path exists only while its file does.
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    Call un.IsChronivoSaver
    ${If} $1 == 1
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}

    Delete /REBOOTOK "${SYSTEM_SAVER}"
    Delete "${SHORTCUT}"
    !include "${UNINSTALL_FILES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${INSTALL_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
