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

# The settings above use a full stop, so the program reads them with one whatever the user's locale.
export LC_NUMERIC=C.UTF-8
echo "Simulated instrument on $(head -n1 "$work/sim.out")."
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting the window: press Start to sweep 10.5 to 10.9 MHz, Stop to end, File > Quit to leave."
  "$bin/quenrik"
else
  echo "No display here, so the console front end runs instead: two sweeps of 10.5 to 10.9 MHz."
  "$bin/quenrik-sweep" --sweeps 2
fi
