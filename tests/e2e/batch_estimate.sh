#!/bin/bash
# kestrel-host --estimate over a folder of good and broken records: results
# for exactly the good ones, equal bit for bit to feval('kestrel/pulse_estimate')
# at the prompt and to what the editor shows after loading the record, every
# broken one reported by name with its reason, an exact summary, exit status
# 1, and no temporary file left, also when the run is stopped or killed; a
# result's MAT and CSV files appear together or not at all.
set -u
HOST=$(realpath "$1")
LIB=$(realpath "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
in=$tmp/in
mkdir -p "$in/sub"
run() { "$HOST" --library "$LIB" "$@"; }
folder_files=$(printf '%s\n' .kestrel-lock .kestrel-summary-lock summary.csv)
hidden() { ls -A "$1" | grep '^\.' | grep -vxE '\.kestrel-(summary-)?lock'; }  # the run's own

# 30 good records: columns and rows, longer than 5000 samples or exactly that,
# clicks from early to late (a late one puts T3 past the record's end; a
# record with a click past 3450 is exactly 5000 samples long, as a longer one
# is a recording of that one click); and the edges of what the estimate and
# the editor take: the first and last click, NaN samples, an Inf sample past
# the first 5000, two values only. The broken ones: each thing the editor's
# load or the estimate cannot take.
cat >"$tmp/make.m" <<EOF
for k = 1:30
  cl = 40 + 137 * k;
  n = 5000 + (cl <= 3450) * mod(k, 4) * 700;
  t = (1:n)';
  s = 0.02 * sin(0.37 * k * t) + 0.01 * cos(0.011 * t);
  after = t >= cl;
  s = s + after .* 0.8 .* exp(-(t - cl) / 400) .* sin(2 * pi * (t - cl) / 90);
  if mod(k, 5) == 0
    s = s';
  end
  save(sprintf('$in/r%02d.mat', k), 's', 'cl');
end
w = sin(0.01 * (1:6000)');
s = w; cl = 21; save('$in/r31.mat', 's', 'cl');
s = w(1:5000); cl = 5000; save('$in/r32.mat', 's', 'cl');
s = w; s(3000:3100) = NaN; cl = 1000; save('$in/r33.mat', 's', 'cl');
s = w; s(5500) = Inf; cl = 1000; save('$in/r34.mat', 's', 'cl');
s = NaN(6000, 1); s(10) = 1; s(4000) = -2; cl = 1000; save('$in/r35.mat', 's', 'cl');
s = w; save('$in/no_cl.mat', 's');
s = w(1:4999); cl = 100; save('$in/short.mat', 's', 'cl');
s = w; cl = 20; save('$in/early_click.mat', 's', 'cl');
s = w; cl = 1; save('$in/first_click.mat', 's', 'cl');
s = w; cl = 1000.5; save('$in/half_click.mat', 's', 'cl');
s = w; cl = 4900.5; save('$in/late_half_click.mat', 's', 'cl');
s = w(1:5000); cl = 5001; save('$in/past_click.mat', 's', 'cl');
s = [w w]; cl = [100 200]; save('$in/two_clicks.mat', 's', 'cl');
s = w; cl = 'a'; save('$in/text_click.mat', 's', 'cl');
s = ones(6000, 1); cl = 1000; save('$in/flat.mat', 's', 'cl');
s = NaN(6000, 1); s(10) = 7; cl = 1000; save('$in/one_value.mat', 's', 'cl');
s = NaN(6000, 1); cl = 1000; save('$in/all_nan.mat', 's', 'cl');
s = w; s(3000) = Inf; cl = 1000; save('$in/inf.mat', 's', 'cl');
s = w; s(12) = -Inf; cl = 1000; save('$in/minus_inf.mat', 's', 'cl');
s = w; s(77) = 1.7e308; cl = 1000; save('$in/huge.mat', 's', 'cl');
s = 1.83031203136881 * ones(6000, 1); s(9) = 1.8303120313688102; cl = 1000; save('$in/close.mat', 's', 'cl');
s = w; cl = 100; save('$in/sub/r07.mat', 's', 'cl');
EOF
run "$tmp/make.m" || fail "making the records"
echo "not a MAT file" >"$in/text.mat"
: >"$in/empty.mat"
mkdir "$in/x.mat"
good=$(cd "$in" && ls r??.mat)
bad_records="early_click.mat first_click.mat half_click.mat late_half_click.mat past_click.mat
  two_clicks.mat text_click.mat flat.mat one_value.mat all_nan.mat inf.mat minus_inf.mat huge.mat close.mat"
broken="no_cl.mat short.mat $bad_records text.mat empty.mat x.mat sub/r07.mat missing.mat"

# Usage errors: status 2, the reason, and nothing made.
usage() {
  local expected=$1
  shift
  run "$@" >"$tmp/out" 2>&1
  local rc=$?
  [ $rc -eq 2 ] || { cat "$tmp/out" >&2; fail "'$*' exited with $rc, not 2"; }
  grep -qF -- "$expected" "$tmp/out" || { cat "$tmp/out" >&2; fail "'$*' did not say '$expected'"; }
  [ ! -e "$tmp/never" ] || fail "'$*' made its output folder"
}
f=$in/r01.mat
usage "needs at least one FILE.mat" --estimate --out "$tmp/never"
usage "needs --out DIR" --estimate "$f"
usage "option --out needs a value" --estimate "$f" --out
usage "needs three numbers NS,NM,NL" --estimate "$f" --out "$tmp/never" --windows 21,101
usage "small window is a whole number from 3 to 201, not '2'" --estimate "$f" --out "$tmp/never" --windows 2,101,401
usage "large window is a whole number from 5 to 2001, not '401.5'" --estimate "$f" --out "$tmp/never" --windows 21,101,401.5
usage "--lpoly needs a whole number from 8 to 1000, not 'abc'" --estimate "$f" --out "$tmp/never" --lpoly abc
usage "T2 lies 50 to 4949 samples after the click, not '40'" --estimate "$f" --out "$tmp/never" --markers 40,1000
usage "T3 lies at least 50 samples after T2" --estimate "$f" --out "$tmp/never" --markers 500,520
usage "--jobs needs a whole number from 1 to 256, not '0'" --estimate "$f" --out "$tmp/never" --jobs 0
usage "option --fit takes no value" --estimate "$f" --out "$tmp/never" --fit=1
usage "unknown option --eval for --estimate" --estimate "$f" --out "$tmp/never" --eval 1
usage "--estimate takes no scripts" --eval 1 --estimate "$f" --out "$tmp/never"
usage "medium window is a whole number from 5 to 801, not ''" --estimate "$f" --out "$tmp/never" --windows 21,,401
usage "needs two numbers T2,T3" --estimate "$f" --out "$tmp/never" --markers 500,1550,2000
usage "T3 lies at least 50 samples after T2 and at most 4999" --estimate "$f" --out "$tmp/never" --markers 500,5000
usage "--jobs needs a whole number from 1 to 256, not '257'" --estimate "$f" --out "$tmp/never" --jobs 257
usage "--lpoly needs a whole number from 8 to 1000, not '-5'" --estimate "$f" --out "$tmp/never" --lpoly=-5
usage "--out needs a folder" --estimate "$f" --out=
run --estimate --help | grep -q -- "--markers T2,T3" || fail "--estimate --help"
# After '--' every word is a file; --out=DIR is --out DIR.
run --estimate --out="$tmp/dash" -- "$f" --fit >/dev/null 2>"$tmp/stderr"
grep -q "^kestrel-host: $(printf '%s' '--fit'): " "$tmp/stderr" && [ -f "$tmp/dash/r01.mat" ] ||
  { cat "$tmp/stderr" >&2; fail "'--' and --out="; }

# The run: status 1, one line per broken file naming it, the exact summary.
files=()
for g in $good; do files+=("$in/$g"); done
for b in $broken; do files+=("$in/$b"); done
run --estimate "${files[@]}" --out "$tmp/out1" --jobs 2 >"$tmp/stdout" 2>"$tmp/stderr"
rc=$?
[ $rc -eq 1 ] || { cat "$tmp/stderr" >&2; fail "the run exited with $rc, not 1"; }
ngood=$(echo "$good" | wc -w)
nbroken=$(echo "$broken" | wc -w)
grep -qE "^kestrel-host: $((ngood + nbroken)) files, $ngood written, $nbroken failed; " "$tmp/stderr" ||
  { cat "$tmp/stderr" >&2; fail "summary"; }
[ "$(grep -c "^kestrel-host: $in/" "$tmp/stderr")" -eq "$nbroken" ] ||
  { cat "$tmp/stderr" >&2; fail "not one line per broken file"; }
reason() { grep -F "kestrel-host: $in/$1: " "$tmp/stderr" | grep -qF -- "$2" || { cat "$tmp/stderr" >&2; fail "$1: no '$2'"; }; }
reason no_cl.mat "The record needs 'cl'"
reason short.mat "at least 5000 samples"
# Each record the estimate or the editor's load cannot take, with the reason
# in the record's terms.
click_rule="The record's click 'cl' must be a whole sample number from 21 to 5000, not"
reason early_click.mat "$click_rule 20."
reason first_click.mat "$click_rule 1."
reason half_click.mat "$click_rule 1000.5."
reason late_half_click.mat "$click_rule 4900.5."
reason past_click.mat "$click_rule 5001."
reason two_clicks.mat "The samples 's' of the recording '$in/two_clicks.mat' must be a real vector of numbers."
reason text_click.mat "$click_rule a value of class char."
reason flat.mat "The record's samples 's' are all equal (1) in the first 5000: the editor's plot needs two different values."
reason one_value.mat "The record's samples 's' are all equal (7) in the first 5000"
reason all_nan.mat "The record's samples 's' are all NaN in the first 5000."
reason inf.mat "The record's samples 's' must be finite (or NaN) in the first 5000, but sample 3000 is Inf."
reason minus_inf.mat "but sample 12 is -Inf."
reason huge.mat "too large for the editor's plot, which reaches 1.1 times them: sample 77 is 1.7e+308."
reason close.mat "lie too close together in the first 5000 (from 1.83031203136881 to 1.8303120313688102)"
reason text.mat "text.mat"
reason empty.mat "empty.mat"
reason x.mat "x.mat"
reason sub/r07.mat "would be that of $in/r07.mat too"
reason missing.mat "missing.mat"
[ ! -s "$tmp/stdout" ] || fail "the run printed on standard output"
grep -q $'\r' "$tmp/stderr" && fail "a progress line off a terminal"
# On a terminal, a progress line; the report lines are the same.
script -qec "'$HOST' --library '$LIB' --estimate ${files[*]:0:3} $in/text.mat --out '$tmp/tty'" /dev/null >"$tmp/tty.txt"
[ $? -eq 1 ] && grep -q "\] 4/4 files .* files/s  0:00 left" "$tmp/tty.txt" &&
  grep -q "kestrel-host: $in/text.mat: " "$tmp/tty.txt" || { cat -v "$tmp/tty.txt" >&2; fail "progress line"; }
# Beside the results, the results folder's own files (a review's too).
[ "$(cd "$tmp/out1" && ls -A | sort)" = "$( (echo "$good"; echo "$folder_files") | sort)" ] ||
  { ls -A "$tmp/out1" >&2; fail "the results are not exactly the good records"; }
find "$tmp" -name '*.part' -o -name '*.tmp' -o -name '.kestrel-partial-*' | grep -q . &&
  fail "temporaries left"

# Bit for bit: each result, past the file header (it holds the time of
# writing), is the file `save` writes from feval's estimate of the input
# with the same variables (those of a review's results file among them);
# isequal also names a mismatch plainly.
check_against_feval() {
  local out=$1 ns=$2 nm=$3 nl=$4 lp=$5 pf=$6 a=$7 b=$8
  mkdir -p "$tmp/ref"
  {
    for g in $good; do
      cat <<EOF
clear s cl
load('$in/$g');
s = s(1:5000); T1 = cl; T2 = cl + $a; T3 = cl + $b; Nsmall = $ns; Nmedium = $nm; Nlarge = $nl; Lpoly = $lp; pf = $pf;
estimate = feval('kestrel/pulse_estimate', s, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf);
estimate = reshape(estimate, size(s));
source = '$in/$g'; offset = 0; history = [T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf]; historyAt = 1;
save('$tmp/ref/$g', 's', 'cl', 'T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf', 'estimate', 'source', 'offset', 'history', 'historyAt');
r = load('$out/$g');
n = isnan(estimate);
if ~isequal(isnan(r.estimate), n) || ~isequal(r.estimate(~n), estimate(~n)) || ~isequal(size(r.estimate), size(s)), disp('MISMATCH $g'), end
EOF
    done
    echo "disp('compared')"
  } >"$tmp/ref.m"
  run "$tmp/ref.m" >"$tmp/refout" 2>&1 || { cat "$tmp/refout" >&2; fail "the reference run failed"; }
  grep -q MISMATCH "$tmp/refout" && { cat "$tmp/refout" >&2; fail "estimates differ from feval"; }
  grep -q compared "$tmp/refout" || fail "the reference run did not finish"
  for g in $good; do
    cmp -s -i 128 "$out/$g" "$tmp/ref/$g" || fail "$out/$g is not bit for bit what save writes from feval"
  done
  rm -rf "$tmp/ref"
}
check_against_feval "$tmp/out1" 21 101 401 100 0 500 1550

# What the editor itself shows after loading a record, from its estimate
# line. The batch also takes records the editor refuses to open (a click
# that puts the third marker past the end, NaN samples): --record refuses
# them before the session starts, with the reason.
for g in r03.mat r10.mat r24.mat r31.mat; do
  run --record "$in/$g" --eval "kestrel_figure; uiclick pushbutton1; global ppulse; r = load('$tmp/out1/$g'); a = get(ppulse, 'YData'); a = a(:); b = r.estimate(:); n = isnan(a); if isequal(n, isnan(b)) && isequal(a(~n), b(~n)), disp('same as the editor'), end" \
    2>&1 | grep -q "same as the editor" || fail "$g: the result is not what the editor shows"
done
for g in r32.mat:"The click 'cl' in '$in/r32.mat' must be a whole sample number from 21 to 3450, not 5000" \
  r33.mat:"The samples 's' in '$in/r33.mat' must be finite in the first 5000 (the part the editor shows), but sample 3000 is NaN (and 100 more are not finite)." \
  text.mat:"Unable to read file '$in/text.mat': it is not a MAT file."; do
  run --record "$in/${g%%:*}" --eval "disp('session started')" >"$tmp/out" 2>"$tmp/stderr"
  [ $? -eq 2 ] && ! grep -q "session started" "$tmp/out" && grep -qF "kestrel-host: ${g#*:}" "$tmp/stderr" ||
    { cat "$tmp/out" "$tmp/stderr" >&2; fail "--record ${g%%:*} was not refused with its reason"; }
done

# The click's bounds hold whatever the markers' distances: with the nearest
# and the farthest, the first and the last click are taken and the one
# before the first is refused for that reason.
for m in 50,100 4949,4999; do
  run --estimate "$in/r31.mat" "$in/r32.mat" "$in/early_click.mat" --out "$tmp/markers$m" \
    --markers $m 2>"$tmp/stderr"
  [ $? -eq 1 ] && [ -f "$tmp/markers$m/r31.mat" ] && [ -f "$tmp/markers$m/r32.mat" ] &&
    grep -qxF "kestrel-host: $in/early_click.mat: $click_rule 20." "$tmp/stderr" ||
    { cat "$tmp/stderr" >&2; fail "the click's bounds with --markers $m"; }
done

# Every setting reaches the estimate; CSV results beside the MAT ones.
run --estimate "${files[@]:0:6}" --out "$tmp/out2" --windows 35,151,601 --lpoly 64 --fit \
  --markers 300,1200 --csv --jobs 2 2>"$tmp/stderr" || { cat "$tmp/stderr" >&2; fail "the run with settings"; }
good_all=$good
good=$(cd "$in" && ls r0[1-6].mat)
check_against_feval "$tmp/out2" 35 151 601 64 1 300 1200
good=$good_all
[ "$(grep -c '^[0-9]' "$tmp/out2/r01.csv")" -eq 5000 ] || fail "r01.csv does not hold 5000 samples"
grep -qx "# Nsmall,35" "$tmp/out2/r01.csv" && grep -qx "# pf,1" "$tmp/out2/r01.csv" &&
  grep -qx "# T2,$((177 + 300))" "$tmp/out2/r01.csv" || fail "r01.csv settings"

# A result never replaces its own input.
cp "$in/r01.mat" "$tmp/self.mat"
run --estimate "$tmp/self.mat" --out "$tmp" 2>"$tmp/stderr"
[ $? -eq 1 ] && grep -qF "would replace the file itself" "$tmp/stderr" || fail "a result replaced its input"

# A folder in the way of a result fails that input, and its CSV file goes too.
mkdir -p "$tmp/inway/r01.mat"
run --estimate "$in/r01.mat" "$in/r02.mat" --out "$tmp/inway" --csv 2>"$tmp/stderr"
[ $? -eq 1 ] && grep -qF "$in/r01.mat: Unable to write 'r01.mat': Is a directory." "$tmp/stderr" &&
  [ "$(ls "$tmp/inway" | tr '\n' ' ')" = "r01.mat r02.csv r02.mat summary.csv " ] || fail "a folder in the way"

# Stopped by SIGTERM: the run ends by that signal, leaves no temporary, and
# every result it wrote is whole. Killed outright (SIGKILL), it leaves only
# its hidden folder, never a partial result.
mkdir "$tmp/many"
python3 -c "import os, sys; [os.link(sys.argv[1], '%s/m%d.mat' % (sys.argv[2], k)) for k in range(1, 1201)]" \
  "$in/r02.mat" "$tmp/many"
whole() {  # every result in the folder reads back with its 5000-sample estimate
  local dir=$1
  for r in "$dir"/*.mat; do echo "r = load('$r'); if length(r.estimate) ~= 5000, disp('PARTIAL $r'), end"; done >"$tmp/whole.m"
  echo "disp('read')" >>"$tmp/whole.m"
  run "$tmp/whole.m" >"$tmp/wholeout" 2>&1
  grep -qx read "$tmp/wholeout" && ! grep -q PARTIAL "$tmp/wholeout" || { head "$tmp/wholeout" >&2; false; }
}
for sig in TERM KILL; do
  "$HOST" --library "$LIB" --estimate "$tmp/many"/*.mat --out "$tmp/stop$sig" --jobs 2 2>"$tmp/stderr" &
  pid=$!
  # Stop it once it has written a result, however slow this build starts.
  for _ in $(seq 600); do
    ls "$tmp/stop$sig" 2>/dev/null | grep -q '\.mat$' && break
    sleep 0.05
  done
  kill -$sig $pid
  { wait $pid; } 2>/dev/null
  rc=$?
  sleep 0.2  # the workers of a killed run end with it
  case $sig in
    TERM) [ $rc -eq 143 ] || fail "SIGTERM: exit status $rc, not 143"
          grep -q "not done (stopped by Terminated)" "$tmp/stderr" || fail "SIGTERM: no summary"
          [ -z "$(hidden "$tmp/stopTERM")" ] || fail "SIGTERM left temporaries" ;;
    KILL) [ $rc -eq 137 ] || fail "SIGKILL: exit status $rc, not 137"
          [ -z "$(ls -A "$tmp/stopKILL" | grep -v '^\.kestrel-partial-' | grep -vxE 'm[0-9]*\.mat|\.kestrel-lock')" ] ||
            fail "SIGKILL left something beside its results and its hidden folder" ;;
  esac
  n=$(ls "$tmp/stop$sig" | grep -c '\.mat$')
  [ "$n" -gt 0 ] && [ "$n" -lt 1200 ] || fail "SIG$sig: $n results, not some of the 1200"
  whole "$tmp/stop$sig" || fail "SIG$sig: a result is not whole"
done
# A worker that dies fails the file it was on, with the reason; another
# worker takes over and the run finishes every other file.
"$HOST" --library "$LIB" --estimate "$tmp/many"/m?.mat "$tmp/many"/m??.mat "$tmp/many"/m[1-3]??.mat \
  --out "$tmp/crash" --jobs 2 2>"$tmp/stderr" &
pid=$!
worker=
for _ in $(seq 100); do
  worker=$(pgrep -P $pid | head -1)
  [ -n "$worker" ] && break
  sleep 0.01
done
[ -n "$worker" ] || fail "no worker process seen"
sleep 0.1
kill -KILL "$worker"
wait $pid
rc=$?
if grep -q " 1 failed" "$tmp/stderr"; then
  [ $rc -eq 1 ] || fail "a killed worker: exit status $rc, not 1"
  grep -q "^kestrel-host: 399 files, 398 written, 1 failed" "$tmp/stderr" || fail "a killed worker: summary"
  grep -q ": its worker process was killed by signal 9 (Killed)$" "$tmp/stderr" ||
    { cat "$tmp/stderr" >&2; fail "a killed worker: no reason"; }
else  # it was killed between two files
  grep -q "^kestrel-host: 399 files, 399 written, 0 failed" "$tmp/stderr" || fail "a killed worker: summary"
fi
[ "$(ls "$tmp/crash" | grep -c '\.mat$')" -eq "$(grep -oE '[0-9]+ written' "$tmp/stderr" | cut -d' ' -f1)" ] ||
  fail "a killed worker: results and summary disagree"

# A run into the same folder afterwards completes and removes the killed
# run's hidden folder, but leaves alone one whose run still lives (it holds
# the folder's lock) and one without a lock (a run just starting).
mkdir "$tmp/stopKILL/.kestrel-partial-live" "$tmp/stopKILL/.kestrel-partial-new"
: >"$tmp/stopKILL/.kestrel-partial-live/lock"
flock "$tmp/stopKILL/.kestrel-partial-live/lock" sleep 30 &
locker=$!
sleep 0.2
run --estimate "$tmp/many"/m1*.mat --out "$tmp/stopKILL" 2>/dev/null || fail "the run after a killed one"
kill $locker
whole "$tmp/stopKILL" || fail "a result after the killed run is not whole"
[ "$(hidden "$tmp/stopKILL" | sort | tr '\n' ' ')" = ".kestrel-partial-live .kestrel-partial-new " ] ||
  { hidden "$tmp/stopKILL" >&2; fail "the hidden folders after the run that followed a killed one"; }

# A result's two files appear together or not at all. The batch's test hook
# stops a run between the two renames of r03's result, CSV file first: its
# main process asked to stop (term-run), the worker killed outright
# (kill-worker), the whole run killed outright (kill-run); and a worker
# killed once both files are in place, before the run has its report
# (kill-worker-placed: the result is written all the same). An earlier run's
# results with other windows are in the folder. After the run, and after
# the next one into the folder, no CSV file is without its MAT file, and
# none is beside a MAT file of another run (their Nsmall differ).
pairs=$(for k in 1 2 3 4 5 6; do echo "$in/r0$k.mat"; done)
pairs_match() {  # DIR: every NAME.csv has a NAME.mat with the same Nsmall; prints NAME Nsmall
  local dir=$1
  for c in "$dir"/*.csv; do
    [ "$c" = "$dir/summary.csv" ] && continue
    local n=${c%.csv}
    [ -f "$n.mat" ] || { echo "lone $c" >&2; return 1; }
    echo "r = load('$n.mat'); fprintf('%s %d\n', '$(basename "$n")', r.Nsmall);"
  done >"$tmp/pairs.m"
  run "$tmp/pairs.m" >"$tmp/pairs.out" 2>&1 || { cat "$tmp/pairs.out" >&2; return 1; }
  for c in "$dir"/*.csv; do
    [ "$c" = "$dir/summary.csv" ] && continue
    local n=$(basename "${c%.csv}")
    grep -qx "$n $(sed -n 's/^# Nsmall,//p' "$c")" "$tmp/pairs.out" ||
      { echo "$n.csv and $n.mat are of different runs" >&2; return 1; }
  done
  cat "$tmp/pairs.out"
}
for how in term-run kill-worker kill-worker-placed kill-run; do
  d=$tmp/pair-$how
  run --estimate $pairs --out "$d" --csv 2>/dev/null || fail "$how: the first run"
  KESTREL_TEST_PUBLISH_STOP=r03:$how "$HOST" --library "$LIB" --estimate $pairs --out "$d" --csv \
    --windows 35,151,601 --jobs 2 2>"$tmp/stderr"
  rc=$?
  case $how in
    term-run) [ $rc -eq 143 ] ;;
    kill-worker*) [ $rc -eq 0 ] && grep -q "^kestrel-host: 6 files, 6 written, 0 failed" "$tmp/stderr" ;;
    kill-run) [ $rc -eq 137 ] ;;
  esac || { cat "$tmp/stderr" >&2; fail "$how: exit status $rc or summary"; }
  sleep 0.2  # the workers of a killed run end with it
  if [ $how != kill-run ]; then
    pairs_match "$d" >"$tmp/match" || fail "$how: a result is half there after the run"
    grep -qx "r03 35" "$tmp/match" || fail "$how: r03 is not the stopped run's"
    # The summary counts what the run wrote.
    [ "$(grep -c ' 35$' "$tmp/match")" -eq "$(grep -oE '[0-9]+ written' "$tmp/stderr" | cut -d' ' -f1)" ] ||
      { cat "$tmp/stderr" "$tmp/match" >&2; fail "$how: results and summary disagree"; }
    # So does summary.csv, r03's row too (its worker killed, it was
    # completed by the run).
    [ "$(awk -F, 'NR > 1 { print $1, $8, $13 }' "$d/summary.csv")" = "$(sed 's/$/ estimated/' "$tmp/match")" ] ||
      { cat "$d/summary.csv" "$tmp/match" >&2; fail "$how: summary.csv does not say what the results hold"; }
  fi
  run --estimate "$in/r10.mat" --out "$d" --csv 2>/dev/null || fail "$how: the next run"
  pairs_match "$d" >"$tmp/match" || fail "$how: a result is half there after the next run"
  grep -qx "r03 35" "$tmp/match" || fail "$how: r03 was not completed"
  [ -z "$(hidden "$d")" ] || fail "$how: hidden files left"
done
# A result without CSV removes an earlier run's NAME.csv, which is no longer
# that of the new NAME.mat.
run --estimate "$in/r01.mat" --out "$tmp/pair-kill-run" 2>/dev/null &&
  [ -f "$tmp/pair-kill-run/r01.mat" ] && [ ! -e "$tmp/pair-kill-run/r01.csv" ] &&
  [ -f "$tmp/pair-kill-run/r02.csv" ] || fail "an older CSV file stayed beside a new result"
echo "batch estimate: ok"
