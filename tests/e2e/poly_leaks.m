% Every function of the polynomial road, failures included, for --check-leaks.
x = 1:20;
y = 3 * x.^2 - x + 2 + rem(x * 7, 5) / 10;
p = polyfit(x, y, 2);
[p2, S] = polyfit(x, y, 2);
[p3, S3, mu] = polyfit(x, y, 2);
pu = polyfit([1 2], [3 4], 2);
pb = polyfit([1 1 1 1+1e-9 2], [1 2 3 4 5], 3);
v1 = polyval(p, 2);
v2 = polyval(p, [0 1; 2 3]);
[v3, d3] = polyval(p2, x, S);
[v4, d4] = polyval(p3, x, S3, mu);
v5 = polyval([1 2 3], [Inf -Inf 1]);
[v6, d6] = polyval([1 2], [1 2], [1 0; 0 1; 0 0; 1 0]);
[p0, S0] = polyfit([1 2 3], [1 4 9], 2);
[v8, d8] = polyval(p0, [1 2; 3 4], S0);
c1 = condest([1 2; 2 4]);
[c2, cv] = condest(eye(3));
c3 = condest([]);
c4 = condest(diag(1:8) + 0.1);
[e1, ev, ew, it1] = normest1([8 1 6; 3 5 7; 4 9 2], -2);
e2 = normest1(diag(1:8), -2);
e3 = normest1(diag(1:8), 1, [1; -1; 1; -1; 1; -1; 1; -1] / 8);
s1 = feval('normest1/mysign', [-2 0 3]);
[u1, r1] = feval('normest1/undupli', [1 1; 1 1; 1 1; -1 -1], [], 1);
t1 = int2str([1 22 333]);
t2 = int2str(-0.4);
t3 = int2str([]);
l1 = log10([1000 0 -1]);
b1 = isnumeric([1 2]);
b2 = isstruct(S);
pa = feval('kestrel/piecefit_mod', (rem((1:300) * 7, 13) / 13 + (1:300) / 100)', 41, 2);
pe = feval('kestrel/pulse_estimate', (2 + rem((1:3000) * 7, 13) / 13)', 301, 101, 21, 1000, 1500, 2550, 101, 1);
pa_rows = size(pa, 1)
pe_rows = size(pe, 1)
try
  polyfit(1:3, (1:3)', 1);
catch
end
try
  polyfit(1:3, {1, 2, 3}, 1);
catch
end
try
  polyval([1 2 3], [1 2], ones(5, 4), [], 1);
catch
end
try
  [q, dq] = polyval([1 2 3], [1 2], ones(5, 4));
catch
end
try
  condest(ones(2, 3));
catch
end
try
  condest(eye(3), 1.5);
catch
end
try
  normest1(eye(6), 7);
catch
end
try
  normest1(eye(6), 2, ones(6, 3));
catch
end
try
  normest1('abc');
catch
end
try
  normest1(@int2str);
catch
end
try
  normest1(@mean);
catch
end
try
  feval('normest1/normapp', @int2str, 'notransp', ones(4, 2));
catch
end
try
  feval('kestrel/piecefit_mod', 1:10, NaN, 2);
catch
end
try
  feval('kestrel/piecefit_mod', 1:10, 3, 2);
catch
end
try
  log10();
catch
end
