% The callback of the editor's edit boxes: a typed number moves the slider
% named in the box's UserData (clamped to the slider's range, as a drag of
% the slider would) and runs the slider's action; anything else puts the
% slider's value back into the box.
kestrel_box_ = gcbo;
kestrel_slider_ = findobj(gcbf, 'Tag', get(kestrel_box_, 'UserData'));
kestrel_value_ = sscanf(get(kestrel_box_, 'String'), '%f');
if length(kestrel_value_) == 1 && isfinite(kestrel_value_) && ...
    strcmp(get(kestrel_slider_, 'Enable'), 'on')
  uiset(kestrel_slider_, round(kestrel_value_));
else
  set(kestrel_box_, 'String', num2str(round(get(kestrel_slider_, 'Value'))));
end
clear kestrel_box_ kestrel_slider_ kestrel_value_
