#!/bin/bash
# The polynomial road through the command window: fits, evaluations,
# condition and norm estimates, the text helpers and the pulse estimate, and
# nothing stays alive after any of the calls, failing ones included (also the
# errors that the estimator's gate catches and reports).
. "$(dirname "$0")/common.bash"

"$HOST" --library "$LIB" --check-leaks "$here/poly_leaks.m" >"$tmp/out" 2>&1
rc=$?
[ $rc -eq 0 ] || { cat "$tmp/out" >&2; fail "script run exited with $rc"; }
grep -A2 "pa_rows" "$tmp/out" | grep -q "300" || { cat "$tmp/out" >&2; fail "piecefit size"; }
grep -A2 "pe_rows" "$tmp/out" | grep -q "3000" || { cat "$tmp/out" >&2; fail "estimate size"; }
grep -q "No iteration - norm computed exactly." "$tmp/out" || { cat "$tmp/out" >&2; fail "trace"; }

# Each failure on its own: it must fail (1), not leak (3).
for text in "polyfit(1:3, (1:3)', 1)" "polyfit(1:3, {1, 2, 3}, 1)" \
            "condest(eye(3), 1.5)" "normest1(@int2str)" "normest1(eye(6), 2, ones(6, 3))" \
            "feval('kestrel/piecefit_mod', 1:10, Inf, 2)"; do
  "$HOST" --library "$LIB" --check-leaks --eval "$text" >"$tmp/out" 2>&1
  rc=$?
  [ $rc -eq 1 ] || { cat "$tmp/out" >&2; fail "'$text' exited with $rc"; }
done
echo "poly leaks: ok"
