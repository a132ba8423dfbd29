#!/usr/bin/python3
"""Runs the pipeline benchmarks and a numpy reference of the same computation
side by side, and prints both timings with their ratio."""
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


def kestrel_times(exe):
    """Best and median real time (seconds) of each benchmark over
    REPETITIONS runs, in the order the benchmarks ran; failed ones map to
    their error text."""
    out = subprocess.run([exe, "--benchmark_format=json",
                          f"--benchmark_repetitions={REPETITIONS}"],
                         check=True, capture_output=True, text=True).stdout
    runs, errors = {}, {}
    for r in json.loads(out)["benchmarks"]:
        if r.get("run_type") == "aggregate":
            continue
        name = r.get("run_name", r["name"])
        runs.setdefault(name, [])
        if r.get("error_occurred"):
            errors[name] = r.get("error_message", "error")
            continue
        scale = {"us": 1e-6, "ms": 1e-3, "ns": 1e-9, "s": 1.0}[r["time_unit"]]
        runs[name].append(r["real_time"] * scale)
    return {name: errors[name] if name in errors else (min(t), statistics.median(t))
            for name, t in runs.items()}


def main():
    exe = os.path.join(BUILD, "bin", "bench_pipeline")
    if not os.path.exists(exe):
        sys.exit(f"{exe} not found: run `make build` first")
    print(f"best of {REPETITIONS} runs on each side; kestrel's median beside its best")
    print(f"{'benchmark':34} {'kestrel':>12} {'(median)':>12} {'numpy':>12} {'numpy/kestrel':>14}")
    growth = []  # (samples, ours, numpy) of the 2001-tap runs of long records
    for name, t in kestrel_times(exe).items():
        if isinstance(t, str):
            print(f"{name:34} error: {t}")
            continue
        ours, median = t
        params = dict(p.split(":") for p in name.split("/")[1:])
        if name.startswith("BM_pulse_estimate") or name.startswith("BM_editor"):
            ref = numpy_pulse_time(int(params["Lpoly"]))
        else:
            ref = numpy_time(int(params["samples"]), int(params["taps"]))
            if int(params["taps"]) == 2001 and int(params["samples"]) >= 250000:
                growth.append((int(params["samples"]), ours, ref))
        print(f"{name:34} {ours * 1e3:9.3f} ms {median * 1e3:9.3f} ms {ref * 1e3:9.3f} ms "
              f"{ref / ours:13.2f}x")
    print_growth(growth)


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
