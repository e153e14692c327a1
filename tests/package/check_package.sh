#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it into a temporary root, starts the
# installed program there offscreen against the installed simulator, and waits for the program's
# first status query on the line.
set -euo pipefail
build=$1
root=$(mktemp -d)
cleanup() {
    [ -n "${tarvik_pid:-}" ] && kill "$tarvik_pid" 2>/dev/null || true
    [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

cd "$build"
cpack -G DEB -B "$root/pkg" >"$root/cpack.log" 2>&1 || { cat "$root/cpack.log"; exit 1; }
deb=$(ls "$root"/pkg/tarvik_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Depends
dpkg-deb -x "$deb" "$root/fs"

app="$root/fs/opt/tarvik"
for f in tarvik tarvik-sim tarvik.hlp tarvik.png share/applications/tarvik.desktop; do
    [ -e "$app/$f" ] || { echo "missing in the package: /opt/tarvik/$f"; exit 1; }
done
[ -d "$app/dosdevices" ] || { echo "missing in the package: /opt/tarvik/dosdevices"; exit 1; }

# A configuration file beside the program, so that start-up asks nothing.
printf '[system]\r\ncom=1\r\n' >"$app/tarvik.ini"
"$app/tarvik-sim" --folder "$app" --port 1 --verbose 2>"$root/sim.log" &
sim_pid=$!
for _ in $(seq 100); do [ -e "$app/dosdevices/com1" ] && break; sleep 0.1; done
[ -e "$app/dosdevices/com1" ] || { echo "the simulator made no dosdevices/com1"; cat "$root/sim.log"; exit 1; }

QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$app/tarvik" &
tarvik_pid=$!
for _ in $(seq 150); do
    grep -q 'XA' "$root/sim.log" && { echo "first status query seen on the line"; exit 0; }
    sleep 0.1
done
echo "no status query from the installed program"; cat "$root/sim.log"; exit 1
