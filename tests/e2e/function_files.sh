#!/bin/bash
# A script run by kestrel-host calls a function file on the data path that
# has a subfunction and takes an anonymous function; an error two files
# deep is reported with the place in each file.
source "$(dirname "$0")/common.bash"

mkdir -p "$tmp/lib"
cat >"$tmp/lib/smooth_sum.m" <<'M'
function [total, n] = smooth_sum(f, x)
% f applied to each element of x, then summed
n = numel(x);
total = 0;
for k = 1:n
  total = total + weight(k) * f(x(k));
end
function w = weight(k)
w = 1 / k;
M
cat >"$tmp/lib/checked.m" <<'M'
function checked(x)
if x < 0
  error('negative input');
end
M
cat >"$tmp/lib/wrapper.m" <<'M'
function wrapper(x)
checked(x);
M
cat >"$tmp/main.m" <<'M'
scale = 2;
g = @(v) scale * v .^ 2
[t, n] = smooth_sum(g, [1 2 3])
h = @smooth_sum;
u = h(@(v) v, [4 4])
M

out=$("$HOST" --library "$LIB" --path "$tmp/lib" "$tmp/main.m" 2>&1) || fail "main.m exited with $?: $out"
expected=$(printf '%s\n' 'g = ' '' '    @(v) scale * v .^ 2' '' 't =' '' '    12' '' \
  'n =' '' '     3' '' 'u =' '' '     6')
[ "$out" = "$expected" ] || fail "main.m printed: $out"

err=$("$HOST" --library "$LIB" --path "$tmp/lib" --eval "wrapper(-1)" 2>&1 >/dev/null)
[ $? -eq 1 ] || fail "wrapper(-1) did not fail"
expected='??? negative input
??? Error in ==> checked.m at line 3
??? Error in ==> wrapper.m at line 2'
[ "$err" = "$expected" ] || fail "wrapper(-1) printed: $err"
# The library's normest1 calls the handles it is given: an anonymous
# function and a handle to a function file.
cat >"$tmp/lib/apply_a.m" <<'M'
function y = apply_a(flag, x, A)
switch flag
  case 'dim'
    y = size(A, 1);
  case 'real'
    y = 1;
  case 'notransp'
    y = A * x;
  case 'transp'
    y = A' * x;
end
M
out=$("$HOST" --library "$LIB" --path "$tmp/lib" --eval \
  "A = [1 2 0 4; 3 -1 2 2; 0 5 1 1; 2 2 2 -3]; ok = normest1(@(f, x) apply_a(f, x, A)) == normest1(A) && normest1(@apply_a, 2, [], A) == normest1(A); disp(ok)" 2>&1)
[ "$out" = "     1" ] || fail "normest1 with handles printed: $out"

# A script run from the command line names its own line as well.
printf 'a = 1;\nwrapper(-a);\n' >"$tmp/run_it.m"
err=$("$HOST" --library "$LIB" --path "$tmp/lib" "$tmp/run_it.m" 2>&1 >/dev/null)
expected='??? negative input
??? Error in ==> checked.m at line 3
??? Error in ==> wrapper.m at line 2
??? Error in ==> run_it.m at line 2'
[ "$err" = "$expected" ] || fail "run_it.m printed: $err"
echo "function files: ok"
