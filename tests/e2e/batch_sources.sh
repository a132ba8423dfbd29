#!/bin/bash
# The batch over long recordings: a MAT recording with a vector of clicks,
# the same samples as a 16-bit WAV with its click list beside it (and as
# channel 2 of a stereo WAV with its list named on the command line), and a
# folder of the same records stored one per file. Every record's result is
# the same bit for bit from all of them; the bad entries of the lists are
# reported by line or entry, a click too near the end is a refused record;
# summary.csv says where each record lies in its source; --reviewed keeps a
# cut's saved settings.
. "$(dirname "$0")/common.bash"
run() { "$HOST" --library "$LIB" "$@"; }
py=/usr/bin/python3

# 120000 samples of 16-bit sound: noise and a decaying pulse at each click.
# The clicks: 600 and 117500 near the ends (their cuts shift to stay
# inside), 119000 too near the end for the editor's markers, and bad
# entries: NaN (text in the list), a fraction, a repeat, one past the end.
$py - "$tmp" <<'EOF' || fail "making the recordings"
import os, sys
import numpy as np, scipy.io, wave
d = sys.argv[1]
n = 120000
rng = np.random.default_rng(7)
x = rng.normal(0, 200, n)
t = np.arange(1, n + 1)
for c, period in [(600, 70), (1200, 90), (20000, 60), (50000, 110), (80000, 80), (117500, 95), (119000, 75)]:
    after = t >= c
    x += after * 9000 * np.exp(-(t - c) * after / 400.0) * np.sin(2 * np.pi * (t - c) * after / period)
x = np.clip(np.round(x), -32768, 32767).astype(np.int16)
entries = [600, 1200, 'NaN', 20000, 35000.5, 50000, 50000, 80000, 117500, 119000, 200000]
cl = np.array([float('nan') if e == 'NaN' else e for e in entries], dtype=float)
scipy.io.savemat(os.path.join(d, 'long.mat'), {'s': (x / 32768.0).reshape(-1, 1), 'cl': cl.reshape(1, -1)})
def write(name, frames, channels):
    with wave.open(os.path.join(d, name), 'wb') as w:
        w.setnchannels(channels); w.setsampwidth(2); w.setframerate(96000)
        w.writeframes(frames.astype('<i2').tobytes())
write('long.wav', x, 1)
write('stereo.wav', np.stack([-x // 2, x], axis=1).reshape(-1), 2)
lines = ['# clicks of long.wav', 'sample,score']
for e in entries:
    lines.append(('n/a' if e == 'NaN' else ('%g' % e if e != int(e) else '%d' % e)) + ',0.5')
    if e == 20000:
        lines += ['', '# a note in between']
text = '\r\n'.join(lines) + '\r\n'
open(os.path.join(d, 'long.clicks.csv'), 'w', newline='').write(text)
open(os.path.join(d, 'detections.csv'), 'w', newline='').write(text)
# The same records one per file: s the cut, cl the click in it.
os.mkdir(os.path.join(d, 'folder'))
for k, (c, off) in {1: (600, 0), 2: (1200, 199), 4: (20000, 18999), 6: (50000, 48999),
                    8: (80000, 78999), 9: (117500, 115000)}.items():
    scipy.io.savemat(os.path.join(d, 'folder', 'long-c%02d.mat' % k),
                     {'s': (x[off:off + 5000] / 32768.0).reshape(-1, 1), 'cl': float(c - off)})
np.save(os.path.join(d, 'x.npy'), x)
EOF

# Usage: --clicks goes with a single sound file; --channel is a number.
for u in "--clicks $tmp/detections.csv $tmp/long.wav $tmp/stereo.wav:--clicks is the click list of a single sound file, and 2 files are given" \
  "--clicks $tmp/detections.csv $tmp/long.mat:--clicks is the click list of a sound file (.wav, .flac, .aiff, ...), and '$tmp/long.mat' is not one" \
  "--channel 0 $tmp/long.wav:--channel needs a whole number from 1 to 1024, not '0'"; do
  run --estimate ${u%%:*} --out "$tmp/never" >/dev/null 2>"$tmp/stderr"
  rc=$?
  [ $rc -eq 2 ] && grep -qF -- "kestrel-host: ${u#*:}" "$tmp/stderr" && [ ! -e "$tmp/never" ] ||
    { cat "$tmp/stderr" >&2; fail "usage '${u%%:*}': status $rc"; }
done

# The three runs.
run --estimate "$tmp/long.mat" --out "$tmp/out-mat" --jobs 2 2>"$tmp/mat.err"
[ $? -eq 1 ] || { cat "$tmp/mat.err" >&2; fail "the MAT recording: status not 1"; }
run --estimate "$tmp/long.wav" --out "$tmp/out-wav" --jobs 2 --csv 2>"$tmp/wav.err"
[ $? -eq 1 ] || { cat "$tmp/wav.err" >&2; fail "the WAV: status not 1"; }
run --estimate "$tmp/stereo.wav" --clicks "$tmp/detections.csv" --channel 2 --out "$tmp/out-stereo" 2>"$tmp/stereo.err"
[ $? -eq 1 ] || { cat "$tmp/stereo.err" >&2; fail "the stereo WAV: status not 1"; }
# A channel the file lacks refuses it whole, under its own name.
run --estimate "$tmp/stereo.wav" --clicks "$tmp/detections.csv" --channel 3 --out "$tmp/out-third" 2>"$tmp/third.err"
[ $? -eq 1 ] && grep -qxF "kestrel-host: $tmp/stereo.wav: Unable to read the sound file '$tmp/stereo.wav': it has 2 channels, and channel 3 was asked for." "$tmp/third.err" &&
  grep -q "^stereo,$tmp/stereo.wav,0,,,,,,,,,,refused,\"Unable to read the sound file" "$tmp/out-third/summary.csv" ||
  { cat "$tmp/third.err" "$tmp/out-third/summary.csv" >&2; fail "channel 3 of a stereo file"; }
run --estimate "$tmp"/folder/*.mat --out "$tmp/out-folder" 2>"$tmp/folder.err" ||
  { cat "$tmp/folder.err" >&2; fail "the folder of records"; }
grep -q "^kestrel-host: 6 files, 6 written, 0 failed; " "$tmp/folder.err" || fail "the folder's summary"

# The report of each recording: its bad entries by number, the refused click
# by its place in the list, the summary counting records and clicks.
report() {  # FILE ERR: the lines expected, in order, and nothing else
  local file=$1 err=$2
  shift 2
  printf '%s\n' "$@" >"$tmp/want"
  grep -v '^kestrel-host: 1 file (7 records), 6 written, 1 failed, 4 clicks left out; ' "$err" >"$tmp/got"
  diff "$tmp/want" "$tmp/got" >&2 || fail "$file: the report"
  grep -q '^kestrel-host: 1 file (7 records), 6 written, 1 failed, 4 clicks left out; ' "$err" ||
    { cat "$err" >&2; fail "$file: the summary"; }
}
near_end="The click at sample 119000 is too near the end of the source: a record needs 1550 samples after its click (the editor's last marker stands there), and there are 1000."
report long.mat "$tmp/mat.err" \
  "kestrel-host: $tmp/long.mat: entry 3 of 'cl': NaN is not a sample number" \
  "kestrel-host: $tmp/long.mat: entry 5 of 'cl': 35000.5 is not a whole sample number" \
  "kestrel-host: $tmp/long.mat: entry 7 of 'cl': 50000 repeats the click of entry 6" \
  "kestrel-host: $tmp/long.mat: entry 11 of 'cl': 200000 is beyond the end of the source (its last sample is 120000)" \
  "kestrel-host: $tmp/long.mat #10: $near_end"
for w in long:wav:long.clicks.csv stereo:stereo:detections.csv; do
  IFS=: read -r name err list <<<"$w"
  list=$tmp/$list
  report "$name.wav" "$tmp/$err.err" \
    "kestrel-host: $tmp/$name.wav: line 5 of $list: 'n/a' is not a sample number" \
    "kestrel-host: $tmp/$name.wav: line 9 of $list: 35000.5 is not a whole sample number" \
    "kestrel-host: $tmp/$name.wav: line 11 of $list: 50000 repeats the click of line 10" \
    "kestrel-host: $tmp/$name.wav: line 15 of $list: 200000 is beyond the end of the source (its last sample is 120000)" \
    "kestrel-host: $tmp/$name.wav #10: $near_end"
done

# Bit for bit the same records and estimates from all four; each result and
# summary.csv row says where its record lies in its source.
$py - "$tmp" <<'EOF' || fail "the results differ between the sources"
import csv, os, sys
import numpy as np, scipy.io
d = sys.argv[1]
x = np.load(os.path.join(d, 'x.npy'))
cuts = {1: (600, 0), 2: (1200, 199), 4: (20000, 18999), 6: (50000, 48999), 8: (80000, 78999), 9: (117500, 115000)}
settings = ['T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf']
def bad(why):
    sys.exit(why)
for out, src in [('out-mat', 'long.mat'), ('out-wav', 'long.wav'), ('out-stereo', 'stereo.wav'), ('out-folder', None)]:
    folder = os.path.join(d, out)
    stem = src[:-4] if src else 'long'
    files = sorted(f for f in os.listdir(folder) if f.endswith('.mat'))
    want = ['%s-c%02d.mat' % (stem, k) for k in sorted(cuts)]
    if files != want:
        bad('%s holds %s, not %s' % (out, files, want))
    with open(os.path.join(folder, 'summary.csv'), newline='') as f:
        rows = {r['name']: r for r in csv.DictReader(f)}
    expected_rows = ['%s-c%02d' % (stem, k) for k in sorted(cuts)] + ([] if src is None else [stem + '-c10'])
    if sorted(rows) != sorted(expected_rows):
        bad('%s: summary.csv rows %s' % (out, sorted(rows)))
    for k, (c, off) in cuts.items():
        name = '%s-c%02d' % (stem, k)
        m = scipy.io.loadmat(os.path.join(folder, name + '.mat'))
        ref = scipy.io.loadmat(os.path.join(d, 'out-folder', 'long-c%02d.mat' % k))
        cut = x[off:off + 5000] / 32768.0
        r = rows[name]
        source = os.path.join(d, src) if src else os.path.join(d, 'folder', name + '.mat')
        where = (off, c) if src else (0, c - off)
        checks = {
            'the record': np.array_equal(m['s'].ravel(), cut) and m['s'].shape == (5000, 1),
            'the estimate': np.array_equal(m['estimate'], ref['estimate']) and m['estimate'].shape == (5000, 1),
            'the settings': all(m[s].item() == ref[s].item() for s in settings) and m['T1'].item() == c - off
                            and m['cl'].item() == c - off,
            'the source': str(m['source'][0]) == source and r['source'] == source,
            'the offset and click': (m['offset'].item(), float(r['offset']), float(r['click'])) == (where[0], where[0], where[1]),
            'the row': r['state'] == 'estimated' and [float(r[s]) for s in settings] == [m[s].item() for s in settings],
        }
        for what, ok in checks.items():
            if not ok:
                bad('%s/%s: %s differs' % (out, name, what))
    if src:
        r = rows[stem + '-c10']
        if (r['state'], r['click'], r['T1']) != ('refused', '119000', '') or 'too near the end' not in r['reason'] \
                or r['source'] != os.path.join(d, src):
            bad('%s: the refused row %s' % (out, r))
EOF
[ "$(grep -c '^[0-9]' "$tmp/out-wav/long-c04.csv")" -eq 5000 ] || fail "long-c04.csv"

# --reviewed: a cut whose results hold other markers (as a review left them)
# keeps them, matched by its name and samples; the others are estimated
# again as before.
run --eval "load('$tmp/out-mat/long-c04.mat'); T2 = T1 + 700; history = [T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf]; save('$tmp/out-mat/long-c04.mat', 's', 'cl', 'T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf', 'estimate', 'source', 'offset', 'history', 'historyAt');" ||
  fail "changing a result"
run --estimate "$tmp/long.mat" --out "$tmp/out-mat" --reviewed 2>/dev/null
[ $? -eq 1 ] || fail "--reviewed: status"
awk -F, '$1 == "long-c04" || $1 == "long-c06" { print $1, $4, $5, $6, $13 }' "$tmp/out-mat/summary.csv" >"$tmp/kept"
printf '%s\n' "long-c04 20000 1001 1701 estimated" "long-c06 50000 1001 1501 estimated" | diff - "$tmp/kept" >&2 ||
  fail "--reviewed did not keep the cut's saved markers"
echo "batch sources: ok"
