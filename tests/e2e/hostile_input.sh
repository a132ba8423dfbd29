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
# Whole numbers an integer conversion cannot write exactly are written in
# exponent form with the digits they need (no undefined conversion to a
# 64-bit integer on the way).
check 0 "[1e+300]" "disp(['[' num2str(1e300) ']'])"
check 0 "[9.223372036854776e+18|-9223372036854775808|-1e+00|fffffffffffff800]" \
  "disp(['[' sprintf('%d|', 2^63) sprintf('%i|', -2^63) sprintf('%x|', -1) sprintf('%x', 2^64 - 2048) ']'])"
check 0 "[    -1e+19|1.8446744073709552e+19]" "fprintf('[%10i|%u]\\n', -1e19, 2^64)"
check 1 "A field width or precision in a format is at most 100000." "sprintf('%2000000000d', 1)"
# Arguments of the wrong class where a number is read (found by fuzzing the
# command window: sscanf sscanf sttrmat dh).
check 1 "The size argument of sscanf must be real numbers." "sscanf('1 2', '%d', 'dh')"
check 1 "Expected axes." "figure; xlabel({1}, 'x')"
check 1 "Invalid handle." "cla({1})"
# Values nested as deep as a loop makes them are freed, compared and
# counted without a stack frame per level.
check 0 "freed" "c = {}; for i = 1:200000, c = {c}; end; clear c; disp('freed')"
check 0 "closures freed" "f = @() 1; for i = 1:100000, f = @() f(); end; clear f; disp('closures freed')"
check 0 "structs freed" "s = struct('a', 1); for i = 1:100000, s = struct('a', {s}); end; clear s; disp('structs freed')"
check 0 "equal 1 0" "c = {}; d = {}; for i = 1:60000, c = {c}; d = {d}; end; e = {c, 1}; f = {d, 2}; fprintf('equal %d %d\\n', isequal(c, d), isequal(e, f))"
check 0 "element using 8 bytes" "c = 1; for i = 1:100000, c = {c}; end; whos c"
# Files that are not files: no hidden '.mat' for an empty name, no wait on a
# pipe, a clear reason for a file that cannot be read, and a word when a
# variable asked for is not in the file.
(cd "$tmp" && check 1 "'' is not a file name." "a = 1; save('', 'a')") || exit 1
(cd "$tmp" && check 1 "'sub/' is not a file name." "a = 1; save('sub/', 'a')") || exit 1
[ ! -e "$tmp/.mat" ] || fail "save('') wrote .mat"
mkfifo "$tmp/pipe.mat"
check 1 "Unable to write file '$tmp/pipe.mat': it is not a regular file." "a = 1; save('$tmp/pipe.mat', 'a')"
check 0 "[-1|The file is a pipe or a socket, not a regular file.]" \
  "[f, m] = fopen('$tmp/pipe.mat'); disp(['[' num2str(f) '|' m ']'])"
ln -s /proc/self/mem "$tmp/mem.mat"
check 1 "Unable to read file '$tmp/mem.mat': it could not be read to its end (Input/output error)." \
  "load('$tmp/mem.mat')"
(cd "$tmp" && check 0 "Warning: Variable 'y' not found." "x = 1; save one.mat x; clear x; load one.mat x y; disp(x)") || exit 1
# A full file system is named as the reason a save failed (where this machine
# lets the test mount a small one).
mkdir "$tmp/full"
if mount -t tmpfs -o size=64k tmpfs "$tmp/full" 2>/dev/null; then
  trap 'umount "$tmp/full" 2>/dev/null; rm -rf "$tmp"' EXIT
  check 1 "Unable to write file '$tmp/full/big.mat': No space left on device." \
    "x = rand(1, 100000); save('$tmp/full/big.mat', 'x')"
  [ -z "$(ls -A "$tmp/full")" ] || fail "a failed save left $(ls -A "$tmp/full")"
  umount "$tmp/full"
else
  echo "hostile input: the full file system case needs a tmpfs mount; skipped"
fi
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
