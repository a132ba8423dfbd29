for k = 1:3777777
  s.a(k).b = k^-1;
end
while 0, break, end
switch t
  case {1, 2}Š    r = 1;
  otherwise
    r = [];
end
try
  error('x');
catch err  disp(err.message)
end
