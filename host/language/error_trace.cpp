#include "host/language/error_trace.h"

namespace kh {
namespace {

struct Trace {
  const void* error = nullptr;
  std::string message;
  std::vector<std::string> lines;
};

Trace& trace() {
  static Trace t;
  return t;
}

}  // namespace

void noteErrorPlace(const MError& e, const std::string& file, std::size_t line) {
  Trace& t = trace();
  if (t.error != &e || t.message != e.what()) {
    t.error = &e;
    t.message = e.what();
    t.lines.clear();
  }
  std::string text = "Error in ==> " + file + " at line " + std::to_string(line);
  if (!t.lines.empty() && t.lines.back() == text) return;
  t.lines.push_back(std::move(text));
}

std::vector<std::string> takeErrorTrace(const MError& e) {
  Trace& t = trace();
  std::vector<std::string> out;
  if (t.error == &e && t.message == e.what()) out = std::move(t.lines);
  clearErrorTrace();
  return out;
}

void clearErrorTrace() {
  Trace& t = trace();
  t.error = nullptr;
  t.message.clear();
  t.lines.clear();
}

}  // namespace kh
