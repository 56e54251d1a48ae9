#!/usr/bin/env bash
# Runs every benchmark of a bench build (bench/run.sh BUILD_DIR [--quick]); the window benchmarks run on Xvfb at
# 1920 x 1080 when it is installed, else on the offscreen platform at the same size.
set -euo pipefail
bin="$1/bin"
shift
wire_options=("$@")

on_display() {
  if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$@"
  else
    "$@"
  fi
}

echo "== machine"
lscpu | head -20
echo "load average before the benchmarks: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== chart widget alone, offscreen (chart_repaint_bench)"
"$bin/chart_repaint_bench"
echo
echo "== window per point, no wire (window_point_bench)"
on_display "$bin/window_point_bench"
echo
echo "== start-up to the first painted window (startup_bench)"
on_display "$bin/startup_bench"
echo
echo "== sweeps against quenrik-sim --baud 38400 (wire_bench ${wire_options[*]:-})"
on_display "$bin/wire_bench" "${wire_options[@]}"
