#!/bin/bash
# kestrel-host --describe reports the descriptor: version, counts, every
# function row with its codes, the globals in order and the init/term rows.
set -u
HOST=$1
LIB=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$HOST" --library "$LIB" --describe) || fail "--describe exited with $?"

expect() { grep -qF -- "$1" <<<"$out" || fail "missing: $1"; }
expect "Version: MATLAB R12 native"
expect "Functions: 28"
expect "Globals: 14"
expect "Paths: 0"
expect "Init/term rows: 29"

# Function rows: name, input code, outputs.
row() {
  grep -qE "^ *[0-9]+ +$1 +in $2 .*out $3\$" <<<"$out" || fail "function row $1 $2 $3"
}
row kestrel 1 0
row axis "-1 \(varargin\)" 3
row filter2 3 1
row hanning "-1 \(varargin\)" 1
row polyval 4 2
row signal/private/check_order 1 3
row strvcat "-1 \(varargin\)" 1
row normest1 "-4 \(3 named \+ varargin\)" 4
[ "$(grep -cE '^ *[0-9]+ [a-z]' <<<"$out")" -ge 28 ] || fail "fewer than 28 function rows"

# Local functions are listed under their module.
grep -qE '^ {7}loadpulse +in 0 +out 0$' <<<"$out" || fail "local function loadpulse"

# Globals in table order.
globals=$(sed -n '/^Globals (in table order):/,/^$/p' <<<"$out" | awk 'NF==2 {print $2}' | tr '\n' ' ')
[ "$globals" = "Lpoly Nlarge Nmedium Nsmall T1 T2 T3 pf ppulse pseg psp1 psp2 psp3 seg " ] ||
  fail "globals: $globals"

# Init/term rows: the host's run-time first, then every module in order.
expect "  0 libmatlbmxInitialize / libmatlbmxTerminate  [host run-time]"
grep -qE '^ +1 .* +\[module kestrel\]$' <<<"$out" || fail "row 1 is not kestrel"
grep -qE '^ +28 .* +\[module normest1\]$' <<<"$out" || fail "row 28 is not normest1"
echo "describe: ok"
