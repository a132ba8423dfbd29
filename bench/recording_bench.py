#!/usr/bin/python3
"""Times kestrel-host --estimate over a long recording: a sound file of an
hour at 96 kHz with its click list, beside a folder of some of the same
records stored one per file.

    bench/recording_bench.py [--build DIR] [--minutes 60] [--clicks 20000]
                             [--folder 2000] [--dir /tmp] [--results DIR] [--keep]

Writes a mono 16-bit WAV (an hour is 345.6 million samples, 691 MB) in
chunks with numpy, with a decaying pulse at each click, and NAME.clicks.csv
beside it; cuts --folder of its records (every k-th click) into MAT files
as a record file holds one (s the cut, cl the click in it). Runs the batch
over each with --jobs 1 and --jobs 2 and prints, for each run: wall time,
user and system CPU time of the run and its workers (wait4), CPU per record
beyond the host's start-up and user CPU per record (the system time is
mostly the syncs that make each result durable, the same for every record
and varying with the disk), the peak resident memory (VmHWM) of the main
process and of each worker, and for the sound file the bytes each process
read from storage (/proc/PID/io read_bytes; the WAV is dropped from the page
cache before each run, so that these are its bytes; with two workers, a part
one of them has read is in the cache for the other), all sampled every
50 ms until each process ends.
Everything is made under --dir and removed at the end unless --keep. Run
with Debian's python3 (numpy, scipy)."""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import wave

import numpy as np
import scipy.io

HERE = os.path.dirname(os.path.abspath(__file__))
RATE = 96000
CHUNK = 1 << 22  # samples generated and written at a time
CUT_CLICK = 1001  # where a record's click lands (cut placement)
RECORD = 5000


def pulse(length=2048):
    t = np.arange(length)
    return 9000.0 * np.exp(-t / 400.0) * np.sin(2 * np.pi * t / 80.0)


def make_recording(path, samples, clicks, seed=2026):
    """A mono 16-bit WAV of noise with a pulse from each click on (clicks
    count from 1), written a chunk at a time."""
    rng = np.random.default_rng(seed)
    p = pulse()
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.setnframes(samples)
        k = 0  # the first click whose pulse may reach this chunk
        for start in range(0, samples, CHUNK):
            n = min(CHUNK, samples - start)
            x = rng.normal(0.0, 200.0, n)
            while k < len(clicks) and clicks[k] - 1 + len(p) <= start:
                k += 1
            j = k
            while j < len(clicks) and clicks[j] - 1 < start + n:
                a = clicks[j] - 1 - start  # the pulse's first sample in the chunk
                lo, hi = max(a, 0), min(a + len(p), n)
                x[lo:hi] += p[lo - a:hi - a]
                j += 1
            w.writeframesraw(np.clip(np.round(x), -32768, 32767).astype("<i2").tobytes())


def cut_offset(click, length):
    return min(max(click - CUT_CLICK, 0), length - RECORD)


def make_folder(folder, wav, clicks, samples):
    """The records of the given clicks, one MAT file each, as a record file
    holds a cut: s the 5000 samples (the WAV's values / 32768), cl the click
    in them."""
    os.mkdir(folder)
    with open(wav, "rb") as f:
        head = f.read(64)
    data = head.index(b"data") + 8
    x = np.memmap(wav, dtype="<i2", mode="r", offset=data, shape=(samples,))
    files = []
    for click in clicks:
        off = cut_offset(click, samples)
        name = os.path.join(folder, "rec%07d.mat" % click)
        scipy.io.savemat(name, {"s": (x[off:off + RECORD] / 32768.0).reshape(-1, 1),
                                "cl": float(click - off)}, format="5")
        files.append(name)
    return files


def processes_of(root):
    """root and its descendants (one level is enough: the workers)."""
    pids = [root]
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        if int(stat[stat.rindex(")") + 2:].split()[1]) == root:
            pids.append(int(entry))
    return pids


def status_of(pid):
    """(peak resident bytes VmHWM, bytes read from storage) of a process, or
    None when it is gone."""
    try:
        with open("/proc/%d/status" % pid) as f:
            hwm = int(re.search(r"VmHWM:\s+(\d+) kB", f.read()).group(1)) * 1024
        with open("/proc/%d/io" % pid) as f:
            read = int(re.search(r"read_bytes: (\d+)", f.read()).group(1))
        return hwm, read
    except (OSError, AttributeError):
        return None


def run(args, env):
    """Runs the batch. Returns wall seconds, user and system CPU seconds (of
    the run and its workers, from wait4), the summary line, and for each of
    its processes (the main one first) its peak resident memory and the
    bytes it read from storage, sampled every 50 ms until it ends."""
    start = time.perf_counter()
    proc = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True)
    seen = {}
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid == proc.pid:
            proc.returncode = os.waitstatus_to_exitcode(status)
            break
        for p in processes_of(proc.pid):
            st = status_of(p)
            if st is not None:
                seen[p] = st
        time.sleep(0.05)
    err = proc.stderr.read()
    wall = time.perf_counter() - start
    lines = err.strip().splitlines()
    summary = lines[-1] if lines else ""
    if proc.returncode not in (0, 1) or ("--estimate" in args and "written" not in summary):
        sys.exit("%s failed (%d):\n%s" % (" ".join(args[:4]), proc.returncode, err[-2000:]))
    order = sorted(seen, key=lambda p: p != proc.pid)
    return wall, usage.ru_utime, usage.ru_stime, summary, [seen[p] for p in order]


def uncached(path):
    """Drops the file from the page cache, so that the bytes a run reads of
    it are counted in read_bytes."""
    os.sync()
    fd = os.open(path, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)


def written(summary):
    m = re.search(r"(\d+) written", summary)
    return int(m.group(1)) if m else 0


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(HERE, "..", "build")))
    p.add_argument("--minutes", type=float, default=60)
    p.add_argument("--clicks", type=int, default=20000)
    p.add_argument("--folder", type=int, default=2000)
    p.add_argument("--dir", default="/tmp")
    p.add_argument("--results", default=None,
                   help="where the runs write their results (default: beside the recording);"
                        " on a tmpfs such as /dev/shm the syncs cost nothing")
    p.add_argument("--keep", action="store_true")
    a = p.parse_args()
    host = os.path.join(a.build, "bin", "kestrel-host")
    lib = os.path.join(a.build, "lib", "kestrel_mex.so")
    env = dict(os.environ, KESTREL_LIBRARY=lib)
    work = tempfile.mkdtemp(prefix="kestrel-recording-bench-", dir=a.dir)
    try:
        samples = int(a.minutes * 60 * RATE)
        rng = np.random.default_rng(7)
        grid = np.arange(2000, samples - 3000, 50)
        clicks = np.sort(rng.choice(grid, size=a.clicks, replace=False)).tolist()
        wav = os.path.join(work, "hour.wav")
        t0 = time.perf_counter()
        make_recording(wav, samples, clicks)
        with open(os.path.join(work, "hour.clicks.csv"), "w") as f:
            f.write("sample\n" + "".join("%d\n" % c for c in clicks))
        size = os.path.getsize(wav)
        print("%s: %d samples (%.1f min at %d Hz, %.0f MB), %d clicks; written in %.1f s"
              % (wav, samples, a.minutes, RATE, size / 1e6, len(clicks), time.perf_counter() - t0))
        step = max(1, len(clicks) // a.folder)
        files = make_folder(os.path.join(work, "folder"), wav, clicks[::step][:a.folder], samples)
        print("%d of the same records, one MAT file each" % len(files))

        os.sync()  # the files on disk, so that no run pays for writing them back
        startups = []
        for _ in range(5):
            _, user, system, _, _ = run([host, "--eval", "1;"], env)
            startups.append(user + system)
        startup = statistics.median(startups)
        print("start-up (kestrel-host --eval, median of 5): %.0f ms CPU" % (startup * 1e3))
        print("%-22s %6s %6s %6s %10s %10s  %s" % (
            "run", "wall s", "user s", "sys s", "CPU/rec", "user/rec", "peak RSS (main; workers)"))
        per_record = {}
        for what, inputs in (("sound file", [wav]), ("folder", files)):
            for jobs in (1, 2):
                if what == "sound file":
                    uncached(wav)
                out = os.path.join(a.results or work, "kestrel-recording-bench-out")
                wall, user, system, summary, procs = run(
                    [host, "--estimate"] + inputs + ["--out", out, "--jobs", str(jobs)], env)
                n = written(summary)
                cpu = (user + system - startup) / n
                per_record[(what, jobs)] = (cpu, user / n)
                print("%-22s %6.1f %6.1f %6.1f %7.3f ms %7.3f ms  %.0f MB; %s" % (
                    "%s, --jobs %d" % (what, jobs), wall, user, system, cpu * 1e3, user / n * 1e3,
                    procs[0][0] / 1e6, ", ".join("%.0f MB" % (p[0] / 1e6) for p in procs[1:])))
                print("    %s" % summary)
                if what == "sound file":
                    # The main process's count takes in its workers' once it
                    # has waited for them.
                    workers = [p[1] for p in procs[1:]]
                    main_own = max(0, procs[0][1] - sum(workers))
                    print("    read from storage: main %.1f MB; workers %s; in all %.3f x the file" % (
                        main_own / 1e6, ", ".join("%.1f MB" % (r / 1e6) for r in workers),
                        (main_own + sum(workers)) / size))
                shutil.rmtree(out)
        for jobs in (1, 2):
            (a_cpu, a_user), (b_cpu, b_user) = per_record[("sound file", jobs)], per_record[("folder", jobs)]
            print("--jobs %d: per record, sound file / folder: CPU %.3f, user CPU %.3f"
                  % (jobs, a_cpu / b_cpu, a_user / b_user))
    finally:
        if a.keep:
            print("kept", work)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
