#!/bin/bash
# A review of a folder of six records (one the editor refuses), driven from
# the prompt as a script would: edits saved as they are made, undo and redo,
# the host killed with SIGKILL in the middle and started again on the same
# inputs, which shows every record as it was left and reopens the last one
# viewed, with undo reaching back across the restart. Then what must be
# refused: a second host on the same results folder, a folder that cannot be
# made, saved settings outside the editor's ranges, results of another
# record; and a save that fails for want of room (a file-size limit set on
# the running host, then lifted) keeps the files as they were and saves the
# edit with the next action. summary.csv, read with Python's csv, must agree
# with the results files, and every saved estimate with the numpy reference.
set -u
HOST=$(realpath "$1")
LIB=$(realpath "$2")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 - "$HOST" "$LIB" "$tmp" "$(cd "$(dirname "$0")/../reference" && pwd)" <<'PY'
import csv, os, re, resource, select, shutil, signal, subprocess, sys, time
import numpy as np, scipy.io as sio

host, lib, tmp, refdir = sys.argv[1:5]
sys.path.insert(0, refdir)
from pulse_reference import pulse_estimate

def fail(why):
    sys.exit("FAIL: " + why)

recs = os.path.join(tmp, "recs")
res = os.path.join(tmp, "res")
os.mkdir(recs)
rng = np.random.default_rng(7)
for k in range(1, 7):
    t = np.arange(6000)
    cl = 300 + 150 * k
    s = 0.02 * rng.standard_normal(6000) + np.exp(-((t - cl - 200) / 80.0) ** 2) * np.sin(t / 5.0)
    # rec4 is shorter than the 5000 samples the editor shows
    sio.savemat(os.path.join(recs, "rec%d.mat" % k), {"s": s[:4000 if k == 4 else 6000].reshape(-1, 1), "cl": float(cl)})

class Host:
    """A review host reading prompt lines from a pipe."""
    def __init__(self, *extra, preexec=None):
        self.p = subprocess.Popen([host, "--library", lib, "--review", recs, "--results", res, *extra],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  preexec_fn=preexec)
        self.out = ""
        self.mark = 0
    def run(self, *lines):
        """Runs the lines, then waits until they are done; returns what they printed."""
        self.mark += 1
        tag = "done-%d" % self.mark
        self.p.stdin.write(("\n".join(lines) + "\ndisp('%s')\n" % tag).encode())
        self.p.stdin.flush()
        start = len(self.out)
        end = time.time() + 60
        while tag not in self.out[start:]:
            if time.time() > end or self.p.poll() is not None:
                fail("no answer to %r:\n%s" % (lines, self.out[start:]))
            r, _, _ = select.select([self.p.stdout], [], [], 1)
            if r:
                self.out += os.read(self.p.stdout.fileno(), 65536).decode()
        return self.out[start:self.out.index(tag, start)]
    def values(self, names):
        text = self.run("global " + " ".join(names), "fprintf('%.17g ', [" + " ".join(names) + "]); fprintf('\\n')")
        return [float(v) for v in text.strip().split("\n")[-1].split()]
    def close(self):
        self.p.stdin.close()
        self.out += self.p.stdout.read().decode()
        return self.p.wait()

SET = ["T1", "T2", "T3", "Nsmall", "Nmedium", "Nlarge", "Lpoly", "pf"]
DRAG = "global psp%d T%d; uipress(psp%d, T%d, 0); uimove(gcf, %d, 0); uirelease(gcf, %d, 0)"

# -- the first session: edits, undo and redo, then SIGKILL --
a = Host()
first = a.run("review")
if "Record 1 of 6: rec1 (click 450" not in first:
    fail("the review did not open its first record:\n" + first)
a.run("uiset slider9 35", DRAG % (2, 2, 2, 2, 1200, 1200))
if a.values(["T2", "Nsmall"]) != [1200, 35]:
    fail("rec1's edits did not take")
undo = a.run("review undo")
if "1 to undo, 1 to redo" not in undo or a.values(["T2"]) != [950]:
    fail("undo did not bring T2 back to 950:\n" + undo)
a.run("review redo")
if a.values(["T2", "Nsmall"]) != [1200, 35]:
    fail("redo did not bring T2 to 1200")
a.run("review next", "uiclick radiobutton1", "uiset edit1 '41'")           # rec2: fit on, a typed window
a.run("review next", DRAG % (3, 3, 3, 3, 2500, 2500))                        # rec3: T3 dragged
skipped = a.run("review next")                                              # rec4 is refused, rec5 opens
if "rec4 is refused: The record 'rec4.mat' needs 's', a real vector of at least 5000 samples; its 's' is 4000 samples long" not in skipped or "Record 5 of 6: rec5" not in skipped:
    fail("next did not pass over the refused record with its reason:\n" + skipped)
a.run("review open rec2")
a.p.send_signal(signal.SIGKILL)
a.p.wait()

# -- started again: every edit is there, the last record viewed is open --
b = Host()
status = b.run("review")
if "Record 2 of 6: rec2" not in status:
    fail("the restarted review did not reopen the last record viewed:\n" + status)
if b.values(["pf", "Nsmall"]) != [1, 41]:
    fail("rec2's fit switch and typed window were not restored")
b.run("review open 1")
if b.values(["T2", "Nsmall"]) != [1200, 35]:
    fail("rec1's edits were not restored")
b.run("review undo")
if b.values(["T2", "Nsmall"]) != [950, 35]:
    fail("undo did not reach back across the restart")
b.run("review redo", "review open 3")
if b.values(["T3"]) != [2500]:
    fail("rec3's marker was not restored")
listing = b.run("review list")
if not re.search(r"4  rec4  click 900  refused: The record 'rec4.mat' needs 's'", listing):
    fail("the refused record is not listed with its reason:\n" + listing)

# -- a second host on the same results folder is refused, naming the first --
c = subprocess.run([host, "--library", lib, "--review", recs, "--results", res, "--no-prompt"],
                   capture_output=True, text=True, timeout=60)
if c.returncode != 2 or "in use by the review of kestrel-host process %d" % b.p.pid not in c.stderr:
    fail("a second review on the folder was not refused with the first's process: %d %s" % (c.returncode, c.stderr))
if b.close() != 0:
    fail("the review did not end cleanly:\n" + b.out)

# -- summary.csv agrees with the results files; each estimate with the reference --
rows = {r["name"]: r for r in csv.DictReader(open(os.path.join(res, "summary.csv")))}
if sorted(rows) != ["rec%d" % k for k in range(1, 7)]:
    fail("summary.csv rows: %s" % sorted(rows))
if rows["rec4"]["state"] != "refused" or "4000" not in rows["rec4"]["reason"]:
    fail("rec4's summary row: %s" % rows["rec4"])
if rows["rec6"]["state"] != "not opened":
    fail("rec6's summary row: %s" % rows["rec6"])
for name in ("rec1", "rec2", "rec3", "rec5"):
    m = sio.loadmat(os.path.join(res, name + ".mat"))
    get = lambda k: float(np.asarray(m[k]).ravel()[0])
    if rows[name]["state"] != "saved" or [float(rows[name][k]) for k in SET] != [get(k) for k in SET]:
        fail("%s: summary %s, file %s" % (name, rows[name], [get(k) for k in SET]))
    if str(m["source"][0]) != os.path.join(recs, name + ".mat") or rows[name]["source"] != str(m["source"][0]):
        fail("%s's source: %s" % (name, m["source"]))
    h = np.asarray(m["history"]); at = int(get("historyAt"))
    if list(h[at - 1]) != [get(k) for k in SET]:
        fail("%s's history does not show its settings at historyAt" % name)
    s = np.asarray(m["s"], float).ravel()
    ref = pulse_estimate(s, get("Lpoly"), get("pf") != 0, tuple(int(get(k)) for k in SET[:3]),
                         tuple(int(get(k)) for k in SET[3:6]))
    diff = np.max(np.abs(np.asarray(m["estimate"], float).ravel() - ref))
    if not diff <= 1e-9 * max(1.0, np.max(np.abs(ref))):
        fail("%s's estimate differs from the reference by %g" % (name, diff))
if rows["rec1"]["T2"] != "1200" or rows["rec2"]["pf"] != "1" or rows["rec3"]["T3"] != "2500":
    fail("the summary lacks the edits: %s" % rows)

# -- refused before the review starts --
for args, why in ((["--results", "/dev/null/res"], "The results folder '/dev/null/res' cannot be made"),
                  (["--results", recs], "holds the records themselves: rec1.mat would be replaced"),
                  ([os.path.join(tmp, "missing")], "is neither a record file nor a folder")):
    r = subprocess.run([host, "--library", lib, "--review", recs, *args, "--no-prompt"] if args[0] == "--results"
                       else [host, "--library", lib, "--review", *args, "--no-prompt"],
                       capture_output=True, text=True, timeout=60)
    if r.returncode != 2 or why not in r.stderr:
        fail("expected %r, status 2: %d %s" % (why, r.returncode, r.stderr))

# -- saved settings outside the editor's ranges, results of another record --
m = sio.loadmat(os.path.join(res, "rec3.mat"))
m["Nsmall"] = np.array([[999.0]]); m["history"][int(m["historyAt"][0][0]) - 1][3] = 999
sio.savemat(os.path.join(res, "rec3.mat"), {k: v for k, v in m.items() if not k.startswith("__")})
m = sio.loadmat(os.path.join(res, "rec5.mat"))
m["s"] = m["s"] * 2
sio.savemat(os.path.join(res, "rec5.mat"), {k: v for k, v in m.items() if not k.startswith("__")})
d = Host()
bad = d.run("review open 3", "review open 5")
if "rec3: its saved state was not applied: Nsmall = 999 is outside the editor's range 3 to 201" not in bad:
    fail("a saved value outside the ranges was not reported:\n" + bad)
if "rec5: its saved state was not applied: its results file" not in bad or "holds another record" not in bad:
    fail("results of another record were not reported:\n" + bad)
d.close()

# -- a save that fails: the files stay, the edit is saved with the next action --
# (a batch run's row of a record this review does not list stays in summary.csv)
with open(os.path.join(res, "summary.csv"), "a") as f:
    f.write("other,/data/other.mat,0,900,900,1400,2450,21,101,401,100,0,estimated,,2026-12-10T00:00:00Z\n")
before = {f: open(os.path.join(res, f), "rb").read() for f in ("rec1.mat", "summary.csv")}
limit = 30000  # summary.csv fits, a results file does not
e = Host(preexec=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit, resource.RLIM_INFINITY)))
e.run("review open 1")
failed = e.run("uiset slider10 151")
if "Unable to write file" not in failed or "saved with the next one" not in failed:
    fail("a failed save was not reported:\n" + failed)
if "edited" not in e.run("review") or open(os.path.join(res, "rec1.mat"), "rb").read() != before["rec1.mat"]:
    fail("the failed save changed rec1.mat or the state is not 'edited'")
resource.prlimit(e.p.pid, resource.RLIMIT_FSIZE, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
e.run("uiset slider12 501")
e.close()
m = sio.loadmat(os.path.join(res, "rec1.mat"))
if float(m["Nmedium"][0][0]) != 151 or float(m["Nlarge"][0][0]) != 501:
    fail("the edit made while saving failed was not saved with the next one")
rows = {r["name"]: r for r in csv.DictReader(open(os.path.join(res, "summary.csv")))}
if rows["rec1"]["state"] != "saved" or rows["rec1"]["Nmedium"] != "151":
    fail("summary.csv after the save came back: %s" % rows["rec1"])
if rows.get("other", {}).get("T2") != "1400":
    fail("the review dropped the row of a record it does not list: %s" % sorted(rows))
print("review session: ok")
PY
