c = {};
for i = 1:3500, c = {c, i}; end
s = struct('a', 1);
for i = 1:400, s = struct('a', {s}); end
f = @() 1;
for i = 1:400, f = @() f(); end
q = isequal(c, c); r = isequal(s, {s}); w = whos('c');
clear c s f
