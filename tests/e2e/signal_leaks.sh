#!/bin/bash
# The signal chain through the command window: the TPSW local functions are
# reachable by feval, and nothing stays alive after any of the calls,
# failing ones included.
. "$(dirname "$0")/common.bash"

"$HOST" --library "$LIB" --check-leaks "$here/signal_leaks.m" >"$tmp/out" 2>&1
rc=$?
[ $rc -eq 0 ] || { cat "$tmp/out" >&2; fail "script run exited with $rc"; }
grep -A2 "tpswma_rows" "$tmp/out" | grep -q "3000" || { cat "$tmp/out" >&2; fail "tpswma size"; }
grep -A2 "splice_rows" "$tmp/out" | grep -q "3000" || { cat "$tmp/out" >&2; fail "splice size"; }

# Each failure on its own: it must fail (1), not leak (3).
for text in "feval('kestrel/tpswma', 1:10, 20, 2, 1, 2)" \
            "feval('kestrel/splice_tpsw', (1:3000)', 5, [20 60 200], [100 300])" \
            "feval('kestrel/splice_tpsw', (1:3000)', 500, 20, [100 300])" \
            "filter2(1, 2, '')" "hanning(4, 'q')" "hanning(-3)" "mod(1i, 2)" \
            "flipud(zeros(1, 2, 3))" "repmat(3)"; do
  "$HOST" --library "$LIB" --check-leaks --eval "$text" >"$tmp/out" 2>&1
  rc=$?
  [ $rc -eq 1 ] || { cat "$tmp/out" >&2; fail "'$text' exited with $rc"; }
done
echo "signal leaks: ok"
