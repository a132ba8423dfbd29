#!/usr/bin/python3
"""Instruction counts of one block of the piecewise fit, by callgrind.

Runs one fitted pulse_estimate (5000 samples, block length 100 unless
given) under callgrind, collecting only inside the piecewise fit, and
prints the instructions per block and the functions they go to: calls per
block, instructions per call (inclusive) and their own instructions.
Counts of instructions do not depend on the machine's load, unlike times.

    bench/profile_fit.py [LPOLY] [--top N]
"""
import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.environ.get("BUILD_DIR", os.path.join(HERE, "..", "build"))
FIT = "Mkestrel_piecefit_mod"


def run_callgrind(lpoly, out):
    exe = os.path.join(BUILD, "bin", "bench_pipeline")
    if not os.path.exists(exe):
        sys.exit(f"{exe} not found: run `make build` first")
    env = dict(os.environ, LD_LIBRARY_PATH=os.path.join(BUILD, "lib"),
               KESTREL_LIBRARY=os.path.join(BUILD, "lib", "kestrel_mex.so"))
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                    f"--toggle-collect={FIT}", "--compress-strings=no", "--compress-pos=no",
                    exe, f"--benchmark_filter=BM_pulse_estimate/Lpoly:{lpoly}$",
                    "--benchmark_min_time=0.0001"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)


def short(name):
    """A function's name without its arguments and template noise."""
    name = name.replace("(anonymous namespace)::", "")
    name = re.sub(r"\[clone .*", "", name)
    return re.sub(r"\(.*", "", name).strip()


def parse(path):
    """Self cost, inclusive cost of calls and call counts per function."""
    self_cost = collections.Counter()
    calls = collections.Counter()      # callee -> number of calls
    incl_in = collections.Counter()    # callee -> inclusive cost over its calls
    fn = None
    pending = None
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("fn="):
                fn = short(line[3:])
            elif line.startswith("cfn="):
                callee = short(line[4:])
            elif line.startswith("calls="):
                pending = (callee, int(line[6:].split()[0]))
            elif line and (line[0].isdigit() or line[0] in "+-*"):
                parts = line.split()
                cost = int(parts[1]) if len(parts) > 1 else 0
                if pending:
                    callee, n = pending
                    if callee != fn:  # recursion would count twice
                        calls[callee] += n
                        incl_in[callee] += cost
                    pending = None
                else:
                    self_cost[fn] += cost
    return self_cost, calls, incl_in


# Where a function's own instructions belong, by its name: the arithmetic of
# the kernels, the life of values and handles, the library's compiled bodies
# and their framework, and the rest (the run-time's entry points, argument
# reading, dispatch, indexing and checks).
KINDS = [
    ("kernels", re.compile(r"(^|\s)kh::(qr|reflectColumns|applyReflector|makeReflector|mtimes|lu|smallSquareSolve|"
                           r"leftDivide|rightDivide|transpose|realArithmetic|realPairs|realProduct|"
                           r"fewRows|norm|vectorNorm|find|sort|sum|maxAlong|extreme|gather|cumulative|"
                           r"polyval|horner|luFactor|factorInPlace|dot)|^__mem(set|cpy|move)|"
                           r"^(pow|floor|ceil|round|fabs|sqrt)")),
    ("values and handles", re.compile(r"^kh::(Value::|newArray|freeArray|cloneArray|takeBlock|"
                                      r"giveBlock|blocks::|newHandle|destroyHandle|renewTemp|"
                                      r"endBorrow|unshareForWrite|HandleSet)|^mxDestroyArray|"
                                      r"^(malloc|free|_int_free|_int_malloc|operator new|"
                                      r"operator delete|cfree)")),
    ("library bodies and framework", re.compile(r"^(M[A-Za-z]|mlx|kf::|mlfN?[A-Z][a-z]+_)")),
]


def kind_of(name):
    for kind, pattern in KINDS:
        if pattern.search(name):
            return kind
    return "run-time entry points and the rest"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("lpoly", nargs="?", type=int, default=100)
    ap.add_argument("--top", type=int, default=40)
    ap.add_argument("--self", action="store_true", help="order by own instructions")
    ap.add_argument("--breakdown", action="store_true",
                    help="own instructions per block by kind instead of by function")
    args = ap.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "fit.cg")
        run_callgrind(args.lpoly, out)
        self_cost, calls, incl = parse(out)
    total = sum(self_cost.values())
    blocks = calls.get("Mpolyfit", 0)
    if not blocks:
        sys.exit("no block fit was recorded")
    print(f"block length {args.lpoly}: {blocks} blocks, {total:,} instructions in the fit, "
          f"{total / blocks:,.0f} per block")
    if args.breakdown:
        per_kind = collections.Counter()
        for name, cost in self_cost.items():
            per_kind[kind_of(name)] += cost
        calls_in = sum(n for name, n in calls.items() if re.match(r"^(mlf|mcl|mx)", name))
        for kind, cost in per_kind.most_common():
            print(f"  {kind:40} {cost / blocks:10,.0f}")
        print(f"  run-time entry calls per block (mlf*, mcl*, mx*): {calls_in / blocks:,.0f}")
        return
    print(f"{'function':58} {'calls/block':>11} {'instr/call':>11} {'self/block':>11}")
    if args.self:
        names = sorted(self_cost, key=lambda n: -self_cost[n])
    else:
        names = sorted(set(calls) | set(self_cost), key=lambda n: -(incl.get(n, 0) or self_cost[n]))
    names = [n for n in names if incl.get(n, 0) < total]  # the callers of the fit
    for name in names[:args.top]:
        n = calls.get(name, 0)
        per_call = incl[name] / n if n else 0
        print(f"{name[:58]:58} {n / blocks:11.2f} {per_call:11,.0f} {self_cost[name] / blocks:11,.0f}")


if __name__ == "__main__":
    main()
