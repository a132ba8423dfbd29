// Creating, finding and deleting objects: what figure, axes, line, text,
// image, patch, surface, uicontrol, delete, close, clf, cla, findobj and
// ishandle do, for the command window and the C entry points alike.
#pragma once

#include <span>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

// The current figure and the current axes of a figure, created when there
// are none and `create` is true (null otherwise).
Object* currentFigure(bool create);
Object* currentAxes(Object* fig, bool create);

// figure, figure(h), figure(name, value, ...), figure(h, name, value, ...).
Object* figureCommand(Values args);
// axes, axes(h) (makes h current), axes(name, value, ...).
Object* axesCommand(Values args);
// line, text, image, patch, surface, uicontrol in their low-level forms:
// leading data arguments, then name/value pairs ("Parent" among them picks
// the parent; otherwise the current axes, or figure for a control).
Object* createCommand(Type t, Values args);
// An object of type t under parent with the name/value pairs applied; an
// error in a pair deletes the object again, so nothing half-made remains.
Object* createWith(Type t, Object* parent, Values pairs);

// The axes the next plot draws into, cleared as the figure's and the axes'
// NextPlot say.
Object* newplot();
// Deletes the visible children (clf, cla); `reset` also puts back the
// object's own properties (the axes keep their position).
void clearFigure(Object* fig, bool reset);
void clearAxes(Object* ax, bool reset);

void deleteCommand(const Value& handles);
// close, close(h), close('all').
void closeCommand(Values args);
// findobj(h, name, value, ...): h and its descendants whose properties all
// match, as a column of handles.
Value findobj(Values args);
// Deletes every figure and puts the root's properties back to their
// defaults (a fresh graphics system, for a new session or a test).
void resetGraphics();

// true where an element names a live object.
Value ishandle(const Value& h);

}  // namespace kh::gfx
