c = {};
for i = 1:40, c = {c, i}; end
s = struct('a', 1);
for i = 1:40, s = struct('a', {s}); end
f = @() 1;
for i = 1:40, f = @() f(); end
q = isequal(c, c); r = isequal(s, {s}); w = whos('c');
clear c s f
