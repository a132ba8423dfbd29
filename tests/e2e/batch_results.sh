#!/bin/bash
# A batch run leaves a review's results folder: every result file holds what
# a review's does (source, offset, history, historyAt) and summary.csv says
# of each input what its result holds, or why it was refused; a review of
# the folder shows each record as the batch left it; a batch run does not
# start on a folder a review uses; and --reviewed estimates a reviewed
# record again with the settings the review left, its state kept.
. "$(dirname "$0")/common.bash"
run() { "$HOST" --library "$LIB" "$@"; }
in=$tmp/in
res=$tmp/res
mkdir -p "$in/sub" "$tmp/other"

# r1..r6 with their clicks (r6 with NaN samples, which the batch takes);
# broken.mat has a click between samples; sub/r1.mat is another record named
# r1, refused by the run for its name.
cat >"$tmp/make.m" <<EOF
t = (1:6000)';
clicks = [400 1000 1700 2500 600 800];
for k = 1:6
  cl = clicks(k);
  s = 0.02 * sin(0.37 * k * t) + (t >= cl) .* 0.8 .* exp(-(t - cl) / 400) .* sin(2 * pi * (t - cl) / 90);
  if k == 6
    s(3000:3010) = NaN;
  end
  save(sprintf('$in/r%d.mat', k), 's', 'cl');
end
s = sin(0.01 * t); cl = 1000.5; save('$in/broken.mat', 's', 'cl');
cl = 900; save('$in/sub/r1.mat', 's', 'cl');
cl = 700; save('$tmp/other/summary.mat', 's', 'cl');
EOF
run "$tmp/make.m" || fail "making the records"

# Checks a results folder against the rows it should have, one argument per
# row: "NAME STATE HISTORY T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf" (HISTORY:
# the number of states in the file's history) or "NAME refused REASON".
# summary.csv has exactly these rows; each row of a result says what its
# NAME.mat holds, and every NAME.mat has a row.
check() {
  /usr/bin/python3 - "$@" <<'EOF' || fail "$1: summary.csv and the results disagree"
import csv, glob, os, re, sys
import numpy as np, scipy.io
folder, expected = sys.argv[1], {}
for e in sys.argv[2:]:
    name, state, rest = (e.split(' ', 2) + [''])[:3]
    expected[name] = (state, rest)
def bad(why):
    sys.exit('%s: %s' % (folder, why))
with open(os.path.join(folder, 'summary.csv'), newline='') as f:
    rows = list(csv.DictReader(f))
names = [r['name'] for r in rows]
if sorted(names) != sorted(expected):
    bad('rows %s, not %s' % (names, sorted(expected)))
settings = ['T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf']
for r in rows:
    name = r['name']
    state, rest = expected[name]
    if r['state'] != state:
        bad('%s is %s, not %s' % (name, r['state'], state))
    if not re.fullmatch(r'\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ', r['changed']):
        bad('%s changed at %r' % (name, r['changed']))
    if state == 'refused':
        if r['reason'] != rest or any(r[k] for k in settings + ['click']):
            bad('%s: refused %r with %s, not %r' % (name, r['reason'], [r[k] for k in settings], rest))
        continue
    want = [float(v) for v in rest.split()]
    m = scipy.io.loadmat(os.path.join(folder, name + '.mat'))
    record = scipy.io.loadmat(r['source'])
    shown = [float(r[k]) for k in settings]
    held = [float(m[k].item()) for k in settings]
    history = m['history']
    checks = {
        'the settings': shown == held == want[1:],
        'the source': str(m['source'][0]) == r['source'] and os.path.isabs(r['source']),
        'the offset': float(r['offset']) == 0 and m['offset'].item() == 0,
        'the click': float(r['click']) == record['cl'].item(),
        'the history': history.shape == (int(want[0]), 8) and m['historyAt'].item() == want[0]
                       and list(history[-1]) == held,
        'the record': np.array_equal(m['s'].ravel(), record['s'].ravel()[:5000], equal_nan=True)
                      and m['cl'].item() == held[0] and m['estimate'].size == 5000,
        'the reason': r['reason'] == '',
    }
    for what, ok in checks.items():
        if not ok:
            bad('%s: %s differs: row %s, file %s, history %s' % (name, what, r, held, history))
for f in glob.glob(os.path.join(folder, '*.mat')):
    if os.path.basename(f)[:-4] not in names:
        bad('%s has no row' % f)
EOF
}
# The reason a run's report line gives for an input.
reason_of() { sed -n "s|^kestrel-host: $1: ||p" "$tmp/stderr"; }
expect_rc() { [ "$1" -eq "$2" ] || { cat "$tmp/stderr" >&2; fail "$3: exit status $1, not $2"; }; }

# (a) A run with settings of its own, a broken input and a second record
# named r1 (refused without a row: the name's row is the first one's).
run --estimate "$in"/*.mat "$in/sub/r1.mat" --out "$res" --windows 35,151,601 --markers 300,1200 \
  --fit --jobs 2 2>"$tmp/stderr"
expect_rc $? 1 "the first run"
grep -qF "kestrel-host: 8 files, 6 written, 2 failed" "$tmp/stderr" || fail "the first run's summary"
row() { echo "r$1 $2 1 $3 $(($3 + 300)) $(($3 + 1200)) 35 151 601 100 1"; }
check "$res" "$(row 1 estimated 400)" "$(row 2 estimated 1000)" "$(row 3 estimated 1700)" \
  "$(row 4 estimated 2500)" "$(row 5 estimated 600)" "$(row 6 estimated 800)" \
  "broken refused $(reason_of "$in/broken.mat")"
grep -qF "must be a whole sample number from 21 to 5000, not 1000.5." "$res/summary.csv" ||
  fail "the refused row's reason"

# The results folder's own files are no result's: a record named summary is
# refused with --csv (its CSV file would replace summary.csv) and written
# without it, summary.csv kept with the rows of earlier runs. A summary.csv
# that cannot be written is reported and makes the status 1.
names=$tmp/names
run --estimate "$in/r1.mat" --out "$names" 2>"$tmp/stderr" || fail "the run into $names"
run --estimate "$tmp/other/summary.mat" --out "$names" --csv 2>"$tmp/stderr"
expect_rc $? 1 "summary.mat with --csv"
grep -qxF "kestrel-host: $tmp/other/summary.mat: its result summary.csv would replace the results folder's own summary.csv" \
  "$tmp/stderr" || { cat "$tmp/stderr" >&2; fail "summary.mat with --csv: the reason"; }
check "$names" "r1 estimated 1 400 900 1950 21 101 401 100 0" \
  "summary refused $(reason_of "$tmp/other/summary.mat")"
run --estimate "$tmp/other/summary.mat" --out "$names" 2>"$tmp/stderr" || fail "summary.mat without --csv"
check "$names" "r1 estimated 1 400 900 1950 21 101 401 100 0" \
  "summary estimated 1 700 1200 2250 21 101 401 100 0"
mkdir -p "$tmp/nosummary/summary.csv"
run --estimate "$in/r1.mat" --out "$tmp/nosummary" 2>"$tmp/stderr"
expect_rc $? 1 "an unwritable summary.csv"
grep -qxF "kestrel-host: Unable to save '$tmp/nosummary/summary.csv': Is a directory." "$tmp/stderr" &&
  grep -q "^kestrel-host: 1 file, 1 written, 0 failed" "$tmp/stderr" && [ -f "$tmp/nosummary/r1.mat" ] ||
  { cat "$tmp/stderr" >&2; fail "an unwritable summary.csv"; }

# (b) The folder reviewed: the listing says what the batch did, and the
# record opened shows the batch's settings and its estimate.
printf '%s\n' "review list" "review open r2" \
  "global T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf ppulse" \
  "fprintf('settings %d %d %d %d %d %d %d %d\n', T1, T2, T3, Nsmall, Nmedium, Nlarge, Lpoly, pf)" \
  "r = load('$res/r2.mat'); a = get(ppulse, 'YData'); if isequal(a(:), r.estimate(:)), disp('same estimate'), end" |
  run --review "$in" --results "$res" >"$tmp/review" 2>&1 || { cat "$tmp/review" >&2; fail "the review"; }
for c in 1:400 2:1000 3:1700 4:2500 5:600 6:800; do
  grep -qE "^[ >] +[0-9]+  r${c%%:*}  click ${c#*:}  estimated$" "$tmp/review" ||
    { cat "$tmp/review" >&2; fail "the review does not list r${c%%:*} as estimated at ${c#*:}"; }
done
grep -qE "^[ >] +1  broken  click \?  refused: The record's click" "$tmp/review" &&
  grep -qx "settings 1000 1300 2200 35 151 601 100 1" "$tmp/review" &&
  grep -qx "same estimate" "$tmp/review" || { cat "$tmp/review" >&2; fail "the review of the batch's results"; }

# (c) While a review uses the folder, a batch run does not start, naming the
# review's process, and changes nothing there.
"$HOST" --library "$LIB" --review "$in" --results "$res" --no-prompt >"$tmp/served" 2>&1 &
review=$!
for _ in $(seq 100); do
  grep -q "open http" "$tmp/served" && break
  sleep 0.1
done
grep -q "open http" "$tmp/served" || { kill $review; fail "the review did not start"; }
before=$(ls -A --full-time "$res" | md5sum)
run --estimate "$in/r1.mat" --out "$res" 2>"$tmp/stderr"
rc=$?
after=$(ls -A --full-time "$res" | md5sum)
kill $review
wait $review
expect_rc $rc 2 "a run beside a review"
grep -qxF "kestrel-host: The results folder '$res' is in use by the review of kestrel-host process $review; wait until it ends, or give another folder." \
  "$tmp/stderr" && [ "$before" = "$after" ] || { cat "$tmp/stderr" >&2; fail "a run beside a review"; }

# (d) r2 reviewed: its second marker moved at the prompt. Then --reviewed,
# with the command line's settings the defaults: r2 keeps its markers,
# windows, history and "saved"; r1 and r6 (NaN samples) keep the settings
# of the first run and "estimated"; r5's results file holds another
# record, so it gets the command line's settings; r3's and r4's hold
# settings the editor cannot have left, so they are refused with the
# reason, their files left as they were.
printf '%s\n' "review open r2" \
  "global psp2 T2; fprintf('T2 %d\n', T2); uipress(psp2, T2, 0); uimove(gcf, 1900, 0); uirelease(gcf, 1900, 0); fprintf('T2 %d\n', T2)" |
  run --review "$in" --results "$res" >"$tmp/review" 2>&1
grep -qx "T2 1300" "$tmp/review" && grep -qx "T2 1900" "$tmp/review" ||
  { cat "$tmp/review" >&2; fail "the marker was not moved in the review"; }
run --eval "load('$res/r3.mat'); T2 = T1 + 10; save('$res/r3.mat', 's', 'T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf');
  load('$res/r4.mat'); Nsmall = 500; save('$res/r4.mat', 's', 'T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf');
  a = load('$res/r1.mat'); load('$res/r5.mat'); s = a.s; save('$res/r5.mat', 's', 'T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf');" ||
  fail "changing the results files"
cp -p "$res/r3.mat" "$tmp/r3-before.mat"
run --estimate "$in"/*.mat --out "$res" --reviewed --jobs 2 2>"$tmp/stderr"
expect_rc $? 1 "the run with --reviewed"
saved_in="the settings saved for it in $res"
[ "$(reason_of "$in/r3.mat")" = "$saved_in/r3.mat cannot be used: the markers 1700, 1710, 2900 are not 50 samples apart." ] &&
  [ "$(reason_of "$in/r4.mat")" = "$saved_in/r4.mat cannot be used: Nsmall = 500 is outside the editor's range 3 to 201." ] &&
  cmp -s "$res/r3.mat" "$tmp/r3-before.mat" || { cat "$tmp/stderr" >&2; fail "--reviewed: the refused ones"; }
check "$res" "r1 estimated 1 400 700 1600 35 151 601 100 1" \
  "r2 saved 2 1000 1900 2200 35 151 601 100 1" \
  "r3 refused $(reason_of "$in/r3.mat")" "r4 refused $(reason_of "$in/r4.mat")" \
  "r5 estimated 1 600 1100 2150 21 101 401 100 0" \
  "r6 estimated 1 800 1100 2000 35 151 601 100 1" \
  "broken refused $(reason_of "$in/broken.mat")"
echo "batch results: ok"
