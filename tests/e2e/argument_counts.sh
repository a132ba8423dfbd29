#!/bin/bash
# Calls with too many inputs or outputs fail with the function's own message
# on the error stream and a failing exit status.
set -u
HOST=$1
LIB=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

check() {  # text expected-stderr
  local err rc
  err=$("$HOST" --library "$LIB" --eval "$1" 2>&1 >/dev/null)
  rc=$?
  [ $rc -eq 1 ] || fail "'$1' exited with $rc"
  [ "$err" = "$2" ] || fail "'$1' printed: $err"
}

check "rot90(1,2,3)" \
  '??? Run-time Error: File: rot90 Line: 1 Column: 1 The function "rot90" was called with more than the declared number of inputs (2).'
check "[a,b] = nargchk(1,2,3)" \
  '??? Run-time Error: File: nargchk Line: 1 Column: 1 The function "nargchk" was called with more than the declared number of outputs (1).'
echo "argument counts: ok"
