#!/usr/bin/python3
"""Instruction counts of one pointer motion of a drag, by callgrind.

Runs the editor's drag of marker 2 (BM_editor_move2: each motion is event
delivery, the callback text "kestrel move2" run by the command window, and
kestrel's own work down to the estimate line's YData) under callgrind,
collecting only inside the timed motions (the drag's first two, which
read the text, are left out), and prints the
instructions per motion: the whole callback text's run, the library
function it calls, and the difference, which is the command window's
share (reading the text, finding the name, calling through the feval
form, and its protected point). Then the instructions by the folder of the
source line that spent them.

    bench/profile_callback.py [--fit] [--build DIR] [--top N]

--fit drags with the polynomial fit on (Lpoly 100); without it the fit is
off. --top lists the command window's own functions too.
"""
import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ONCE_PER_MOTION = "mlxKestrel"  # the library's feval form, entered once per motion


def run_callgrind(build, lpoly, out, seconds):
    exe = os.path.join(build, "bin", "bench_pipeline")
    if not os.path.exists(exe):
        sys.exit(f"{exe} not found: run `make build` first")
    env = dict(os.environ, LD_LIBRARY_PATH=os.path.join(build, "lib"),
               KESTREL_LIBRARY=os.path.join(build, "lib", "kestrel_mex.so"))
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                    "--toggle-collect=*timedMotion*", "--compress-strings=no",
                    "--compress-pos=no", exe,
                    f"--benchmark_filter=BM_editor_move2/Lpoly:{lpoly}$",
                    f"--benchmark_min_time={seconds}"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)


# The command window's folders: in this tree its language (host/language)
# and the window (host/shell); before the host had layers, all of it was in
# host/shell.
def area_of(path):
    m = re.search(r"/(host/[a-z_]+|app|signal|poly|graphics|text|framework)/", path or "")
    if not m:
        return "system libraries"
    area = m.group(1)
    if area in ("host/language", "host/shell"):
        return "command window"
    if not area.startswith("host/"):
        return "library"
    return area


def parse(path):
    """Own cost per source area and per function, and calls per function."""
    per_area = collections.Counter()
    per_fn = collections.Counter()
    calls = collections.Counter()
    inclusive = collections.Counter()  # callee -> inclusive cost over its calls
    fn = None
    fl = fi = None
    pending = None
    callee = None
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("fl="):
                fl = line[3:]
                fi = None
            elif line.startswith(("fi=", "fe=")):
                fi = line[3:]
            elif line.startswith("fn="):
                fn = re.sub(r"\(.*", "", line[3:].replace("(anonymous namespace)::", ""))
                fi = None
            elif line.startswith("cfn="):
                callee = re.sub(r"\(.*", "", line[4:])
            elif line.startswith("calls="):
                pending = (callee, int(line[6:].split()[0]))
            elif line and (line[0].isdigit() or line[0] in "+-*"):
                parts = line.split()
                cost = int(parts[1]) if len(parts) > 1 else 0
                if pending:
                    calls[pending[0]] += pending[1]
                    inclusive[pending[0]] += cost
                    pending = None
                else:
                    area = area_of(fi or fl)
                    per_area[area] += cost
                    if area == "command window":
                        per_fn[fn] += cost
    return per_area, per_fn, calls, inclusive


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--fit", action="store_true", help="drag with the fit on (Lpoly 100)")
    ap.add_argument("--build", default=os.environ.get("BUILD_DIR", os.path.join(HERE, "..", "build")))
    ap.add_argument("--top", type=int, default=0)
    args = ap.parse_args()
    # The timed motions go to one point and back: the motion out and the
    # motion back cost differently, so an odd count would weigh one of them
    # more. Runs of other lengths are tried until the count is even.
    for seconds in (0.2, 0.25, 0.3, 0.15, 0.35, 0.4):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "move.cg")
            run_callgrind(args.build, 100 if args.fit else 0, out, seconds)
            per_area, per_fn, calls, inclusive = parse(out)
        motions = calls.get(ONCE_PER_MOTION, 0)
        if motions % 2 == 0:
            break
    if not motions:
        sys.exit("no motion was recorded")
    total = sum(per_area.values())
    print(f"{motions} motions, {total / motions:,.0f} instructions per motion")
    text = inclusive.get("kh::runCallbackText", 0)
    fn = inclusive.get(ONCE_PER_MOTION, 0)
    print(f"  the callback text run        {text / motions:10,.0f}")
    print(f"    the library's kestrel      {fn / motions:10,.0f}")
    print(f"    the command window's share {(text - fn) / motions:10,.0f}")
    print("by the folder of the source line:")
    for area, cost in per_area.most_common():
        print(f"  {area:28} {cost / motions:10,.0f}  {100 * cost / total:5.1f} %")
    for name, cost in per_fn.most_common(args.top):
        print(f"    {name[:60]:60} {cost / motions:8,.0f}")


if __name__ == "__main__":
    main()
