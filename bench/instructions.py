#!/usr/bin/python3
"""Instructions per timed call of each benchmark, by callgrind, for one
build or for two side by side.

Times on a shared machine move by tens of per cent with the neighbours'
load; instruction counts do not. Each row runs one benchmark under
callgrind and divides the inclusive instructions of the function its
timed loop calls (the C door, the motion, the export...) by the number of
calls. Each row runs twice, for a short and a longer time, and the figure
is the difference of the two runs' instructions over the difference of
their calls: what one more call costs, with the benchmark's setup and the
first calls' work (caches filled, texts read) left out.

    bench/instructions.py [--build DIR] [--baseline DIR] [--filter REGEX]

With --baseline, a second build runs the same rows and a column shows how
many times fewer instructions ours needs (above 1: ours does less).
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from profile_fit import parse  # noqa: E402

# (program, benchmark, the functions one iteration of its loop calls).
ROWS = [("bench_pipeline", f"BM_tpswma/samples:{n}/taps:{t}", ["kh::callFevalForm"])
        for n, t in [(5000, 21), (5000, 101), (5000, 401), (5000, 2001), (250000, 2001),
                     (1000000, 2001)]]
ROWS += [("bench_pipeline", f"BM_pulse_estimate/Lpoly:{k}", ["kh::callFevalForm"]) for k in (0, 100, 8)]
ROWS += [("bench_pipeline", f"BM_editor_move2/Lpoly:{k}", ["timedMotion"]) for k in (0, 100)]
ROWS += [("bench_pipeline", f"BM_editor_NSs/Lpoly:{k}", ["kh::gfx::setControlValue"]) for k in (0, 100)]
ROWS += [("bench_pipeline", f"BM_editor_loadpulse/Lpoly:{k}", ["kh::gfx::click"]) for k in (0, 100)]
SHELL = ["kh::Shell::Shell", "kh::Shell::~Shell"]
ROWS += [("bench_shell", f"ScriptOfStatements/{n}", ["kh::Shell::run"] + SHELL) for n in (2500, 16384)]
ROWS += [("bench_shell", f"BlockAtThePrompt/{n}", ["kh::Shell::interact"] + SHELL) for n in (625, 4096)]
ROWS += [("bench_shell", f"LongSum/{n}", ["kh::Shell::run"] + SHELL) for n in (2500, 16384)]
ROWS += [
    ("bench_graphics", "BM_SetYData", ["kh::gfx::set"]),
    ("bench_graphics", "BM_MlfNSetYData", ["mlfNSet"]),
    ("bench_graphics", "BM_GetXLimUnchanged", ["kh::gfx::getProperty"]),
    ("bench_graphics", "BM_GetXLimAfterYDataWrite", ["kh::gfx::setProperty", "kh::gfx::getProperty"]),
]
ROWS += [("bench_render", f"Export/{f}", ["kh::gfx::render::exportFigure"])
         for f in ("Svg", "Png", "Png192", "Pdf")]


def inclusive(build, program, bench, functions, seconds):
    """The calls of functions[0] and the inclusive instructions of all of
    functions, in one run of bench for about the given seconds."""
    exe = os.path.join(build, "bin", program)
    env = dict(os.environ, LD_LIBRARY_PATH=os.path.join(build, "lib"),
               KESTREL_LIBRARY=os.path.join(build, "lib", "kestrel_mex.so"))
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "run.cg")
        subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                        "--compress-strings=no", "--compress-pos=no", exe,
                        f"--benchmark_filter=^{re.escape(bench)}$",
                        f"--benchmark_min_time={seconds}"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       env=env, cwd=tmp)
        _, calls, incl = parse(out)
    n = calls.get(functions[0], 0)
    if not n:
        sys.exit(f"{bench}: {functions[0]} was not called in {build}")
    return n, sum(incl.get(f, 0) for f in functions)


def per_call(build, program, bench, functions):
    n1, i1 = inclusive(build, program, bench, functions, 0.01)
    n2, i2 = inclusive(build, program, bench, functions, 0.1)
    if n2 <= n1:  # one call takes longer than the longer run: no difference to take
        return i2 / n2
    return (i2 - i1) / (n2 - n1)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(HERE, "..", "build")))
    ap.add_argument("--baseline")
    ap.add_argument("--filter", default="")
    args = ap.parse_args()
    builds = [args.build] + ([args.baseline] if args.baseline else [])
    head = f"{'benchmark':40} {'instr/call':>14}"
    if args.baseline:
        head += f" {'baseline':>14} {'fewer':>7}"
    print(head)
    for program, bench, functions in ROWS:
        if not re.search(args.filter, bench):
            continue
        counts = [per_call(b, program, bench, functions) for b in builds]
        line = f"{bench:40} {counts[0]:14,.0f}"
        if args.baseline:
            line += f" {counts[1]:14,.0f} {counts[1] / counts[0]:6.3f}x"
        print(line, flush=True)


if __name__ == "__main__":
    main()
