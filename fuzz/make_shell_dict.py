#!/usr/bin/env python3
"""Writes fuzz/shell.dict, the shell target's dictionary: every name the
help files know (the host's built-ins, commands and words, and the library's
functions) as a call and as a word, the format conversions, and the numbers
and statement shapes at the edges of what the host handles. Run it again
when names are added."""
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
names = []
for rel in ("host/shell/help/host.help", "framework/library.help"):
    for line in open(os.path.join(ROOT, rel), encoding="utf-8"):
        m = re.match(r"== (.+?) \|", line)
        if m:
            names += [n.strip() for n in m.group(1).split(",")]

tokens = []
for n in sorted(set(names)):
    if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_/]*", n):
        tokens += [n + "(", n + " "]
# Format conversions with flags, widths and precisions.
for conv in "diuxXoeEfgGcs":
    tokens += ["%" + conv, "%-8" + conv, "%+.3" + conv, "%05" + conv, "'%" + conv + "'"]
# Numbers at the edges: past 64-bit integers, the largest and smallest
# doubles, non-finite values.
tokens += ["1e300", "-1e19", "2^63", "2^64", "-2^63", "1.5", "Inf", "-Inf", "NaN", "realmax",
           "4.9e-324", "1e-310", "65536", "-1", "0", "1i"]
# Shapes that build deep or large values in few statements.
tokens += ["for i = 1:4000, ", "c = {c};", "c = {};", "s = struct('a', {s});", "f = @() f();",
           "x = @(y) ", "isequal(c, c)", "clear c", "{c}", "end", "; ", "\n", "...\n"]
with open(os.path.join(ROOT, "fuzz", "shell.dict"), "w", encoding="utf-8") as out:
    out.write("# Made by fuzz/make_shell_dict.py.\n")
    for t in tokens:
        text = t.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\x0A")
        out.write('"' + text + '"\n')
