#!/bin/bash
# Command-line handling: help, bad options, a library that cannot be loaded,
# the library taken from the environment, and the exit status of scripts.
. "$(dirname "$0")/common.bash"

"$HOST" --help | grep -q "^Usage: kestrel-host" || fail "--help"

"$HOST" --no-such-option >/dev/null 2>"$tmp/err"
[ $? -eq 2 ] || fail "bad option status"
grep -q "unknown option --no-such-option" "$tmp/err" || fail "bad option message"

"$HOST" --library "$tmp/missing.so" --eval "1" >/dev/null 2>"$tmp/err"
[ $? -eq 2 ] || fail "missing library status"
grep -qF "Cannot load library '$tmp/missing.so'" "$tmp/err" || fail "missing library message"

KESTREL_LIBRARY="$LIB" "$HOST" --describe | grep -q "Functions: 28" || fail "KESTREL_LIBRARY"
KESTREL_LIBRARY="$tmp/missing.so" "$HOST" --library "$LIB" --describe >/dev/null ||
  fail "--library does not win over KESTREL_LIBRARY"

# Scripts run in order; the first failing one decides the status.
printf 'x = 1;\n' >"$tmp/good.m"
printf 'rot90(1,2,3)\n' >"$tmp/bad.m"
"$HOST" --library "$LIB" "$tmp/good.m" >/dev/null 2>&1 || fail "good script failed"
"$HOST" --library "$LIB" "$tmp/good.m" "$tmp/bad.m" >/dev/null 2>&1
[ $? -eq 1 ] || fail "bad script status"
"$HOST" --library "$LIB" "$tmp/nothing.m" >/dev/null 2>&1
[ $? -eq 1 ] || fail "missing script status"

# The interactive prompt reads standard input until its end.
echo "y = 2" | "$HOST" --library "$LIB" >"$tmp/out" 2>&1 || fail "prompt status"
grep -q "y =" "$tmp/out" || fail "prompt did not run the line"
echo "options: ok"
