hold on
kestrel NSs
axis([0 1 -1 1])
global seg T1
[a, ~] = size(ones(2, 3));
c = {1, [2 3], 'it''s'};
x = 1e-3 + 2.5i - .5 ...
  + 3;
% comment
