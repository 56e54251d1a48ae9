#!/usr/bin/env python3
"""Soak run: many sweeps of 202 points through quenrik-sweep against quenrik-sim, watching the console's memory and
file descriptors and counting every frame and every line. Exits 1 when a limit is broken."""
import argparse
import os
import subprocess
import sys
import tempfile
import time

POINTS = 202  # 10.6 to 10.8 MHz in steps of 0.001
RANGE = ["--fmin", "10.6", "--fmax", "10.8", "--fstep", "0.001"]
RSS_GROWTH_LIMIT_KB = 1024


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def fd_count(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bin", required=True, help="folder holding quenrik-sweep and quenrik-sim")
    parser.add_argument("--sweeps", type=int, default=1000)
    parser.add_argument("--samples", type=int, default=10, help="memory samples over the run, besides first and last")
    args = parser.parse_args()
    if args.sweeps < 2:
        parser.error("--sweeps must be at least 2: the first sweep is the reference")

    with tempfile.TemporaryDirectory(prefix="quenrik-soak-") as folder:
        log = os.path.join(folder, "frames.log")
        sim = subprocess.Popen([os.path.join(args.bin, "quenrik-sim"), "--log", log], stdout=subprocess.PIPE, text=True)
        try:
            device = sim.stdout.readline().strip()
            env = dict(os.environ, XDG_CONFIG_HOME=folder, HOME=folder)
            command = [os.path.join(args.bin, "quenrik-sweep"), "--port", device, *RANGE,
                       "--sweeps", str(args.sweeps), "--timeout", "2000"]
            print("command:", " ".join(command), flush=True)
            started = time.monotonic()
            console = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)

            # Samples are taken at the first point of a sweep: after the first sweep, through the run, in the last.
            sample_sweeps = {1, args.sweeps - 1}
            sample_sweeps.update(round(args.sweeps * k / (args.samples + 1)) for k in range(1, args.samples + 1))
            samples = []
            lines = 0
            malformed = 0
            for line in console.stdout:
                lines += 1
                frequency, tab, level = line.rstrip("\n").partition("\t")
                if not tab or len(frequency) != 11 or not level:
                    malformed += 1
                if (lines - 1) % POINTS == 0 and (lines - 1) // POINTS in sample_sweeps:
                    sweep = (lines - 1) // POINTS
                    samples.append((sweep, rss_kb(console.pid), fd_count(console.pid), time.monotonic() - started))
            errors = console.stderr.read()
            code = console.wait()
            elapsed = time.monotonic() - started
        finally:
            sim.terminate()
            sim.wait()
        with open(log) as frames:
            logged = sum(1 for _ in frames)

    expected = args.sweeps * POINTS
    print(f"sweeps {args.sweeps} x {POINTS} points in {elapsed:.1f} s ({elapsed / expected * 1000:.3f} ms a point)")
    print("after sweep   RSS kB   fds   at s")
    for sweep, rss, fds, at in samples:
        print(f"{sweep:11d} {rss:8d} {fds:5d} {at:6.1f}")
    first, last = samples[0], samples[-1]
    growth = last[1] - first[1]
    print(f"RSS growth from the first sweep to the last: {growth} kB (limit {RSS_GROWTH_LIMIT_KB} kB)")
    print(f"file descriptors: {first[2]} after the first sweep, {last[2]} in the last")
    print(f"frames logged by the simulator: {logged} (expected {expected})")
    print(f"lines printed by the console: {lines} (expected {expected}), malformed {malformed}")
    print(f"console exit code {code}, standard error {errors!r}")

    broken = []
    if code != 0 or errors:
        broken.append("the console failed")
    if growth > RSS_GROWTH_LIMIT_KB:
        broken.append("resident memory grew")
    if first[2] != last[2]:
        broken.append("file descriptors leaked")
    if logged != expected or lines != expected or malformed:
        broken.append("not every frame was answered and printed")
    print("result:", "; ".join(broken) if broken else "pass")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
