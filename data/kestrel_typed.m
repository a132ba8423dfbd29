function kestrel_typed
% The callback of the pulse editor's edit boxes (see kestrel_figure.m): a
% typed number moves the slider named in the box's UserData, as a drag of
% the slider would (clamped to its range), and runs the slider's action.
% The note beside the box (tagged noteN for editN) says what was used
% instead of the number typed and why: the largest or smallest value the
% slider takes, a whole number of samples, a block length that is a
% multiple of 4. Text that is not one plain number (digits, at most one
% point, a sign, an exponent: no hexadecimal, no comma, no brackets, no
% NaN or Inf) is refused there, and the box shows the value in use again.
box = gcbo;
fig = gcbf;
tag = get(box, 'Tag');
slider = findobj(fig, 'Tag', get(box, 'UserData'));
note = findobj(fig, 'Tag', strrep(tag, 'edit', 'note'));
names = {'edit1', 'small window'; 'edit2', 'medium window'; ...
         'edit3', 'large window'; 'edit4', 'block length'};
what = names{strcmp(names(:, 1), tag), 2};
block = strcmp(tag, 'edit4');
lo = get(slider, 'Min');
hi = get(slider, 'Max');
range = sprintf('%d to %d', lo, hi);

t = get(box, 'String');
if size(t, 1) > 1
  t = '[several lines]';
end
t = strtrim(t);
quoted = t;
if length(quoted) > 14
  quoted = [quoted(1:12) '...'];
end
value = [];
if isempty(t)
  message = ['Type a number from ' range '.'];
elseif ~all(ismember(t, '0123456789.eE+-'))
  message = ['''' quoted ''' is not a plain number: type one from ' range '.'];
else
  [value, count, err, next] = sscanf(t, '%f');
  if count ~= 1 || next ~= length(t) + 1
    message = ['''' quoted ''' is not a plain number: type one from ' range '.'];
    value = [];
  elseif ~isfinite(value)
    message = ['''' quoted ''' is too large: type a number from ' range '.'];
    value = [];
  end
end
if ~isempty(value) && ~strcmp(get(slider, 'Enable'), 'on')
  message = ['The ' what ' is set once its slider is on.'];
  value = [];
end
if isempty(value)
  % Refused: the box shows the value in use again.
  used = round(get(slider, 'Value'));
  if block
    used = 4 * floor(used / 4);
  end
  set(box, 'String', num2str(used));
  set(note, 'String', message, 'ForegroundColor', [0.7 0 0]);
  return
end

uiset(slider, round(value));
used = round(min(max(value, lo), hi));
if block
  used = 4 * floor(used / 4);
end
if used == value
  message = '';
elseif value > hi
  message = sprintf('%d is the largest %s.', used, what);
elseif value < lo
  message = sprintf('%d is the smallest %s.', used, what);
elseif block && used ~= round(value)
  message = sprintf('%d is used: the fit''s blocks are a multiple of 4.', used);
else
  message = sprintf('%d is used: a %s is a whole number of samples.', used, what);
end
set(note, 'String', message, 'ForegroundColor', [0.25 0.3 0.45]);
