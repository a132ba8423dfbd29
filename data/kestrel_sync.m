function kestrel_sync(what)
% After each action of the pulse editor's controls (see kestrel_figure.m):
% every edit box shows the value the estimate uses (the fit's block length
% lowered to a multiple of 4, as the fit lowers it) and takes input only
% while its slider does. After a load (kestrel_sync load) the axes get back
% their title and label, which the first plot into them clears, the lines
% get their names, and the notes beside the boxes are cleared.
global Nsmall Nmedium Nlarge Lpoly pseg psp1 psp2 psp3 ppulse
if nargin < 1
  what = '';
end
fig = gcbf;
caller = gcbo;
rows = {'slider9', 'edit1', 'note1'; 'slider10', 'edit2', 'note2'; ...
        'slider12', 'edit3', 'note3'; 'slider7', 'edit4', 'note4'};
values = {Nsmall, Nmedium, Nlarge, Lpoly};
for k = 1:4
  slider = findobj(fig, 'Tag', rows{k, 1});
  box = findobj(fig, 'Tag', rows{k, 2});
  note = findobj(fig, 'Tag', rows{k, 3});
  if ~strcmp(get(box, 'Enable'), get(slider, 'Enable'))
    set(box, 'Enable', get(slider, 'Enable'));
  end
  v = values{k};
  if length(v) == 1
    used = round(v);
    if k == 4
      used = 4 * floor(used / 4);
    end
    if ~strcmp(get(box, 'String'), sprintf('%d', used))
      set(box, 'String', sprintf('%d', used));
    end
    if k == 4 && isequal(caller, slider)
      if used ~= round(v)
        set(note, 'String', sprintf('%d is used: the fit''s blocks are a multiple of 4.', used));
      else
        set(note, 'String', '');
      end
    end
  end
  if strcmp(what, 'load')
    set(note, 'String', '');
  end
end
if strcmp(what, 'load') && length(ppulse) == 1 && ishandle(ppulse)
  ax = get(ppulse, 'Parent');
  title(ax, 'Pulse record and its estimate');
  xlabel(ax, 'sample');
  % Names for a legend and the page (once lines have the property).
  if isfield(get(ppulse), 'DisplayName')
    set(pseg, 'DisplayName', 'record');
    set(ppulse, 'DisplayName', 'estimate');
    set(psp1, 'DisplayName', 'T1 (click)');
    set(psp2, 'DisplayName', 'T2');
    set(psp3, 'DisplayName', 'T3');
  end
end
