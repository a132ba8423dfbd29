% A long session of mixed events on the editor, some of which fail inside
% callbacks (in the host and in the library); run under --check-leaks.
kestrel_figure;
uiclick pushbutton1;
global psp1 psp2 psp3 T1 T2 T3 pf
uicontrol('Style', 'pushbutton', 'Tag', 'broken1', 'Callback', 'kestrel');
uicontrol('Style', 'pushbutton', 'Tag', 'broken2', 'Callback', 'axis([1 2 3])');
uicontrol('Style', 'pushbutton', 'Tag', 'broken3', 'Callback', 'kestrel NSs extra');
failures = 0;
for k = 1:1000
  r = rem(k * 7919, 14);
  x = rem(k * 397, 5200) - 100;
  if r == 0
    uiset('slider9', rem(k, 230));
  elseif r == 1
    uiset('slider10', rem(k * 3, 900));
  elseif r == 2
    uiset('slider12', rem(k * 11, 2100));
  elseif r == 3
    uiclick('radiobutton1');
  elseif r == 4
    try
      uiset('slider7', rem(k, 1000) + 4);
    catch
      failures = failures + 1;
    end
  elseif r == 5
    uipress(psp1, x, 0); uimove(gcf, x, 0.2); uirelease(gcf, x, 0.2);
  elseif r == 6
    uipress(psp2, x, 0); uimove(gcf, x / 2, 0); uimove(gcf, x, 0); uirelease(gcf, x, 0);
  elseif r == 7
    uipress(psp3, x, 0); uimove(gcf, x, 0); uirelease(gcf, x, 0);
  elseif r == 8
    uiset('edit1', 'not a number');
  elseif r == 9
    try
      uiset('edit4', num2str(rem(k, 300)));  % off, with its slider, while the fit is
    catch
      failures = failures + 1;
    end
  elseif r == 10
    kestrel nonsense
  elseif r == 11
    uiclick(['broken' num2str(rem(k, 3) + 1)]);
  elseif r == 12
    try
      uiset('nosuchtag', 1);
    catch
      failures = failures + 1;
    end
  else
    uimove(gcf, x, 0);
  end
end
markers_in_order = T1 >= 50 && T2 >= T1 + 50 && T3 >= T2 + 50 && T3 <= 4950
failures
