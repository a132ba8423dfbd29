// Fuzz target: the figure server's reading of what a page sends. Each input
// is one or more messages, one per line, read as the socket thread reads
// them (the id and motion peek) and as the host's thread does (the whole
// decode), and each one that decodes is delivered to a small figure with a
// control of every style the editor uses, a line that takes presses, and
// callbacks on the figure's pointer events. The figure is made afresh for
// every input, so an input means the same thing wherever it runs; objects
// get new handles each time, so a small whole number k in a message's
// "handle" or "axes" stands for the figure's k-th object (findobj's order).
#include <cstdint>
#include <string>
#include <string_view>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/graphics/commands.h"
#include "host/language/workspace.h"
#include "host/server/inbox.h"
#include "host/server/protocol.h"
#include "host/shell/shell.h"
#include "host/values/value.h"

namespace {

// Callbacks that touch what the events set (current point, object and
// figure) without printing.
constexpr std::string_view kFigure = R"(
f__ = figure('Position', [10 10 400 300], 'WindowButtonMotionFcn', 'p__ = get(gcbo, ''CurrentPoint'');', ...
       'WindowButtonUpFcn', 'o__ = get(gcbo, ''CurrentObject'');');
axes('Position', [0.1 0.1 0.8 0.8]);
line([1 2 3], [3 1 2], 'ButtonDownFcn', 'q__ = get(get(gcbo, ''Parent''), ''CurrentPoint'');');
uicontrol('Style', 'slider', 'Min', 0, 'Max', 10, 'Value', 5, 'Callback', 'v__ = get(gcbo, ''Value'');');
uicontrol('Style', 'edit', 'String', '7', 'Callback', 'e__ = get(gcbo, ''String'');');
uicontrol('Style', 'radiobutton', 'Callback', 'r__ = get(gcbo, ''Value'');');
uicontrol('Style', 'pushbutton', 'Callback', 'b__ = 1;');
uicontrol('Style', 'popupmenu', 'String', {'a', 'b', 'c'}, 'Callback', 'm__ = get(gcbo, ''Value'');');
h__ = findobj(f__);
)";

double objectFor(double h, const kh::Value& objects) {
  if (h >= 1 && h <= static_cast<double>(objects.numel()) &&
      h == static_cast<double>(static_cast<long>(h)))
    return objects.at(static_cast<std::size_t>(h) - 1);
  return h;
}

kh::Shell& shell() {
  static kh::Shell* s = new kh::Shell;  // lives for the whole run
  return *s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kh::OutputCapture quiet;  // what callbacks print
  kh::gfx::resetGraphics();
  if (!shell().run(kFigure)) __builtin_trap();  // the figure itself must always be made
  const kh::Value objects = *shell().workspace().get("h__");
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= all.size()) {
    const std::size_t nl = all.find('\n', start);
    const std::string_view text = all.substr(start, nl == std::string_view::npos ? nl : nl - start);
    kh::server::peekMessage(std::string(text));
    kh::server::PageEvent e;
    std::string error;
    if (kh::server::decodeEvent(text, &e, &error)) {
      e.handle = objectFor(e.handle, objects);
      kh::protect([&] { kh::server::deliver(e); });
    }
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return 0;
}
