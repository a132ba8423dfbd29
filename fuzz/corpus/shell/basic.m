x = [1 2; 3 4];
y = x(end, :)' .* 2;
if y(1) > 2 && ~isempty(x), disp(y), elseif 0, z = {1, 'a'}; else, w = @sin; end
