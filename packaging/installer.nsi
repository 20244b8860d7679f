; Tavrolin installer. Built by scripts/package.sh with makensis (NSIS 3, UTF-8 source):
;   makensis -INPUTCHARSET UTF8 -DSRCDIR=<repo> -DEXE=<tavrolin.exe> -DOUTDIR=<dist> packaging/installer.nsi
;
; Per-user by default: into %LOCALAPPDATA%\Programs\Tavrolin, registered under HKCU, no
; administrator rights needed. /ALLUSERS installs for every user of the machine into
; Program Files, registered under HKLM (run it as administrator). /S runs silently,
; /D=<folder> (last on the command line) picks the folder. The uninstaller takes /S too and
; knows the mode it was installed in.

Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh

; The version comes from the program's own header, the one place it is written.
!searchparse /file "${SRCDIR}/common/version.h" "#define TAVROLIN_VERSION_MAJOR " V_MAJOR
!searchparse /file "${SRCDIR}/common/version.h" "#define TAVROLIN_VERSION_MINOR " V_MINOR
!searchparse /file "${SRCDIR}/common/version.h" "#define TAVROLIN_VERSION_PATCH " V_PATCH
!searchparse /file "${SRCDIR}/common/version.h" "#define TAVROLIN_VERSION_BUILD " V_BUILD
!define VERSION "${V_MAJOR}.${V_MINOR}"
!define VERSION_FULL "${V_MAJOR}.${V_MINOR}.${V_PATCH}.${V_BUILD}"

!define PRODUCT "Tavrolin"
!define PUBLISHER "青木办公软件"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrolin"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTDIR}/Tavrolin-${VERSION}-setup.exe"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION_FULL}"
VIFileVersion "${VERSION_FULL}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION_FULL}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION_FULL}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "版权所有 © 2026 ${PUBLISHER}"

!define MUI_ICON "${SRCDIR}/res/tavrolin.ico"
!define MUI_UNICON "${SRCDIR}/res/tavrolin.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavrolin.exe"

!insertmacro MUI_PAGE_LICENSE "${SRCDIR}/LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Var AllUsers  ; "1" for a machine-wide install

; Sets the shell folders and registry root for the mode named on the command line.
!macro ChooseMode un
Function ${un}ChooseMode
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${If} ${Errors}
        StrCpy $AllUsers "0"
        SetShellVarContext current
    ${Else}
        StrCpy $AllUsers "1"
        UserInfo::GetAccountType
        Pop $R2
        ${If} $R2 != "admin"
            MessageBox MB_ICONSTOP "为所有用户安装或卸载需要管理员权限。" /SD IDOK
            SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
            Quit
        ${EndIf}
        SetShellVarContext all
    ${EndIf}
FunctionEnd
!macroend
!insertmacro ChooseMode ""
!insertmacro ChooseMode "un."

Function .onInit
    Call ChooseMode
    ${If} $INSTDIR == ""  ; no /D=
        ${If} $AllUsers == "1"
            StrCpy $INSTDIR "$PROGRAMFILES64\Tavrolin"
        ${Else}
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Tavrolin"
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Tavrolin"
    SetOutPath "$INSTDIR"
    File "/oname=tavrolin.exe" "${EXE}"
    File "/oname=LICENSE.txt" "${STAGE}/LICENSE.txt"
    File "/oname=说明.txt" "${STAGE}/说明.txt"

    ${If} $AllUsers == "1"
        StrCpy $R9 " /ALLUSERS"
    ${Else}
        StrCpy $R9 ""
    ${EndIf}
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Tavrolin.lnk" "$INSTDIR\tavrolin.exe" "" "$INSTDIR\tavrolin.exe" 0 \
        SW_SHOWNORMAL "" "Word、Excel、PPT 批量打印"
    ; Send To is a per-user folder on every Windows; a machine-wide install puts it in the
    ; installing user's. The shortcut carries no arguments of its own: the shell appends the
    ; chosen files' full paths, and the program adds them to its list.
    SetShellVarContext current
    CreateShortcut "$SENDTO\Tavrolin.lnk" "$INSTDIR\tavrolin.exe" "" "$INSTDIR\tavrolin.exe" 0 \
        SW_SHOWNORMAL "" "加入 Tavrolin 的打印列表"
    ${If} $AllUsers == "1"
        SetShellVarContext all
    ${EndIf}

    ; SHCTX: HKLM after SetShellVarContext all, HKCU otherwise.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_FULL}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavrolin.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"$R9'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S$R9'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    Call un.ChooseMode
FunctionEnd

Section "Uninstall"
    Delete "$INSTDIR\tavrolin.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\说明.txt"
    Delete "$INSTDIR\uninstall.exe"
    ; Only if empty: files a user put there stay.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Tavrolin.lnk"
    SetShellVarContext current
    Delete "$SENDTO\Tavrolin.lnk"
    ${If} $AllUsers == "1"
        SetShellVarContext all
    ${EndIf}

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
