% Every function of the signal chain, failures included, for --check-leaks.
x = 1 + rem((1:3000) * 7, 13) / 13;
x(13:97:3000) = x(13:97:3000) + 6;
m = feval('kestrel/tpswma', x, 3000, 100, 5, 2);
m4 = feval('kestrel/tpswma', x', 3000, 4, 5, 2);
md = feval('kestrel/tpswma', x);
e = feval('kestrel/splice_tpsw', x', [500 900], [20 60 200], [100 300]);
e0 = feval('kestrel/splice_tpsw', x', [], [20 60 200], [100 300]);
tpswma_rows = size(m, 1)
splice_rows = size(e, 1)
f1 = filter2([1 2 3], [16 2 3 13; 5 11 10 8; 9 7 6 12; 4 14 15 1]);
f2 = filter2([1; 2; 3], [16 2 3 13; 5 11 10 8; 9 7 6 12; 4 14 15 1], 'valid');
f3 = filter2(ones(5), [8 1 6; 3 5 7; 4 9 2], 'full');
f4 = filter2(ones(3), [17 24 1 8 15; 23 5 7 14 16; 4 6 13 20 22; 10 12 19 21 3; 11 18 25 2 9]);
f5 = filter2([1 2; 3 4], [17 24 1 8 15; 23 5 7 14 16; 4 6 13 20 22; 10 12 19 21 3; 11 18 25 2 9] / 3, 'same');
w1 = hanning(5);
w2 = hanning(6, 'periodic');
w3 = hanning(0);
w4 = hanning(2.4);
[n, w, t] = feval('signal/private/check_order', 3);
u = flipud([1 2; 3 4]);
z = mod([5 -5 0.3 7], [3 3 0.1 0]);
a = mean([1 2; 3 4]);
a2 = mean([1 2; 3 4], 2);
s = std([2 4 4 4 5 5 7 9]);
s1 = std([1 2; 3 5], 1);
s3 = std([1 2; 3 4], 0, 3);
r1 = repmat(7, 2, 3);
r2 = repmat([1 2; 3 4], [1 1 2]);
r3 = repmat([1 2], 0, 2);
try
  feval('kestrel/tpswma', x, 4000, 100, 5, 2);
catch
end
try
  feval('kestrel/splice_tpsw', x', 10, [20 60 200], [100 300]);
catch
end
try
  feval('kestrel/splice_tpsw', x(1:800)', 100, [20 60 200], [100 300]);
catch
end
try
  feval('kestrel/splice_tpsw', x', 500, [20 60], [100 300]);
catch
end
try
  filter2(1);
catch
end
try
  filter2(1, 1, 'Same');
catch
end
try
  hanning(5, 'x');
catch
end
try
  hanning(-1);
catch
end
try
  hanning();
catch
end
try
  flipud(ones(2, 2, 2));
catch
end
try
  mod(1 + 2i, 3);
catch
end
try
  mod([1 2], [1 2 3]);
catch
end
try
  repmat(1);
catch
end
try
  std(1, 0, 1, 4);
catch
end
