#!/usr/bin/env bash
# The setup program, installed silently into a fresh Wine prefix, and the installed program started
# under Xvfb against the controller simulator (the Linux program, on a pseudo-terminal that the
# prefix knows as COM1):
# - the files, the Start-menu entry, the uninstall entry, the operators' configuration folder;
# - the first start: the missing-file message, the default tarvik.ini written byte for byte in
#   C:\ProgramData\Tarvik, the first status query on the line, the window;
# - the reply applied: a switch clicked (xdotool) sends its command, whose acknowledgement is
#   followed by a status query;
# - printing with no printer installed: the system's save dialog, the table in a PDF file;
# - with a controller that stays silent, the watchdog's box 10 s after the query;
# - the uninstaller keeps the configuration; a silent installation that takes over an older
#   program's tarvik.ini (/PREVZIT=) puts it in place byte for byte, and the program then opens the
#   port that file names; one asked to take over a file that is not there changes nothing;
# - while the program runs, the setup program changes nothing and says so (exit code 5);
# - the end of the Windows session ends the program;
# - a silent installation with /COM= and /HESLO= into a folder of the administrator's choice that
#   holds another program's DLL: the new configuration names that port and holds the password's
#   hash (the rest of the file is the default file), the licences and the manifest are installed,
#   the program opens that port and logs in with that password; the ports the helper lists for the
#   port page are the prefix's; the next setup program replaces the copy in that folder (one
#   uninstall entry) and refuses another folder; the uninstaller removes what it installed and
#   leaves the other program's DLL and its folder.
#
# Usage: check_setup.sh SETUP_EXE SIMULATOR
# Needs wine, Xvfb and xdotool; exits 77 (skipped) without them.
set -euo pipefail
setup=$(realpath "$1")
sim=$(realpath "$2")

skip() { echo "SKIPPED: $*"; exit 77; }
# With TARVIK_SETUP_DEBUG=<folder>, a failure leaves the screen (xwd) and the logs there.
fail() {
    echo "FAILED: $*" >&2
    if [ -n "${TARVIK_SETUP_DEBUG:-}" ]; then
        mkdir -p "$TARVIK_SETUP_DEBUG"
        cp "$work"/*.log "$TARVIK_SETUP_DEBUG/" 2>/dev/null || true
        ! command -v xwd >/dev/null || xwd -root -silent >"$TARVIK_SETUP_DEBUG/screen.xwd"
    fi
    exit 1
}
for tool in wine wineboot wineserver Xvfb xdotool pdftotext sha256sum; do
    command -v "$tool" >/dev/null || skip "needs $tool (scripts/windows.sh installs it)"
done

work=$(mktemp -d /tmp/tarvik-setup.XXXXXX)
# A home of its own: the prefix's documents folder is then a folder of the prefix.
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
# wait_for SECONDS COMMAND...: until the command succeeds.
wait_for() {
    local until=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$until" ] || return 1
        sleep 0.1
    done
}

# ---- a display and a fresh prefix ----
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
t=$(now)
wineboot --init >/dev/null 2>&1
wineserver --wait
echo "fresh Wine prefix in $(since "$t") s"
# The server's own messages to a log: it reports a simulator that ends by listing its objects.
wineserver --persistent </dev/null >>"$work/wineserver.log" 2>&1
wine cmd /c exit </dev/null >>"$work/wineserver.log" 2>&1
drive_c=$WINEPREFIX/drive_c
prog=$drive_c/Program\ Files/Tarvik
data=$drive_c/ProgramData/Tarvik

# ---- the silent installation ----
t=$(now)
wine "$setup" /S || fail "the setup program ended with $?"
echo "installed in $(since "$t") s"
for f in tarvik.exe tarvik.hlp qt.conf Qt6Core.dll Qt6Widgets.dll Qt6PrintSupport.dll \
    Qt6SerialPort.dll libstdc++-6.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
    translations/qtbase_cs.qm uninstall.exe; do
    [ -f "$prog/$f" ] || fail "not installed: $f"
done
[ -f "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarvik.lnk" ] ||
    fail "no Start-menu entry"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik' \
    /v DisplayVersion 2>/dev/null | grep -q REG_SZ || fail "no uninstall entry"
[ -d "$data" ] && [ ! -e "$data/tarvik.ini" ] || fail "no empty configuration folder $data"
[ ! -e "$prog/tarvik.ini" ] || fail "a tarvik.ini beside the installed program"

# ---- the controller on COM<n> ----
sim_pid=
# start_sim PORT OPTIONS...: the simulator's log goes to $work/sim.log.
start_sim() {
    local port=$1
    shift
    : >"$work/sim.out"
    : >"$work/sim.log"
    "$sim" --folder "$WINEPREFIX" --port "$port" --verbose "$@" >"$work/sim.out" \
        2>"$work/sim.log" &
    sim_pid=$!
    pids+=("$sim_pid")
    wait_for 10 test -s "$work/sim.out" || fail "the simulator did not start"
    local pty
    pty=$(head -n 1 "$work/sim.out")
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "$pty" /f >/dev/null 2>&1
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/com$port"
}
stop_sim() { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
on_line() { grep -c -- "<- $1" "$work/sim.log" || true; }
# seen PACKET [COUNT]: the program has sent PACKET at least COUNT times (default once).
seen() { [ "$(on_line "$1")" -ge "${2:-1}" ]; }
window() { { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | head -n 1; }
has_window() { [ -n "$(window "$1")" ]; }
# press KEY on the window named TITLE
press() {
    local id
    id=$(window "$2")
    xdotool windowfocus --sync "$id" key "$1"
}
tarvik_pid=
# start_tarvik [FOLDER]: the program installed in FOLDER (default: Program Files).
start_tarvik() {
    wine "${1:-$prog}/tarvik.exe" >"$work/tarvik.log" 2>&1 &
    tarvik_pid=$!
    pids+=("$tarvik_pid")
}
stop_tarvik() {
    local id
    id=$(window '^Tarvik$')
    [ -z "$id" ] || xdotool windowclose "$id" 2>/dev/null || true
    wait_for 20 bash -c "! kill -0 $tarvik_pid 2>/dev/null" || kill "$tarvik_pid" 2>/dev/null || true
    wait "$tarvik_pid" 2>/dev/null || true
}

# ---- the first start ----
start_sim 1
t=$(now)
start_tarvik
wait_for 60 has_window '^Tarvik - chyba$' || fail "no message about the missing configuration"
echo "first-start message after $(since "$t") s"
[ "$(on_line XA)" -eq 0 ] || fail "a status query before the first-start message was answered"
press Return '^Tarvik - chyba$'
wait_for 10 test -f "$data/tarvik.ini" || fail "no default tarvik.ini in $data"
sum=$(sha256sum <"$data/tarvik.ini" | cut -c1-64)
[ "$sum" = 875abcd816fd0862772acfcf8c3555754ab9c1b7a835c34ca54f0ee803fbf1cf ] ||
    fail "the default tarvik.ini differs (sha256 $sum)"
cp "$data/tarvik.ini" "$work/default.ini"
[ ! -e "$prog/tarvik.ini" ] || fail "the program wrote beside itself"
wait_for 20 seen XA || fail "no status query on the line"
echo "first status query on the line after $(since "$t") s"
wait_for 20 has_window '^Tarvik$' || fail "no main window"
echo "main window after $(since "$t") s"

# The reply unlocks the switches: a click on the first switch of the tab shown (the last: its
# cells all hold contactor 0) sends its command.
wait_for 10 grep -q -- "-> XS" "$work/sim.log" || fail "the simulator did not answer"
sleep 1
id=$(window '^Tarvik$')
eval "$(xdotool getwindowgeometry --shell "$id")"
for _ in 1 2 3; do
    xdotool mousemove --window "$id" 31 98 click 1
    wait_for 5 seen XW000=1 && break
done
seen XW000=1 || fail "a click on a switch sent no command (reply not applied?)"
wait_for 10 seen XA 2 || fail "no status query after the acknowledgement"
echo "switch command, acknowledgement and the status query that follows it: on the line"
[ -z "$(window '^Tarvik - chyba$')" ] || fail "an error box during switching"

# Printing with no printer installed: the system's save dialog offers the PDF file in the
# documents folder; the table goes there.
xdotool windowfocus --sync "$id" key alt+t
sleep 0.5
xdotool key Return
wait_for 20 has_window '^Tisk do souboru PDF$' || fail "no save dialog for the printout"
press Return '^Tisk do souboru PDF$'
pdf=
find_pdf() {
    pdf=$(find -L "$drive_c/users" -name "tarvik-stykace-*.pdf" -size +1k 2>/dev/null | head -n 1)
    [ -n "$pdf" ]
}
wait_for 20 find_pdf || fail "no printout in the documents folder"
sleep 1
text=$(pdftotext -layout -enc UTF-8 "$pdf" - | tr -s ' ')
for expected in "Seznam a popis jednotlivých stykačů" "0 stykač 0 64 stykač 64" \
    "63 stykač 63 127 stykač 127" "datum tisku: $(date +%-d.%-m.%Y)"; do
    grep -qF "$expected" <<<"$text" || fail "the printout lacks \"$expected\""
done
echo "printout without a printer: $(basename "$pdf") through the save dialog"
stop_tarvik
stop_sim

# ---- the watchdog ----
start_sim 1 --fault silent
start_tarvik
wait_for 60 seen XA || fail "no status query to the silent controller"
t=$(now)
wait_for 30 has_window '^Tarvik - chyba$' || fail "no timeout box"
waited=$(since "$t")
awk -v w="$waited" 'BEGIN { exit !(w >= 9.5 && w <= 13) }' ||
    fail "the timeout box came $waited s after the query, not 10 s"
echo "watchdog's box $waited s after the query"
press Return '^Tarvik - chyba$'
stop_tarvik
stop_sim

# ---- uninstallation keeps the configuration ----
# The uninstaller runs on from a copy of itself and returns at once.
wine "$prog/uninstall.exe" /S || fail "the uninstaller ended with $?"
removed() { [ ! -e "$prog/tarvik.exe" ] && [ ! -e "$prog/Qt6Core.dll" ] && [ ! -e "$prog/uninstall.exe" ]; }
wait_for 60 removed || fail "the program was not removed: $(ls "$prog")"
[ ! -e "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarvik.lnk" ] ||
    fail "the Start-menu entry was not removed"
[ "$(sha256sum <"$data/tarvik.ini" | cut -c1-64)" = "$sum" ] ||
    fail "the uninstaller did not keep the configuration"

# ---- taking over an older program's tarvik.ini ----
mkdir -p "$drive_c/Stary program"
# Windows-1250, CR LF, the stored hash of an older installation, port COM3.
printf '[system]\r\nheslo=1876240145\r\ncom=3\r\n\r\n[zalozky]\r\nzalozka1=\x8Aachta \xE8. 1\r\n' \
    >"$drive_c/Stary program/tarvik.ini"
wine "$setup" /S '/PREVZIT=C:\Neni' && fail "a take-over of a missing file was reported as done"
[ ! -e "$prog/tarvik.exe" ] || fail "a take-over of a missing file installed the program"
wine "$setup" /S '/PREVZIT=C:\Stary program' || fail "the setup program ended with $?"
cmp -s "$drive_c/Stary program/tarvik.ini" "$data/tarvik.ini" ||
    fail "the older tarvik.ini was not taken over byte for byte"
[ "$(sha256sum <"$data/tarvik.ini.puvodni" | cut -c1-64)" = "$sum" ] ||
    fail "the configuration it replaced was not kept as tarvik.ini.puvodni"
start_sim 3
start_tarvik
wait_for 60 seen XA || fail "the taken-over configuration's COM3 was not opened"
echo "taken-over tarvik.ini in use (its port COM3 queried)"
# A running program keeps the setup program from replacing its files.
before=$(sha256sum <"$prog/tarvik.exe")
rc=0
wine "$setup" /S || rc=$?
[ "$rc" -eq 5 ] || fail "the setup program ended with $rc while the program ran, not 5"
[ "$(sha256sum <"$prog/tarvik.exe")" = "$before" ] || fail "tarvik.exe replaced while it ran"
echo "the setup program waits for the running program to end (exit code 5)"
# The end of the Windows session ends the program (Qt hears it as the application's end).
wine wineboot --end-session >/dev/null 2>&1 || true
wait_for 20 bash -c "! kill -0 $tarvik_pid 2>/dev/null" || fail "the program outlived the session"
echo "the session's end ends the program"
stop_tarvik
stop_sim

# ---- the port and the password given, a folder of the administrator's choice ----
# A new session: the one before has ended.
wineserver -k 2>/dev/null || true
wineserver --wait
wineserver --persistent </dev/null >>"$work/wineserver.log" 2>&1
wine "$prog/uninstall.exe" /S /ODSTRANIT_KONFIGURACI || fail "the uninstaller ended with $?"
wait_for 60 removed || fail "the program was not removed: $(ls "$prog")"
uninstalled() {
    [ ! -e "$data/tarvik.ini" ] && ! wine reg query \
        'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik' >/dev/null 2>&1
}
wait_for 30 uninstalled || fail "the configuration or the uninstall entry was not removed"
custom=$drive_c/Programy/Tarvik
mkdir -p "$custom"
echo "another program's library" >"$custom/cizi.dll"
password='Rozvadec-7'
start_sim 3
wine "$setup" /S /COM=3 "/HESLO=$password" '/D=C:\Programy\Tarvik' ||
    fail "the setup program ended with $?"
[ -f "$custom/tarvik.exe" ] && [ ! -e "$prog" ] || fail "not installed into the folder chosen"
for f in README.txt LGPL-3.txt GPL-3.txt Qt.txt GCC.txt MinGW-w64.txt; do
    [ -s "$custom/licence/$f" ] || fail "licence not installed: $f"
done
grep -q 'level="asInvoker"' "$custom/tarvik.exe" || fail "no manifest in tarvik.exe"
# The default file but for the port and the password's hash.
changed=$(diff <(tr -d '\r' <"$work/default.ini") <(tr -d '\r' <"$data/tarvik.ini") |
    grep '^>' || true)
grep -qx '> com=3' <<<"$changed" || fail "the new configuration does not name COM3: $changed"
grep -qx '> heslo=[0-9]*' <<<"$changed" && [ "$(wc -l <<<"$changed")" -eq 2 ] ||
    fail "the new configuration differs from the default file in more than port and hash: $changed"
start_tarvik "$custom"
wait_for 60 seen XA || fail "the port given to the setup program (COM3) was not opened \
($(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' ' '))"
wait_for 20 has_window '^Tarvik$' || fail "no main window"
sleep 1
press alt+r '^Tarvik$'
xdotool key a
wait_for 10 has_window '^Tarvik - login$' || fail "no login window"
id=$(window '^Tarvik - login$')
xdotool windowfocus --sync "$id" type --delay 50 "$password"
xdotool key Return
sleep 2
[ -z "$(window '^Tarvik - chyba$')" ] || fail "the password given to the setup program was refused"
press alt+k '^Tarvik$'
xdotool key s
wait_for 10 has_window '^Tarvik - Volba COMu$' || fail "no port dialog after logging in"
press Escape '^Tarvik - Volba COMu$'
echo "configuration of the silent installation in use: COM3 opened, logged in with the password"
# The port page offers what the helper lists: the prefix's COM3 with its name, from Wine's
# registry of serial ports.
wine "$custom/tarvik-setup-tool.exe" porty 'C:\porty.txt' || fail "the helper listed no ports"
ports=$(iconv -f UTF-16LE -t UTF-8 "$drive_c/porty.txt" | tr -d '\r')
[[ "$(sed -n 3p <<<"$ports")" == "COM3 – "* ]] && [ "$(sed -n 9p <<<"$ports")" = COM9 ] ||
    fail "the port page's list lacks the prefix's COM3 by name: $ports"
echo "port page: $(sed -n 3p <<<"$ports")"
stop_tarvik
stop_sim

# The next version goes where this one is; another folder is refused while it is installed.
rm "$custom/tarvik.hlp"
wine "$setup" /S || fail "the upgrade ended with $?"
[ -f "$custom/tarvik.hlp" ] && [ ! -e "$prog" ] || fail "the upgrade did not go into $custom"
rc=0
wine "$setup" /S '/D=C:\Jinam' || rc=$?
[ "$rc" -eq 4 ] && [ ! -e "$drive_c/Jinam" ] || fail "a second copy elsewhere was not refused ($rc)"
entries=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null |
    grep -ci tarvik || true)
[ "$entries" -eq 1 ] || fail "$entries uninstall entries"
echo "upgrade in place into $custom, another folder refused"
wine "$custom/uninstall.exe" /S || fail "the uninstaller ended with $?"
wait_for 60 test ! -e "$custom/tarvik.exe" || fail "the program was not removed"
wait_for 10 test ! -e "$custom/uninstall.exe" || fail "the uninstaller was not removed"
left=$(cd "$custom" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./cizi.dll " ] || fail "the uninstaller left or removed the wrong files: $left"
echo "uninstalled: another program's DLL and its folder stay"
echo "PASSED"
