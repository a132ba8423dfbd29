#!/usr/bin/python3
"""Runs the pipeline benchmarks and a numpy reference of the same computation
side by side, and prints both timings with their ratio.

    bench/compare.py [--baseline BUILD] [--all]

With --baseline, the same benchmarks of another build (an earlier commit's
build directory, say) run in turn with ours, repetition by repetition, so
that both see the same machine, and a column shows how much faster ours is.
With --all, the command-window, graphics and rendering benchmarks follow,
timed the same way (they have no numpy counterpart)."""
import argparse
import json
import math
import os
import statistics
import subprocess
import sys
import timeit

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "reference"))
from pulse_reference import (conv_same_direct, conv_same_fft, pulse_estimate,  # noqa: E402
                             record, tpswma)

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.environ.get("BUILD_DIR", os.path.join(HERE, "..", "build"))
# Both sides report the best of several timings: on a shared machine the
# slow runs measure the neighbours, not the code. Our median is shown too.
REPETITIONS = 5


def numpy_pulse_time(lpoly):
    x = record(5000)
    timer = timeit.Timer(lambda: pulse_estimate(x, lpoly if lpoly else 100, lpoly > 0))
    reps, _ = timer.autorange()
    return min(timer.repeat(REPETITIONS, reps)) / reps


def numpy_time(samples, taps):
    x = record(samples)
    n = (taps - 1) // 2
    best = float("inf")
    for conv in (conv_same_direct, conv_same_fft):
        if conv is conv_same_direct and samples * taps > 5e8:
            continue  # minutes of direct convolution would tell nothing new
        timer = timeit.Timer(lambda: tpswma(x, n, 5, 2, conv))
        reps, _ = timer.autorange()
        best = min(best, min(timer.repeat(REPETITIONS, reps)) / reps)
    return best


OTHER_BENCHMARKS = ("bench_shell", "bench_graphics", "bench_render")


def run_once(build, filt=None, program="bench_pipeline"):
    """One run of a build's benchmarks: {name: seconds or error}."""
    exe = os.path.join(build, "bin", program)
    env = dict(os.environ, LD_LIBRARY_PATH=os.path.join(build, "lib"),
               KESTREL_LIBRARY=os.path.join(build, "lib", "kestrel_mex.so"))
    args = [exe, "--benchmark_format=json"]
    if filt:
        args.append(f"--benchmark_filter={filt}")
    out = subprocess.run(args, check=True, capture_output=True, text=True, env=env).stdout
    result = {}
    for r in json.loads(out)["benchmarks"]:
        if r.get("run_type") == "aggregate":
            continue  # complexity fits and the like
        name = r.get("run_name", r["name"])
        if r.get("error_occurred"):
            result[name] = r.get("error_message", "error")
            continue
        scale = {"us": 1e-6, "ms": 1e-3, "ns": 1e-9, "s": 1.0}[r["time_unit"]]
        result[name] = r["real_time"] * scale
    return result


def kestrel_times(builds, program="bench_pipeline"):
    """Best and median real time (seconds) of each benchmark of each build
    over REPETITIONS runs, the builds taking turns; failed ones map to their
    error text. Names are the first build's, in the order they ran."""
    runs = [dict() for _ in builds]
    for _ in range(REPETITIONS):
        for k, build in enumerate(builds):
            # The baseline runs only what it shares with ours.
            filt = None if k == 0 else "|".join(f"^{n}$" for n in runs[0])
            for name, t in run_once(build, filt, program).items():
                runs[k].setdefault(name, []).append(t)
    out = []
    for r in runs:
        out.append({name: next((x for x in t if isinstance(x, str)), None) or
                    (min(t), statistics.median(t)) for name, t in r.items()})
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--baseline", help="another build directory to time beside this one")
    ap.add_argument("--all", action="store_true", help="also time the other benchmark programs")
    args = ap.parse_args()
    builds = [BUILD] + ([args.baseline] if args.baseline else [])
    for b in builds:
        if not os.path.exists(os.path.join(b, "bin", "bench_pipeline")):
            sys.exit(f"{b}/bin/bench_pipeline not found: run `make build` first")
    print(f"best of {REPETITIONS} runs on each side; kestrel's median beside its best")
    head = f"{'benchmark':38} {'kestrel':>12} {'(median)':>12} {'numpy':>12} {'numpy/kestrel':>14}"
    if args.baseline:
        head += f" {'baseline':>12} {'speed-up':>9}"
    print(head)
    growth = []  # (samples, ours, numpy) of the 2001-tap runs of long records
    times = kestrel_times(builds)
    for name, t in times[0].items():
        if isinstance(t, str):
            print(f"{name:38} error: {t}")
            continue
        ours, median = t
        params = dict(p.split(":") for p in name.split("/")[1:])
        if name.startswith("BM_pulse_estimate") or name.startswith("BM_editor"):
            ref = numpy_pulse_time(int(params["Lpoly"]))
        else:
            ref = numpy_time(int(params["samples"]), int(params["taps"]))
            if int(params["taps"]) == 2001 and int(params["samples"]) >= 250000:
                growth.append((int(params["samples"]), ours, ref))
        line = (f"{name:38} {ours * 1e3:9.3f} ms {median * 1e3:9.3f} ms {ref * 1e3:9.3f} ms "
                f"{ref / ours:13.2f}x")
        if args.baseline:
            base = times[1].get(name)
            if isinstance(base, tuple):
                line += f" {base[0] * 1e3:9.3f} ms {base[0] / ours:8.2f}x"
        print(line)
    print_growth(growth)
    if args.all:
        print_others(builds)


def duration(seconds):
    """A time in ms, or in µs when short, 12 characters wide."""
    if seconds < 1e-4:
        return f"{seconds * 1e6:9.3f} us"
    return f"{seconds * 1e3:9.3f} ms"


def print_others(builds):
    """The other benchmark programs, ours beside the baseline's."""
    print()
    head = f"{'benchmark':52} {'kestrel':>12} {'(median)':>12}"
    if len(builds) > 1:
        head += f" {'baseline':>12} {'speed-up':>9}"
    print(head)
    for program in OTHER_BENCHMARKS:
        times = kestrel_times(builds, program)
        for name, t in times[0].items():
            if isinstance(t, str):
                print(f"{name:52} error: {t}")
                continue
            line = f"{name:52} {duration(t[0])} {duration(t[1])}"
            base = times[1].get(name) if len(builds) > 1 else None
            if isinstance(base, tuple):
                line += f" {duration(base[0])} {base[0] / t[0]:8.2f}x"
            print(line)


def print_growth(growth):
    """Time against record length for the long records: each size's time
    over the previous one's, beside the factor n log n would allow."""
    if len(growth) < 2:
        return
    print()
    print(f"{'tpswma, 2001 taps':20} {'kestrel ns/sample':>18} {'step':>7} "
          f"{'numpy ns/sample':>16} {'step':>7} {'n log n step':>13}")
    prev = None
    for n, ours, ref in growth:
        line = f"{n:>20,} {ours / n * 1e9:18.2f}"
        if prev:
            pn, po, pr = prev
            allowed = (n * math.log(n)) / (pn * math.log(pn))
            line += f" {ours / po:6.2f}x {ref / n * 1e9:16.2f} {ref / pr:6.2f}x {allowed:12.2f}x"
        else:
            line += f" {'':7} {ref / n * 1e9:16.2f}"
        print(line)
        prev = (n, ours, ref)


if __name__ == "__main__":
    main()
