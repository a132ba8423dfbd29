#!/bin/bash
# A thousand mixed events on the pulse editor, failing callbacks among them:
# the markers stay in order and nothing leaks.
. "$(dirname "$0")/common.bash"

"$HOST" --library "$LIB" --check-leaks "$here/editor_session.m" >"$tmp/out" 2>"$tmp/err"
rc=$?
[ $rc -eq 0 ] || { tail -20 "$tmp/out" "$tmp/err" >&2; fail "session exited with $rc"; }
grep -A2 "markers_in_order" "$tmp/out" | grep -q " 1$" || { tail "$tmp/out" >&2; fail "markers"; }
grep -q "??? Input argument 'action' is undefined." "$tmp/err" || fail "library callback error"
grep -q "??? Vector must have 4, 6, or 8 elements." "$tmp/err" || fail "axis callback error"
echo "editor session: ok ($(grep -c '???' "$tmp/err") failing callbacks reported)"
