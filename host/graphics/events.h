// Event delivery: the one way events reach callbacks. Each event sets what
// the host sets before a callback (current points, current figure and
// object), then runs the callback text through the runner that the command
// window installs at start-up, with the root's CallbackObject naming the
// object, and restores CallbackObject afterwards, also when the callback
// fails. A failing callback is reported by the runner ("??? message") and
// does not stop the next event.
#pragma once

#include <functional>
#include <string_view>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

// Runs one callback text in the base workspace as a protected point;
// returns false when it failed (after reporting the failure).
using CallbackRunner = std::function<bool(std::string_view text)>;
void setCallbackRunner(CallbackRunner run);

// The pointer goes down on object `target` at figure pixel (px, py): the
// figure's CurrentPoint, the axes' CurrentPoint (when the target lies in
// axes, which become current) and CurrentObject are set, then the figure's
// WindowButtonDownFcn and the target's ButtonDownFcn run.
void press(Object* target, double px, double py);
// The pointer moves to / the button comes up at figure pixel (px, py): the
// CurrentPoint of the figure and of its axes are set, then the figure's
// WindowButtonMotionFcn / WindowButtonUpFcn runs.
void motion(Object* fig, double px, double py);
void release(Object* fig, double px, double py);
// The person gives control `ctl` a new value: a number for a slider
// (clamped to Min..Max), a popup menu or list (an index), a checkbox or
// radio button (Min or Max), a text for an edit box. Value or String is
// updated first, then the control's Callback runs.
void setControlValue(Object* ctl, const Value& v);
// The person clicks control `ctl`: a checkbox, radio or toggle button flips
// between Min and Max; then its Callback runs.
void click(Object* ctl);

// The object a callback named by a text tag means: the one object of the
// current figure carrying that Tag; an error when none or several do.
Object* byTag(const std::string& tag);

}  // namespace kh::gfx
