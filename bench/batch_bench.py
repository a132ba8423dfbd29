#!/usr/bin/python3
"""Times kestrel-host --estimate over many generated records, beside a numpy
loop over the same files computing the same estimate.

    bench/batch_bench.py [--build DIR] [--records N] [--fit] [--keep]

Makes N records (default 1000) of 5000 samples, runs the batch with --jobs 1
and --jobs 2 and prints, for each, the wall time and the CPU time beyond
the start-up (the CPU time of `kestrel-host --eval 1`, measured here too),
in all and per core; then the numpy loop (load, estimate, save) and how far
its estimates are from ours. Run with Debian's python3 (numpy, scipy)."""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
import scipy.io

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "reference"))
from pulse_reference import pulse_estimate  # noqa: E402

WINDOWS = (21, 101, 401)  # the editor's first slider values
LPOLY = 100


def make_records(folder, count, seed=20260):
    """Records like data/ex_pulse.mat: coloured noise, a click, a decaying
    oscillation after it; the click anywhere from sample 100 to 3000."""
    rng = np.random.default_rng(seed)
    n = 5000
    names = []
    for k in range(count):
        cl = int(rng.integers(100, 3000))
        noise = np.convolve(rng.normal(0.0, 0.02, n), np.ones(5) / 5.0, mode="same")
        t = np.arange(n) - (cl - 1)
        period = rng.uniform(40, 140)
        pulse = np.where(t >= 0, 0.8 * np.exp(-np.maximum(t, 0) / 400.0) *
                         np.sin(2 * np.pi * np.maximum(t, 0) / period), 0.0)
        name = os.path.join(folder, "rec%04d.mat" % k)
        scipy.io.savemat(name, {"s": (noise + pulse).reshape(-1, 1), "cl": float(cl)},
                         format="5", oned_as="column")
        names.append(name)
    return names


def timed(args, env):
    """Wall and CPU seconds (the child's user + system) of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        sys.exit("%s failed (%d):\n%s" % (" ".join(args[:3]), done.returncode, done.stderr))
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, done.stderr.strip().splitlines()[-1] if done.stderr.strip() else ""


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(HERE, "..", "build")))
    p.add_argument("--records", type=int, default=1000)
    p.add_argument("--fit", action="store_true", help="the fit on (default off)")
    p.add_argument("--keep", action="store_true", help="keep the generated records and results")
    a = p.parse_args()
    host = os.path.join(a.build, "bin", "kestrel-host")
    lib = os.path.join(a.build, "lib", "kestrel_mex.so")
    env = dict(os.environ, KESTREL_LIBRARY=lib)
    work = tempfile.mkdtemp(prefix="kestrel-batch-bench-")
    try:
        os.mkdir(os.path.join(work, "in"))
        files = make_records(os.path.join(work, "in"), a.records)
        print("%d records of 5000 samples, fit %s, in %s" % (len(files), "on" if a.fit else "off", work))

        startups = [timed([host, "--eval", "1"], env) for _ in range(20)]
        startup_cpu = statistics.median(c for _, c, _ in startups)
        startup_wall = statistics.median(w for w, _, _ in startups)
        print("start-up (kestrel-host --eval 1, median of 20): %.1f ms wall, %.1f ms CPU"
              % (startup_wall * 1e3, startup_cpu * 1e3))

        for jobs in (1, 2):
            out = os.path.join(work, "out%d" % jobs)
            args = [host, "--estimate"] + files + ["--out", out, "--jobs", str(jobs)]
            if a.fit:
                args.append("--fit")
            wall, cpu, summary = timed(args, env)
            beyond = cpu - startup_cpu
            print("--jobs %d: %.2f s wall, %.2f s CPU; beyond start-up %.2f s CPU, %.2f s per core"
                  " (%.2f ms per record)" % (jobs, wall, cpu, beyond, beyond / jobs,
                                             beyond / len(files) * 1e3))
            print("          %s" % summary)

        # numpy: the same files, the same estimate, written the same way.
        ref = os.path.join(work, "numpy")
        os.mkdir(ref)
        start = time.perf_counter()
        cpu0 = time.process_time()
        compute = 0.0
        for f in files:
            m = scipy.io.loadmat(f)
            s = m["s"].ravel()[:5000]
            cl = int(m["cl"][0, 0])
            t0 = time.perf_counter()
            pe = pulse_estimate(s, LPOLY, a.fit, markers=(cl, cl + 500, cl + 1550), windows=WINDOWS)
            compute += time.perf_counter() - t0
            scipy.io.savemat(os.path.join(ref, os.path.basename(f)),
                             {"s": s.reshape(-1, 1), "estimate": pe.reshape(-1, 1)})
        wall = time.perf_counter() - start
        cpu = time.process_time() - cpu0
        worst = 0.0
        for f in files:
            name = os.path.basename(f)
            ours = scipy.io.loadmat(os.path.join(work, "out1", name))["estimate"].ravel()
            theirs = scipy.io.loadmat(os.path.join(ref, name))["estimate"].ravel()
            worst = max(worst, float(np.max(np.abs(ours - theirs))))
        print("numpy loop (load, estimate, save; one core): %.2f s wall, %.2f s CPU, of which"
              " the estimate %.2f s" % (wall, cpu, compute))
        print("largest difference between numpy's estimates and ours: %.3g" % worst)
    finally:
        if a.keep:
            print("kept", work)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
