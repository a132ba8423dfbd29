#!/bin/bash
# Inputs that once crashed the host, ran it out of memory or gave wrong
# results: each one, run as a person would, must give its clear error (or the
# right result), leave the host able to go on, and leak nothing.
set -u
HOST=$(realpath "$1")
LIB=$(realpath "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Runs TEXT as a script with the leak check; the combined output must
# contain EXPECTED. STATUS is the exit status wanted: 1 for an error, 0 for
# a result. (Long texts go through a file: they pass any argument limit.)
check() {
  local status=$1 expected=$2 text=$3
  printf '%s\n' "$text" >"$tmp/case.m"
  "$HOST" --library "$LIB" --check-leaks "$tmp/case.m" >"$tmp/out" 2>&1
  local rc=$?
  local shown=${text:0:80}
  # A sanitizer build reports what it finds on the same streams.
  if grep -qE "runtime error:|ERROR: (Address|Leak|Undefined)Sanitizer" "$tmp/out"; then
    head -c 4000 "$tmp/out" >&2
    fail "'$shown' made a sanitizer report"
  fi
  [ $rc -eq "$status" ] || { head -c 2000 "$tmp/out" >&2; fail "'$shown' exited with $rc, not $status"; }
  grep -qF -- "$expected" "$tmp/out" ||
    { head -c 2000 "$tmp/out" >&2; fail "'$shown' did not print '$expected'"; }
}

size="Maximum variable size allowed by the program is exceeded."
# Element counts whose product wraps past 2^64.
check 1 "$size" "x = zeros(769546, 494770, 48448661); x(1,2,1) = 7; disp('wrote')"
check 1 "$size" "reshape(1:4, 769546, 494770, 48448661)"
check 1 "$size" "x = []; x(4194304, 2097152, 2097152) = 1"
check 1 "$size" "x = cell(1e9, 1e9);"
# Failures that once escaped as C++ exceptions and aborted the process.
check 1 "must have the same number of rows" "C = {1; 2}; x = [C, [1; 2]]"
check 1 "must have the same number of rows" "x = [zeros(2, 0), {1; 2}]"
check 1 "$size" "diag([1 2 3], 1e300)"
check 1 "K-th diagonal input must be an integer scalar." "diag({1,2}, NaN)"
check 1 "Difference order N must be a positive integer scalar." "diff(1:3, NaN)"
# A number beside a cell is one cell.
check 0 "1     3" "size([{1,2}, [3 4 5]])"
check 0 "1     2" "size(['ab', {1}])"
# The parser's look-ahead.
check 1 "Parse error" "[1~"
# Nesting is bounded with an error; long flat expressions just work.
deep() { python3 -c "import sys; n = int(sys.argv[1]); print(sys.argv[2] + sys.argv[3] * n + '1' + sys.argv[4] * n)" "$@"; }
nest="levels deep"
check 1 "$nest" "$(deep 100000 'x=' '(' ')')"
check 1 "$nest" "$(deep 100000 'x=' '[' ']')"
check 1 "$nest" "$(deep 100000 'x=' '{' '}')"
check 1 "$nest" "$(deep 100000 'x=' '-' '')"
check 1 "$nest" "$(deep 100000 's.a=1; y=s' '.a' '')"
check 1 "$nest" "$(python3 -c "print('if 1\n' * 100000 + 'end\n' * 100000)")"
check 0 "200000" "$(python3 -c "print('x = ' + '+'.join(['1'] * 200000) + '; disp(x)')")"
check 0 "1" "$(python3 -c "print('x = ' + ' || '.join(['0'] * 100000 + ['1']) + '; disp(x)')")"
# Call depth is bounded, and a long chain of fevals does not copy its list.
check 1 "Maximum recursion limit of 256 reached." \
  "$(python3 -c "print('feval(' + ', '.join([\"'feval'\"] * 10000) + \", 'disp', 1)\")")"
check 0 "  ok" "feval('feval', 'feval', 'disp', '  ok')"
# Raw control bytes and lone surrogates in a message are escaped.
check 1 '??? a\x00\x01\xED\xA0\x80b' "error(char([97 0 1 55296 98]))"
# Results checked against independent references.
check 0 "5.5470" "c = condest([1 1i; 2 3])"
check 0 "Inf + 0.5000i" "(Inf+1i)./2"
check 0 "Inf + 1.3644i" "log10(-Inf)"
check 0 "0     2" "V = []; V(:, 2) = ones(0, 1); size(V)"
check 0 "Polynomial is not unique" "p = polyfit([], [], 1)"
check 0 "10 -10" "int2str([10 -10])"
check 0 "-1000 -1000" "int2str([-1000 -1000])"
check 0 "-10  5" "int2str([-10 5])"
check 0 "1   22  333" "int2str([1 22 333])"
# A NUL in a file name would end it early and reach another file: refused,
# and nothing is written.
nul="File names cannot contain NUL characters."
(cd "$tmp" && check 1 "$nul" "a = 1; save(['x' char(0) 'y'], 'a')") || exit 1
(cd "$tmp" && check 1 "$nul" "load(['x' char(0) 'y'])") || exit 1
(cd "$tmp" && check 1 "$nul" "figure; saveas(gcf, ['x' char(0) 'y.png'])") || exit 1
[ ! -e "$tmp/x" ] && [ ! -e "$tmp/x.mat" ] || fail "a name with a NUL wrote a file"
# Names that are not names.
check 1 "Invalid field name ''." "s.('') = 2"

# A long script and a long block at the prompt run through (their time is
# measured by the benchmarks).
python3 -c "print('\n'.join('x%d = %d;' % (i % 50, i) for i in range(200000)) + '\ndisp(x49)')" >"$tmp/long.m"
"$HOST" --library "$LIB" "$tmp/long.m" 2>&1 | grep -q "199999" || fail "long script"
python3 -c "print('if 1\n' + '\n'.join('y = %d;' % i for i in range(10000)) + '\nend\ndisp(y)')" |
  "$HOST" --library "$LIB" 2>&1 | grep -q "9999" || fail "long block at the prompt"

# A library named without a slash is the file in the current folder.
cp "$LIB" "$tmp/rnd.so"
(cd "$tmp" && "$HOST" --library rnd.so --eval "disp(rot90(1))") | grep -q 1 ||
  fail "--library rnd.so in the current folder"
echo "hostile input: ok"
