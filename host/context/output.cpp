#include "host/context/output.h"

#include <cstdio>
#include <utility>

namespace kh {
namespace {
OutputCapture* g_capture = nullptr;
std::function<void()> g_beforeOutput;

void beforeWrite() {
  if (g_beforeOutput) std::exchange(g_beforeOutput, nullptr)();
}
}  // namespace

void beforeNextOutput(std::function<void()> fn) { g_beforeOutput = std::move(fn); }

void emit(std::string_view text) {
  if (g_capture) {
    g_capture->text_.append(text);
    return;
  }
  beforeWrite();
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void emitError(std::string_view text) {
  if (g_capture) {
    g_capture->errors_.append(text);
    return;
  }
  beforeWrite();
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

OutputCapture::OutputCapture() : outer_(g_capture) { g_capture = this; }
OutputCapture::~OutputCapture() { g_capture = outer_; }

std::string OutputCapture::take() {
  std::string t;
  t.swap(text_);
  return t;
}

}  // namespace kh

namespace kh {}  // namespace kh
