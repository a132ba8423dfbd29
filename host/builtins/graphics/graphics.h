// The graphics commands: creation (figure, axes, line, text, image, patch,
// surface, uicontrol, plot), get and set, search and deletion, clearing,
// titles, and the five event commands that deliver a person's pointer and
// control actions exactly as the figure window does; and the export
// commands print and saveas. Read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void figure(Call& c);
void axes(Call& c);
void line(Call& c);
void text(Call& c);
void image(Call& c);
void patch(Call& c);
void surface(Call& c);
void uicontrol(Call& c);
void plot(Call& c);
void get(Call& c);            // get(h), get(h, name)
void set(Call& c);            // set(h, name, value, ...)
void findobj(Call& c);        // findobj(h, name, value, ...)
void ishandle(Call& c);       // ishandle(h)
void deleteObjects(Call& c);  // delete(h)
void close(Call& c);          // close, close(h), close all
void clf(Call& c);            // clf, clf(fig), clf reset
void cla(Call& c);            // cla, cla(ax), cla reset
void drawnow(Call& c);
void title(Call& c);   // title(text, pairs...), title(ax, text, ...)
void xlabel(Call& c);  // likewise
void ylabel(Call& c);  // likewise
void gcbo(Call& c);    // the object whose callback runs
// The person's actions: a press on an object, motion and release over a
// figure at a data point of its current axes, a control's new value, a
// click on a menu or button.
void uipress(Call& c);    // uipress(h, x, y)
void uimove(Call& c);     // uimove(fig, x, y)
void uirelease(Call& c);  // uirelease(fig, x, y)
void uiset(Call& c);      // uiset(h, value)
void uiclick(Call& c);    // uiclick(h)
// print(h, '-dsvg', 'file.svg'), print -dpng file.png -r150 -f2
void print(Call& c);
// saveas(h, 'file.pdf'), saveas(h, 'file', 'png')
void saveas(Call& c);

}  // namespace kh::builtin
