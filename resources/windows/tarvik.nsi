; The setup program of Tarvik for 64-bit Windows. Built by the target "setup" of a Windows build
; (makensis -INPUTCHARSET UTF8 -DVERSION=... -DSTAGE=<installed tree> -DICON=<tarvik.ico>
; -DOUTFILE=<setup program>).
;
; The program goes to Program Files, which only administrators may change. The configuration
; lives in %ProgramData%\Tarvik, which every user of the machine may write: there the operators
; keep tarvik.ini, and the program finds it there as long as no tarvik.ini lies beside tarvik.exe.
;
; Command line (besides NSIS's own /S for a silent installation and /D=<folder>, which comes last):
;   /PREVZIT=<folder>        take over the tarvik.ini of an older program in <folder>
; The uninstaller keeps the configuration; in a silent uninstallation (/S) /ODSTRANIT_KONFIGURACI
; removes it too.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WordFunc.nsh"
!include "nsDialogs.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik"
; BUILTIN\Users by its well-known SID: the group's name depends on the system's language.
!define USERS_SID "*S-1-5-32-545"

Name "Tarvik ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tarvik"
BrandingText "Tarvik ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1029 "ProductName" "Tarvik"
VIAddVersionKey /LANG=1029 "FileDescription" "Instalace programu Tarvik"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "LegalCopyright" "Tarvik"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var slozka_konfigurace
Var stara_slozka
Var pole_stare_slozky
Var odstranit_konfiguraci
Var volba_odstraneni

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom stranka_prevzeti stranka_prevzeti_konec
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarvik.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Spustit Tarvik"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.stranka_konfigurace un.stranka_konfigurace_konec
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Czech"

; ---- installation ----

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Tarvik vyžaduje 64bitová Windows." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    SetRegView 64
    SetShellVarContext all
    StrCpy $slozka_konfigurace "$APPDATA\Tarvik"
    ; /PREVZIT=C:\Old or /PREVZIT="C:\Old program", or the whole option quoted, as programs that
    ; start the setup program with an argument list write it: "/PREVZIT=C:\Old program".
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/PREVZIT=" $stara_slozka
    ${If} ${Errors}
        ClearErrors
        ${WordFind2X} $R0 '"/PREVZIT=' '"' "E+1" $stara_slozka
        ${If} ${Errors}
            StrCpy $stara_slozka ""
        ${EndIf}
    ${EndIf}
    ; A silent installation asked to take over a file that is not there stops before it changes
    ; anything: the administrator who deploys it learns so from the exit code.
    ${If} ${Silent}
    ${AndIf} $stara_slozka != ""
    ${AndIfNot} ${FileExists} "$stara_slozka\tarvik.ini"
        SetErrorLevel 3
        Quit
    ${EndIf}
FunctionEnd

Function stranka_prevzeti
    !insertmacro MUI_HEADER_TEXT "Převzetí konfigurace" \
        "Konfigurace dosavadního programu (soubor tarvik.ini)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 48u "Používali jste na tomto počítači dosavadní program? Zvolte \
        složku, ve které má svůj soubor tarvik.ini: Tarvik ho převezme beze změny, se všemi \
        názvy, přiřazením stykačů a heslem. Chcete-li začít s výchozí konfigurací, nechte pole \
        prázdné."
    Pop $0
    ${NSD_CreateDirRequest} 0 56u 78% 13u "$stara_slozka"
    Pop $pole_stare_slozky
    ${NSD_CreateBrowseButton} 80% 55u 20% 15u "Procházet..."
    Pop $0
    ${NSD_OnClick} $0 vyber_starou_slozku
    ${NSD_CreateLabel} 0 80u 100% 36u "Konfigurace bude uložena ve složce \
        $slozka_konfigurace, do které mohou zapisovat všichni uživatelé počítače."
    Pop $0
    nsDialogs::Show
FunctionEnd

Function vyber_starou_slozku
    ${NSD_GetText} $pole_stare_slozky $0
    nsDialogs::SelectFolderDialog "Složka se souborem tarvik.ini" "$0"
    Pop $0
    ${If} $0 != error
        ${NSD_SetText} $pole_stare_slozky "$0"
    ${EndIf}
FunctionEnd

Function stranka_prevzeti_konec
    ${NSD_GetText} $pole_stare_slozky $stara_slozka
    ${If} $stara_slozka != ""
    ${AndIfNot} ${FileExists} "$stara_slozka\tarvik.ini"
        MessageBox MB_ICONEXCLAMATION "Ve složce $stara_slozka není soubor tarvik.ini."
        Abort
    ${EndIf}
FunctionEnd

; Puts `source` in place as the configuration, byte for byte; a configuration already there is
; kept beside it as tarvik.ini.puvodni.
!macro prevezmi_konfiguraci source
    ${If} ${FileExists} "$slozka_konfigurace\tarvik.ini"
        Delete "$slozka_konfigurace\tarvik.ini.puvodni"
        Rename "$slozka_konfigurace\tarvik.ini" "$slozka_konfigurace\tarvik.ini.puvodni"
    ${EndIf}
    ClearErrors
    CopyFiles /SILENT "${source}" "$slozka_konfigurace\tarvik.ini"
    ${If} ${Errors}
        DetailPrint "Konfiguraci ${source} se nepodařilo převzít."
        MessageBox MB_ICONEXCLAMATION "Konfiguraci ${source} se nepodařilo převzít." /SD IDOK
        SetErrorLevel 3
    ${Else}
        DetailPrint "Převzata konfigurace ${source}"
    ${EndIf}
!macroend

Section "Tarvik"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The operators' folder: every user may create, change and replace files there.
    CreateDirectory "$slozka_konfigurace"
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$slozka_konfigurace" /grant ${USERS_SID}:(OI)(CI)M'
    Pop $0
    ${If} $0 != 0
        DetailPrint "Práva ke složce $slozka_konfigurace se nepodařilo nastavit ($0)."
    ${EndIf}

    ; A configuration beside the program (an older layout in this folder) would keep the program
    ; from the operators' folder, and nobody but an administrator could change it there.
    ${If} ${FileExists} "$INSTDIR\tarvik.ini"
        ${If} $stara_slozka == ""
        ${AndIfNot} ${FileExists} "$slozka_konfigurace\tarvik.ini"
            !insertmacro prevezmi_konfiguraci "$INSTDIR\tarvik.ini"
        ${EndIf}
        Delete "$INSTDIR\tarvik.ini.puvodni"
        Rename "$INSTDIR\tarvik.ini" "$INSTDIR\tarvik.ini.puvodni"
    ${EndIf}
    ${If} $stara_slozka != ""
        !insertmacro prevezmi_konfiguraci "$stara_slozka\tarvik.ini"
    ${EndIf}

    CreateShortcut "$SMPROGRAMS\Tarvik.lnk" "$INSTDIR\tarvik.exe" "" "$INSTDIR\tarvik.exe" 0 \
        SW_SHOWNORMAL "" "Ovládání stykačů"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarvik"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarvik"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarvik.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---- uninstallation ----

Function un.onInit
    SetRegView 64
    SetShellVarContext all
    StrCpy $slozka_konfigurace "$APPDATA\Tarvik"
    StrCpy $odstranit_konfiguraci 0
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ODSTRANIT_KONFIGURACI" $R1
    ${IfNot} ${Errors}
        StrCpy $odstranit_konfiguraci 1
    ${EndIf}
FunctionEnd

Function un.stranka_konfigurace
    !insertmacro MUI_HEADER_TEXT "Konfigurace" "Co se stane se souborem tarvik.ini"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 36u "Konfigurace (názvy, přiřazení stykačů, heslo) zůstane ve \
        složce $slozka_konfigurace, aby ji převzala příští instalace."
    Pop $0
    ${NSD_CreateCheckbox} 0 44u 100% 12u "Odstranit i konfiguraci"
    Pop $volba_odstraneni
    nsDialogs::Show
FunctionEnd

Function un.stranka_konfigurace_konec
    ${NSD_GetState} $volba_odstraneni $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $odstranit_konfiguraci 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Tarvik.lnk"
    ; Only what the setup program put there: the folder may have been chosen next to other files.
    Delete "$INSTDIR\tarvik.exe"
    Delete "$INSTDIR\tarvik.hlp"
    Delete "$INSTDIR\qt.conf"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\tarvik.ini.puvodni"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\imageformats"
    RMDir /r "$INSTDIR\translations"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ${If} $odstranit_konfiguraci == 1
        Delete "$slozka_konfigurace\tarvik.ini"
        Delete "$slozka_konfigurace\tarvik.ini.puvodni"
        Delete "$slozka_konfigurace\tarvik.ini.*"
        RMDir "$slozka_konfigurace"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
