#!/usr/bin/env bash
# Starts the simulated instrument and the program connected to it, with settings of the demo's own.
set -euo pipefail
bin="$(cd "$(dirname "$0")/.." && pwd)/build/bin"
work=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$work"' EXIT

"$bin/quenrik-sim" --model bandpass --link "$work/instrument" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/instrument" ] && break; sleep 0.1; done
[ -e "$work/instrument" ] || { cat "$work/sim.out"; echo "the simulator did not start" >&2; exit 1; }

# A settings file of the demo's own, so the user's own settings are never touched.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
cat >"$XDG_CONFIG_HOME/quenrik.ini" <<INI
[Settings]
directory=$work
title=Demo IF filter
port=$work/instrument
[Range]
fmin=10.5
fmax=10.9
freqstep=0.002
mindb=-90
maxdb=5
INI

echo "Simulated instrument on $(head -n1 "$work/sim.out"); two sweeps of 10.5 to 10.9 MHz:"
"$bin/quenrik-sweep" --sweeps 2
