#!/usr/bin/env bash
# Builds a release of Tarvik, lays out a demo folder (the program, its help file, the controller
# simulator and, on the first run, a sample configuration) and starts Tarvik there against the
# simulator, which stops when Tarvik ends. Works under `xvfb-run -a` as well.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tarvik tarvik-sim

demo=demo
# A sample configuration (administrator password: demo) when the folder is made; later the
# operator's own changes stay, and a tarvik.ini deleted stays deleted (the program's first start).
[ -d "$demo" ] || { mkdir -p "$demo" && cp resources/demo/tarvik.ini "$demo/"; }
mkdir -p "$demo/dosdevices"
cp "$build/tarvik" "$build/tools/tarvik-sim/tarvik-sim" resources/tarvik.hlp "$demo/"

# The simulator prints its device once the link is in place; a link left by an earlier run that
# was killed must not be taken for it.
rm -f "$demo/dosdevices/com1"
exec 3< <("$demo/tarvik-sim" --folder "$demo" --port 1 --states 1100101000000001)
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
read -r -t 10 device <&3 || { echo "the controller simulator did not start" >&2; exit 1; }
echo "controller simulator on $device"

"$demo/tarvik" "$@"
