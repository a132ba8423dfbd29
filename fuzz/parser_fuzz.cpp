// Fuzz target: the command-window lexer and parser, and the prompt's check
// for unfinished input. Every text must parse or fail with an error.
#include <cstdint>
#include <string>
#include <string_view>

#include "host/context/context.h"
#include "host/shell/continuation.h"
#include "host/shell/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kh::protect([&] {
    kh::Parser p(text, [](const std::string& n) { return n.size() == 1; });
    while (p.next()) {
    }
  });
  kh::isIncompleteText(text);
  kh::ContinuationTracker open;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t nl = text.find('\n', start);
    open.addLine(text.substr(start, nl == std::string_view::npos ? nl : nl - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return 0;
}
