#!/usr/bin/env bash
# Builds a release of Tarvik, lays out a demo folder (the program, its help file, the controller
# simulator) and starts Tarvik there against the simulator. Works under `xvfb-run -a` as well.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF
cmake --build "$build" -j "$(nproc)" --target tarvik

demo=demo
mkdir -p "$demo/dosdevices"
cp "$build/tarvik" resources/tarvik.hlp "$demo/"

sim_pid=""
if cmake --build "$build" -j "$(nproc)" --target tarvik-sim >/dev/null 2>&1 && [ -x "$build/tools/tarvik-sim/tarvik-sim" ]; then
    cp "$build/tools/tarvik-sim/tarvik-sim" "$demo/"
    # A few contactors on, so that the cells show both colours.
    "$demo/tarvik-sim" --folder "$demo" --port 1 --states 1100101000000001 &
    sim_pid=$!
    trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -e "$demo/dosdevices/com1" ] && break; sleep 0.1; done
fi

"$demo/tarvik" "$@"
