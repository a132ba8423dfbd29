t = sprintf('%d|%5.2f|%x|%u|%e|%g|%c|%s\n', 42, pi, 255, 7, 1e5, 0.5, 65, 'ab');
fprintf('%i %o %X\n', -3, 8, 3054);
u = num2str(12345); v = num2str(-0.25); w = num2str([1 2; 30 4]); z = num2str(3 + 4i, 4);
n = int2str(2.5e9); m = mat2str([1.5 -2]); disp(str2double('1e5'))
