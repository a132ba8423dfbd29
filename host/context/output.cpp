#include "host/context/output.h"

#include <cstdio>

namespace kh {
namespace {
OutputCapture* g_capture = nullptr;
}

void emit(std::string_view text) {
  if (g_capture) {
    g_capture->text_.append(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void emitError(std::string_view text) {
  if (g_capture) {
    g_capture->errors_.append(text);
    return;
  }
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
