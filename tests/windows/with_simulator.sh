#!/usr/bin/env bash
# Runs a command while the controller simulator (the Linux program) answers on a pseudo-terminal
# that the Wine prefix knows as COM<PORT>: the simulator links <WINEPREFIX>/dosdevices/com<PORT>
# to it, and the registry says so too, so that Wine keeps the link when it starts afresh.
#
# Usage: with_simulator.sh WINE_RUN SIMULATOR PORT [SIMULATOR OPTIONS...] -- COMMAND...
# The command sees TARVIK_SIM_PORT=<PORT>; the simulator's log (--verbose) goes to standard error.
set -euo pipefail
wine_run=$1 sim=$2 port=$3
shift 3
options=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
done
shift
prefix=$("$wine_run" --prefix)

out=$(mktemp)
"$sim" --folder "$prefix" --port "$port" --verbose "${options[@]}" >"$out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 100); do
    [ -s "$out" ] && break
    sleep 0.05
done
pty=$(head -n 1 "$out")
[ -n "$pty" ] || { echo "the simulator did not start" >&2; exit 1; }
"$wine_run" reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "$pty" /f >/dev/null
# Wine may have linked its ports afresh while it started for the registry.
ln -sfn "$pty" "$prefix/dosdevices/com$port"
TARVIK_SIM_PORT=$port "$@"
