; The setup program of Tarvik for 64-bit Windows. Built by the target "setup" of a Windows build
; (makensis -INPUTCHARSET UTF8 -DVERSION=... -DSTAGE=<installed tree> -DICON=<tarvik.ico>
; -DOUTFILE=<setup program> -DFILE_LIST=<what the uninstaller removes> -DLICENCE=<licence page>
; -DAUTORI=<publisher>).
;
; The program goes to Program Files, which only administrators may change. The configuration
; lives in %ProgramData%\Tarvik, which every user of the machine may write: there the operators
; keep tarvik.ini, and the program finds it there as long as no tarvik.ini lies beside tarvik.exe.
; A new configuration gets the port and the administrator password asked for here; one taken over
; or already there stays as it is. An installed copy is replaced where it is; nothing is installed
; or removed while Tarvik runs.
;
; Command line (besides NSIS's own /S for a silent installation and /D=<folder>, which comes last):
;   /PREVZIT=<folder>        take over the tarvik.ini of an older program in <folder>
;   /COM=<1..9>              the controller's port, for a new configuration
;   /HESLO=<password>        the administrator password, for a new configuration
; A silent installation writes a new configuration only when given /COM= or /HESLO= (COM1 when
; only the password is given); otherwise the program's first start writes the default one.
; The uninstaller keeps the configuration; in a silent uninstallation (/S) /ODSTRANIT_KONFIGURACI
; removes it too.
;
; Exit codes: 2 a bad option or password, 3 a configuration not taken over or not written,
; 4 another installation folder asked for while Tarvik is installed, 5 Tarvik runs.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "TextFunc.nsh"
!include "WordFunc.nsh"
!include "nsDialogs.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik"
; BUILTIN\Users by its well-known SID: the group's name depends on the system's language.
!define USERS_SID "*S-1-5-32-545"
!define POMOCNIK "tarvik-setup-tool.exe"

Name "Tarvik ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tarvik"
; An installed copy is replaced where it is (see .onInit).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tarvik ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1029 "ProductName" "Tarvik"
VIAddVersionKey /LANG=1029 "CompanyName" "${AUTORI}"
VIAddVersionKey /LANG=1029 "FileDescription" "Instalace programu Tarvik"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "LegalCopyright" "Copyright (C) ${AUTORI}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var slozka_konfigurace
Var stara_slozka
Var pole_stare_slozky
Var nainstalovano_v ; the folder of the installed copy, or empty
Var port            ; 1 to 9 for a new configuration, empty: none written
Var heslo
Var pole_portu
Var pole_hesla
Var pole_hesla_znovu
Var vyssi_porty
Var odstranit_konfiguraci
Var volba_odstraneni

!insertmacro MUI_PAGE_WELCOME
!define MUI_LICENSEPAGE_TEXT_TOP "Tarvik a knihovny, které se instalují s ním"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Texty licencí budou ve složce licence vedle programu."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!define MUI_PAGE_CUSTOMFUNCTION_PRE vynech_pri_aktualizaci
!insertmacro MUI_PAGE_DIRECTORY
Page custom stranka_prevzeti stranka_prevzeti_konec
Page custom stranka_portu stranka_portu_konec
Page custom stranka_hesla stranka_hesla_konec
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Tarvik je nainstalován"
!define MUI_FINISHPAGE_TEXT "Tarvik spustí každý uživatel pod svým účtem z nabídky Start \
    (Tarvik).$\r$\n$\r$\nNávod je v programu v nabídce Nápověda."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.stranka_konfigurace un.stranka_konfigurace_konec
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Czech"

; Tarvik must not run while its files are replaced or removed: one running anywhere on the
; machine, on any account, holds them. POMOCNIK is the helper to ask; "Opakovat" asks again, and
; a silent run ends with exit code 5.
!macro pockej_na_konec_tarviku POMOCNIK
    ${Do}
        nsExec::Exec '"${POMOCNIK}" bezi'
        Pop $0
        ${If} $0 != 1
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tarvik je spuštěn. Ukončete ho na všech \
            účtech tohoto počítače a zvolte Opakovat." /SD IDCANCEL IDRETRY +3
        SetErrorLevel 5
        Quit
    ${Loop}
!macroend

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

    ; The helper and what it needs, for the pages and the checks before anything is installed.
    InitPluginsDir
    SetOutPath "$PLUGINSDIR\pomocnik"
    File "${STAGE}\${POMOCNIK}"
    File "${STAGE}\Qt6Core.dll"
    File "${STAGE}\Qt6SerialPort.dll"
    File "${STAGE}\libstdc++-6.dll"
    File "${STAGE}\libgcc_s_seh-1.dll"
    File "${STAGE}\libwinpthread-1.dll"
    !insertmacro pockej_na_konec_tarviku "$PLUGINSDIR\pomocnik\${POMOCNIK}"

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

    ClearErrors
    ${GetOptions} $R0 "/COM=" $port
    StrLen $0 $port
    ${If} ${Errors}
        StrCpy $port ""
    ; One digit, 1 to 9 (text that is no number compares as 0).
    ${ElseIf} $0 != 1
    ${OrIf} $port < 1
        MessageBox MB_ICONSTOP "/COM= nese číslo portu 1 až 9 (konfigurační soubor uchovává jednu \
            číslici)." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/HESLO=" $heslo
    ${If} ${Errors}
        StrCpy $heslo ""
    ${ElseIf} $heslo != ""
        Call heslo_lze_pouzit
        Pop $0
        ${If} $0 != 0
            MessageBox MB_ICONSTOP "Heslo z /HESLO= nelze použít: nejvýše 20 znaků, na 1., 5., 9., \
                13. a 17. místě jen znaky základní sady ASCII." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        ${If} $port == ""
            StrCpy $port 1
        ${EndIf}
    ${EndIf}

    ; An installed copy is replaced in its folder; installing a second copy elsewhere would leave
    ; the first without its uninstall entry.
    ReadRegStr $nainstalovano_v HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $nainstalovano_v != ""
    ${AndIf} $INSTDIR != $nainstalovano_v
        MessageBox MB_ICONSTOP "Tarvik je nainstalován ve složce $nainstalovano_v. Nová verze se \
            instaluje do ní; chcete-li jinou složku, Tarvik nejprve odinstalujte." /SD IDOK
        SetErrorLevel 4
        Quit
    ${EndIf}
FunctionEnd

; The password in $heslo, handed to the helper in its environment, not on a command line.
Function predej_heslo
    StrCpy $R9 $heslo
    System::Call 'kernel32::SetEnvironmentVariableW(w "TARVIK_HESLO", w R9)'
FunctionEnd

Function zapomen_heslo
    System::Call 'kernel32::SetEnvironmentVariableW(w "TARVIK_HESLO", p 0)'
FunctionEnd

; Pushes 0 when $heslo has a hash the program can store, another value when it has none.
Function heslo_lze_pouzit
    Call predej_heslo
    nsExec::Exec '"$PLUGINSDIR\pomocnik\${POMOCNIK}" heslo'
    Call zapomen_heslo
FunctionEnd

Function vynech_pri_aktualizaci
    ${If} $nainstalovano_v != ""
        Abort
    ${EndIf}
FunctionEnd

Function stranka_prevzeti
    !insertmacro MUI_HEADER_TEXT "Převzetí konfigurace" \
        "Konfigurace dosavadního programu (soubor tarvik.ini)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 48u "Používali jste na tomto počítači dosavadní program? Zvolte \
        složku, ve které má svůj soubor tarvik.ini: Tarvik ho převezme beze změny, se všemi \
        názvy, přiřazením stykačů, portem a heslem. Chcete-li začít s novou konfigurací, nechte \
        pole prázdné."
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

; The port and password pages are for a new configuration only: one taken over, one already in
; the operators' folder or one beside an older copy of the program stays as it is.
Function vynech_bez_nove_konfigurace
    ${If} $stara_slozka != ""
    ${OrIf} ${FileExists} "$slozka_konfigurace\tarvik.ini"
    ${OrIf} ${FileExists} "$INSTDIR\tarvik.ini"
        StrCpy $port ""
        Abort
    ${EndIf}
FunctionEnd

; COM1 to COM9 (the file keeps one digit), those that Windows has with their names as the helper
; lists them; the one chosen before, else the first that Windows has, else COM1, selected.
Function stranka_portu
    Call vynech_bez_nove_konfigurace
    !insertmacro MUI_HEADER_TEXT "Sériový port" "Port, ke kterému je připojen řídicí systém"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 30u "Zvolte port, ke kterému je připojen řídicí systém stykačů. \
        Porty, které Windows v tomto počítači mají, jsou uvedeny s názvem. Převodník USB, který \
        ještě není připojen, zvolte podle čísla, které mu Windows dají."
    Pop $0
    ${NSD_CreateDropList} 0 34u 70% 100u ""
    Pop $pole_portu
    nsExec::Exec '"$PLUGINSDIR\pomocnik\${POMOCNIK}" porty "$PLUGINSDIR\porty.txt"'
    Pop $0
    StrCpy $1 ""
    FileOpen $2 "$PLUGINSDIR\porty.txt" r
    ${For} $3 1 9
        StrCpy $4 ""
        ${If} $2 != ""
            FileReadUTF16LE $2 $4
            ${TrimNewLines} $4 $4
        ${EndIf}
        ${If} $4 == ""
            StrCpy $4 "COM$3"
        ${EndIf}
        ${NSD_CB_AddString} $pole_portu $4
        ${If} $port == $3
            StrCpy $1 $4
        ${ElseIf} $port$1 == ""
        ${AndIf} $4 != "COM$3"
            StrCpy $1 $4
        ${EndIf}
    ${Next}
    StrCpy $vyssi_porty ""
    ${If} $2 != ""
        FileReadUTF16LE $2 $vyssi_porty
        ${TrimNewLines} $vyssi_porty $vyssi_porty
        FileClose $2
    ${EndIf}
    ${If} $1 == ""
        StrCpy $1 "COM1"
    ${EndIf}
    ${NSD_CB_SelectString} $pole_portu $1
    StrCpy $0 "Konfigurační soubor uchovává jen jednu číslici čísla portu. Převodníku s číslem \
        COM10 nebo vyšším dejte ve Správci zařízení číslo nižší: Porty (COM a LPT), Vlastnosti \
        převodníku, karta Nastavení portu, Upřesnit, Číslo portu COM."
    ${If} $vyssi_porty != ""
        StrCpy $0 "$0$\r$\n$\r$\nPorty s vyšším číslem v tomto počítači: $vyssi_porty."
    ${EndIf}
    ${NSD_CreateLabel} 0 54u 100% 70u $0
    Pop $0
    nsDialogs::Show
FunctionEnd

Function stranka_portu_konec
    ${NSD_GetText} $pole_portu $0
    StrCpy $port $0 1 3
FunctionEnd

Function stranka_hesla
    Call vynech_bez_nove_konfigurace
    !insertmacro MUI_HEADER_TEXT "Heslo správce" "Heslo administrátorského režimu"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "Zadejte dvakrát stejně heslo, kterým se správce přihlásí do \
        administrátorského režimu programu: nejvýše 20 znaků, velká a malá písmena se liší."
    Pop $0
    ${NSD_CreateLabel} 0 30u 30% 12u "heslo:"
    Pop $0
    ${NSD_CreatePassword} 32% 28u 50% 12u $heslo
    Pop $pole_hesla
    SendMessage $pole_hesla ${EM_LIMITTEXT} 20 0
    ${NSD_CreateLabel} 0 48u 30% 12u "heslo znovu:"
    Pop $0
    ${NSD_CreatePassword} 32% 46u 50% 12u $heslo
    Pop $pole_hesla_znovu
    SendMessage $pole_hesla_znovu ${EM_LIMITTEXT} 20 0
    ${NSD_CreateLabel} 0 68u 100% 48u "Necháte-li obě pole prázdná, platí heslo výchozí \
        konfigurace, které nikdo nezná: správce se pak poprvé přihlásí servisním heslem \
        dodavatele a heslo hned změní (Konfigurace – Administrátorské heslo)."
    Pop $0
    ${NSD_SetFocus} $pole_hesla
    nsDialogs::Show
FunctionEnd

Function stranka_hesla_konec
    ${NSD_GetText} $pole_hesla $0
    ${NSD_GetText} $pole_hesla_znovu $1
    ${If} $0 S!= $1
        MessageBox MB_ICONEXCLAMATION "Heslo nebylo zadáno dvakrát stejně."
        Abort
    ${EndIf}
    StrCpy $heslo $0
    ${If} $heslo != ""
        Call heslo_lze_pouzit
        Pop $0
        ${If} $0 != 0
            MessageBox MB_ICONEXCLAMATION "Toto heslo nelze použít. Na 1., 5., 9., 13. a 17. místě \
                hesla nesmí být písmeno s diakritikou ani jiný znak mimo základní sadu ASCII."
            Abort
        ${EndIf}
    ${EndIf}
FunctionEnd

; Moves the configuration in `slozka` aside as tarvik.ini.puvodni, or .puvodni2, .puvodni3 ...
; where an earlier one is kept already.
!macro odloz_konfiguraci slozka
    StrCpy $R8 ""
    StrCpy $R7 1
    ${DoWhile} ${FileExists} "${slozka}\tarvik.ini.puvodni$R8"
        IntOp $R7 $R7 + 1
        StrCpy $R8 $R7
    ${Loop}
    Rename "${slozka}\tarvik.ini" "${slozka}\tarvik.ini.puvodni$R8"
    DetailPrint "Dosavadní konfigurace ${slozka}\tarvik.ini uložena jako tarvik.ini.puvodni$R8"
!macroend

; Puts `source` in place as the configuration, byte for byte; a configuration already there is
; kept beside it (odloz_konfiguraci).
!macro prevezmi_konfiguraci source
    ${If} ${FileExists} "$slozka_konfigurace\tarvik.ini"
        !insertmacro odloz_konfiguraci "$slozka_konfigurace"
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
    ; Tarvik may have been started while the pages were shown.
    !insertmacro pockej_na_konec_tarviku "$PLUGINSDIR\pomocnik\${POMOCNIK}"
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
        !insertmacro odloz_konfiguraci "$INSTDIR"
    ${EndIf}
    ${If} $stara_slozka != ""
        !insertmacro prevezmi_konfiguraci "$stara_slozka\tarvik.ini"
    ${EndIf}

    ; A new configuration with the port and the password chosen, written by the program's own code.
    ${If} $port != ""
        ${If} ${FileExists} "$slozka_konfigurace\tarvik.ini"
            DetailPrint "Konfigurace $slozka_konfigurace\tarvik.ini zůstává, jak je (port a heslo \
                se nemění)."
        ${Else}
            Call predej_heslo
            nsExec::ExecToLog '"$INSTDIR\${POMOCNIK}" konfigurace \
                "$slozka_konfigurace\tarvik.ini" $port'
            Pop $0
            Call zapomen_heslo
            ${If} $0 == 0
                DetailPrint "Nová konfigurace $slozka_konfigurace\tarvik.ini: COM$port"
            ${Else}
                DetailPrint "Konfiguraci $slozka_konfigurace\tarvik.ini se nepodařilo zapsat ($0)."
                MessageBox MB_ICONEXCLAMATION "Konfiguraci $slozka_konfigurace\tarvik.ini se \
                    nepodařilo zapsat. Program ji při prvním spuštění vytvoří výchozí (COM1); \
                    port a heslo pak nastavte v něm." /SD IDOK
                SetErrorLevel 3
            ${EndIf}
        ${EndIf}
    ${EndIf}

    CreateShortcut "$SMPROGRAMS\Tarvik.lnk" "$INSTDIR\tarvik.exe" "" "$INSTDIR\tarvik.exe" 0 \
        SW_SHOWNORMAL "" "Ovládání stykačů"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarvik"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${AUTORI}"
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
    ${If} ${FileExists} "$INSTDIR\${POMOCNIK}"
        !insertmacro pockej_na_konec_tarviku "$INSTDIR\${POMOCNIK}"
    ${EndIf}
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
    ${NSD_CreateLabel} 0 0 100% 36u "Konfigurace (názvy, přiřazení stykačů, port, heslo) zůstane \
        ve složce $slozka_konfigurace, aby ji převzala příští instalace."
    Pop $0
    ${NSD_CreateCheckbox} 0 44u 100% 12u "Odstranit i konfiguraci"
    Pop $volba_odstraneni
    nsDialogs::Show
FunctionEnd

Function un.stranka_konfigurace_konec
    ${NSD_GetState} $volba_odstraneni $0
    ${If} $0 == ${BST_CHECKED}
        MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "Odstranit i konfiguraci ve složce \
            $slozka_konfigurace? Názvy záložek a stykačů, přiřazení stykačů, port a heslo budou \
            ztraceny; záloha na disketě zůstane." IDYES odstranit
        ${NSD_Uncheck} $volba_odstraneni
        Abort
    odstranit:
        StrCpy $odstranit_konfiguraci 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Tarvik.lnk"
    ; Exactly what the setup program installed: the folder may hold other files.
    !include "${FILE_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ${If} $odstranit_konfiguraci == 1
        Delete "$slozka_konfigurace\tarvik.ini"
        Delete "$slozka_konfigurace\tarvik.ini.puvodni*"
        Delete "$slozka_konfigurace\.tarvik.ini.zapis-*"
        RMDir "$slozka_konfigurace"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
