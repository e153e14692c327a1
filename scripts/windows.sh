#!/usr/bin/env bash
# Builds Tarvik for 64-bit Windows and its setup program, and runs the Windows tests under Wine:
#  1. Qt for Windows (scripts/windows_qt.sh: built once, then taken from its cache);
#  2. the controller simulator for this machine (the tests' controller under Wine);
#  3. Tarvik, its tests and the setup program build-windows/tarvik-<version>-setup.exe;
#  4. the tests under Wine, the setup program's installation and run in a fresh Wine prefix too.
# With TARVIK_WINDOWS_BENCH=1 it also measures the start-up under Wine against the bare Qt program
# (bench/wine_startup.py).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

scripts/deps.sh g++-mingw-w64-x86-64-posix wine wine64 nsis xdotool xvfb xauth python3 xz-utils

qt=$(scripts/windows_qt.sh | tail -n 1)
echo "Qt for Windows: $qt"

build=build-windows
host=$build/host
cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_TESTS=OFF >/dev/null
nice -n 10 cmake --build "$host" --target tarvik-sim

# Qt's toolchain file finds the Windows Qt and loads the cross toolchain of this tree.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTARVIK_TESTS=ON -DTARVIK_BENCH=ON \
    -DTARVIK_HOST_SIMULATOR="$PWD/$host/tools/tarvik-sim/tarvik-sim"
nice -n 10 cmake --build "$build"
echo "Setup program: $build/tarvik-$(sed -n 's/^project(tarvik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-setup.exe"

(cd "$build" && xvfb-run -a ctest --output-on-failure -j "$(nproc)")

if [ "${TARVIK_WINDOWS_BENCH:-0}" = 1 ]; then
    xvfb-run -a bench/wine_startup.py "$build"
fi
echo "Windows build and tests done in $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"
