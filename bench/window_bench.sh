#!/bin/sh
# Runs window_bench with the real main window in one of three settings:
#   offscreen  Qt's offscreen platform, no display
#   x          under X (a private Xvfb when $DISPLAY is not set)
#   atspi      under X with the accessibility bus of a desktop session and a client listening on
#              it as a screen reader does (bench/atspi_listener.py); Qt's AT-SPI bridge is on
# Usage: bench/window_bench.sh BUILD_DIR offscreen|x|atspi [benchmark options]
# Needs xvfb for x and atspi; at-spi2-core, dbus and python3-pyatspi for atspi.
set -eu
build=$(cd "$1" && pwd)
mode=$2
shift 2
bench="$build/bench/window_bench"
here=$(cd "$(dirname "$0")" && pwd)

if [ "$mode" = offscreen ]; then
    exec env QT_QPA_PLATFORM=offscreen "$bench" "$@"
fi

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:77
    sleep 1
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"' EXIT

if [ "$mode" = x ]; then
    QT_QPA_PLATFORM=xcb "$bench" "$@"
    exit
fi

# A session bus, the accessibility bus and registry on it, one listening client, then the window.
dbus-run-session -- sh -c '
    here=$0 bench=$1
    shift
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    bus=$!
    sleep 1
    /usr/bin/python3 "$here/atspi_listener.py" > "${TMPDIR:-/tmp}/atspi_listener.out" 2>&1 &
    client=$!
    sleep 1
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$bench" "$@"; rc=$?
    kill $client; sleep 0.5; cat "${TMPDIR:-/tmp}/atspi_listener.out"
    kill $bus
    exit $rc' "$here" "$bench" "$@"
