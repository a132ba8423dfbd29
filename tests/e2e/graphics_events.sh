#!/bin/bash
# Failing callbacks in the middle of a script of events: each failure is
# reported, the next event runs, and no array leaks.
. "$(dirname "$0")/common.bash"

"$HOST" --library "$LIB" --check-leaks "$here/graphics_events.m" >"$tmp/out" 2>"$tmp/err"
rc=$?
[ $rc -eq 0 ] || { cat "$tmp/out" "$tmp/err" >&2; fail "script run exited with $rc"; }
grep -q "??? Index exceeds matrix dimensions." "$tmp/err" || { cat "$tmp/err" >&2; fail "press error"; }
[ "$(grep -c "??? Vector must have 4, 6, or 8 elements." "$tmp/err")" -eq 2 ] ||
  { cat "$tmp/err" >&2; fail "motion errors"; }
grep -q "??? Unknown command option 'nonsense'" "$tmp/err" || { cat "$tmp/err" >&2; fail "release error"; }
grep -A2 "events_count" "$tmp/out" | grep -q "112" || { cat "$tmp/out" >&2; fail "event count"; }
grep -A2 "callback_object" "$tmp/out" | grep -q " 1$" || { cat "$tmp/out" >&2; fail "gcbo"; }
grep -A2 "after" "$tmp/out" | grep -q "\[\]" || { cat "$tmp/out" >&2; fail "CallbackObject restored"; }
echo "graphics events: ok"
