// The figure server's messages. To the page: the whole tree once, then only
// what changed, taken from the change journal; large numeric arrays travel
// as base64 of little-endian float64. From the page: pointer and control
// events, checked and handed to event delivery.
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "host/graphics/journal.h"
#include "host/values/value.h"

namespace kh::server {

// A value as the page reads it: a text as a string, a scalar as a number,
// a short finite row as an array of numbers, anything numeric else as
// {"dims": [...], "f64": base64}; cells as arrays; other values as null.
nlohmann::json encodeValue(const Value& v);

// {"type": "tree", "seq": n, "objects": [...]}: every object under the root,
// parents before children, each {"h", "type", "parent", "children", "props"}.
// Beside the properties, figures, axes and controls carry "_rect", their
// rectangle in figure pixels from the lower-left [x y w h], and axes carry
// "_plotbox", the part of it the plot box fills.
std::string snapshotMessage();

// The page's module style_table.js: the renderer's style table (the size
// of a point, dash patterns, joins, marker shapes) and the default sizes
// (LineWidth, MarkerSize, FontSize) of each object type that has them, as
// "export default {...};".
std::string styleTableModule();

// Turns the journal into messages for one page.
class ChangeEncoder {
 public:
  ChangeEncoder();
  // The changes since the last call as one message, {"type": "changes",
  // "seq", "created": [objects], "deleted": [handles], "set": [{"h", "props"}]},
  // or the whole tree again when the journal dropped entries this page had
  // not taken; empty when nothing changed.
  std::string take();

 private:
  gfx::Journal::Reader reader_;
};

// One event from the page. Every message carries the page's id, which the
// acknowledgement repeats.
struct PageEvent {
  enum class Kind { Press, Motion, Release, Value, Click, Limits, Ping } kind = Kind::Motion;
  double id = 0;
  double figure = 0;    // press, motion, release: the figure
  double x = 0, y = 0;  // pixels from the figure's lower-left
  double handle = 0;    // value, click: the control; limits: the axes
  Value value;          // value: a number or a text
  bool reset = false;   // limits: back to automatic limits
  double xlim[2] = {0, 0}, ylim[2] = {0, 0};
};

// The largest message the page may send.
inline constexpr std::size_t kMaxEventBytes = 64 * 1024;

// Reads one message of the page; false with the reason when it is not a
// well-formed event.
bool decodeEvent(std::string_view text, PageEvent* out, std::string* error);

// Hands an event to event delivery (a press goes to the object under the
// pointer); limits set the axes' XLim and YLim (or their modes back to
// auto). No event sets a figure's size: each window scales the figure to
// fit itself. Errors of the delivery itself (a stale handle, a disabled
// control, limits that are not increasing) are raised; callback errors are
// reported by the callback runner.
void deliver(const PageEvent& e);

}  // namespace kh::server
