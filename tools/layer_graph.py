#!/usr/bin/env python3
"""The host's layers and what each builds on, as the build sees it.

    tools/layer_graph.py [BUILD_DIR]

Asks CMake for its target graph (cmake --graphviz) in the configured
BUILD_DIR (default build/), prints each layer target with the layers it
links, lowest first, and exits 1 if the arrows ever run in a circle.
"""
import os
import re
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build")
with tempfile.TemporaryDirectory() as tmp:
    dot = os.path.join(tmp, "targets.dot")
    subprocess.run(["cmake", f"--graphviz={dot}", "."], cwd=build, check=True,
                   stdout=subprocess.DEVNULL)
    text = open(dot).read()
labels = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', text))
deps = {}
for a, b in re.findall(r'"(node\d+)" -> "(node\d+)"', text):
    la, lb = labels[a], labels[b]
    if re.fullmatch(r"kh_[a-z]+", la) and re.fullmatch(r"kh_[a-z]+", lb):
        deps.setdefault(la, set()).add(lb)
        deps.setdefault(lb, set())
order, done, busy = [], set(), set()


def visit(n):
    if n in done:
        return
    if n in busy:
        sys.exit(f"the layers depend on each other in a circle through {n}")
    busy.add(n)
    for d in sorted(deps[n]):
        visit(d)
    busy.discard(n)
    done.add(n)
    order.append(n)


for n in sorted(deps):
    visit(n)
for n in order:
    below = ", ".join(sorted(d[3:] for d in deps[n])) or "-"
    print(f"{n[3:]:10} <- {below}")
