#!/bin/bash
# A review over recordings: a MAT file whose cl lists clicks (one of them
# bad, one too near the end for the markers) and a 16-bit WAV file with the
# same samples and a click list beside it (with a bad line), reviewed from
# the prompt beside the same records stored one per file. Each cut opens
# with its click on the record's sample 1001 (shifted near the ends), the
# list names it by file and click number, the results hold where it lies in
# its source, and every estimate is the same bit for bit whichever way the
# record came.
set -u
HOST=$(realpath "$1")
LIB=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 - "$HOST" "$LIB" "$tmp" <<'PY'
import csv, os, subprocess, sys, wave
import numpy as np, scipy.io as sio

host, lib, tmp = sys.argv[1:4]

def fail(why):
    sys.exit("FAIL: " + why)

n = 40000
t = np.arange(n)
rng = np.random.default_rng(11)
clicks = [3000, 15000, 38000, 39900]          # the third shifts, the fourth is too near the end
x = 0.02 * rng.standard_normal(n)
for c in clicks:
    x += np.exp(-((t - c - 150) / 60.0) ** 2) * np.sin((t - c) / 4.0) * (t >= c - 400)
pcm = np.clip(np.round(x * 12000), -32768, 32767).astype(np.int16)
s = pcm.astype(float) / 32768                 # the samples a sound file's reader gives
rec = os.path.join(tmp, "rec"); os.mkdir(rec)
sio.savemat(os.path.join(rec, "dive.mat"), {"s": s.reshape(-1, 1), "cl": np.array([[3000.0], [np.nan], [15000.0], [38000.0], [39900.0]])})
with wave.open(os.path.join(rec, "hydro.wav"), "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(96000); w.writeframes(pcm.tobytes())
with open(os.path.join(rec, "hydro.clicks.csv"), "w") as f:
    f.write("sample\n3000\nnoise\n15000\n38000\n39900\n")
# The same records one per file: the cut and its click in the record.
single = os.path.join(tmp, "single"); os.mkdir(single)
for k, (c, off) in enumerate([(3000, 1999), (15000, 13999), (38000, 35000)]):
    sio.savemat(os.path.join(single, "one%d.mat" % k), {"s": s[off:off + 5000].reshape(-1, 1), "cl": float(c - off)})

res = os.path.join(tmp, "res")
script = "\n".join([
    "review list",
    "global T1 T2 T3",
    "review open dive-c1", "fprintf('at %d %d %d\\n', T1, T2, T3)",
    "review open dive-c4", "fprintf('at %d %d %d\\n', T1, T2, T3)",
    "review open hydro-c1",
    "review open hydro-c3",
    "uiset slider9 31",
    "review open 5",
    "review",
]) + "\n"
r = subprocess.run([host, "--library", lib, "--review", rec, single, "--results", res],
                   input=script, capture_output=True, text=True, timeout=120)
out = r.stdout + r.stderr
for want in ("dive.mat: entry 2 of 'cl': NaN", "line 3 of", "hydro.clicks.csv: 'noise'",  # bad entries, reported
             "dive.mat #1", "hydro.wav #5",                          # records named by file and click number
             "at 1001 1501 2551", "at 3000 3500 4550",             # the click on sample 1001; shifted near the end
             "Record 5 of"):
    if want not in out:
        fail("expected %r in:\n%s" % (want, out))
listing = out[:out.index("at 1001")]
if "dive.mat #5  click 39900  refused: The click at sample 39900 is too near the end" not in listing:
    fail("the click too near the end is not refused with its reason:\n" + listing)

# The results hold where each cut lies in its source.
rows = {row["name"]: row for row in csv.DictReader(open(os.path.join(res, "summary.csv")))}
def results(folder, name):
    m = sio.loadmat(os.path.join(folder, name + ".mat"))
    return m, np.asarray(m["estimate"], float).ravel()
m1, d1 = results(res, "dive-c1")
if float(m1["offset"][0][0]) != 1999 or rows["dive-c1"]["offset"] != "1999" or rows["dive-c1"]["click"] != "3000":
    fail("dive-c1's offset and click: %s" % rows["dive-c1"])
if float(m1["T1"][0][0]) != 1001 or rows["dive-c1"]["T1"] != "1001":
    fail("dive-c1's T1 does not count in the record: %s" % m1["T1"])
if rows["dive-c4"]["offset"] != "35000" or rows["dive-c4"]["T1"] != "3000":
    fail("the cut near the end did not shift inside the recording: %s" % rows["dive-c4"])
_, d3 = results(res, "dive-c4")
_, h1 = results(res, "hydro-c1")
hm, _ = results(res, "hydro-c3")
if float(hm["Nsmall"][0][0]) != 31 or not str(hm["source"][0]).endswith("hydro.wav"):
    fail("hydro-c3's edit or source: %s %s" % (hm["Nsmall"], hm["source"]))
# The same records stored one per file, reviewed alone, give the same
# estimates bit for bit; so do the MAT recording and the sound file.
res2 = os.path.join(tmp, "res2")
r2 = subprocess.run([host, "--library", lib, "--review", single, "--results", res2],
                    input="review open one2\n", capture_output=True, text=True, timeout=120)
_, o0 = results(res2, "one0")
_, o2 = results(res2, "one2")
if not (np.array_equal(d1, o0) and np.array_equal(d3, o2) and np.array_equal(d1, h1)):
    fail("the same record gave different estimates from a recording, a sound file and a file of its own")
print("review of recordings: ok")
PY
