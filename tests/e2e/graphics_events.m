% A script of events whose callbacks fail in the host and in the library;
% every later event still runs, and nothing is left alive at the end.
f = figure; ax = axes; h = line([1 2], [1 2], 'ButtonDownFcn', 'x = ones(3); y = x(7, 7);');
set(f, 'WindowButtonMotionFcn', 'count = count + 1; axis([1 2 3]);');
set(f, 'WindowButtonUpFcn', 'count = count + 10; axis(gca, ''nonsense'');');
count = 0;
uipress(h, 1.5, 1.5);
uimove(f, 1.2, 1.2);
uimove(f, 1.3, 1.3);
uirelease(f, 1.3, 1.3);
set(f, 'WindowButtonMotionFcn', 'count = count + 100; cb = gcbo;');
uimove(f, 1.4, 1.4);
events_count = count
callback_object = cb
after = get(0, 'CallbackObject')
