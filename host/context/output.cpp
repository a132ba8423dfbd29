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

namespace kh {

std::string printable(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  auto escape = [&](unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
  };
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f)
        escape(c);
      else
        out += static_cast<char>(c);
      ++i;
      continue;
    }
    // The length of a well-formed sequence from this lead byte, 0 if none.
    std::size_t len = 0;
    if (c >= 0xc2 && c <= 0xdf)
      len = 2;
    else if (c >= 0xe0 && c <= 0xef)
      len = 3;
    else if (c >= 0xf0 && c <= 0xf4)
      len = 4;
    bool ok = len > 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k)
      ok = (static_cast<unsigned char>(s[i + k]) & 0xc0) == 0x80;
    if (ok) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      // No overlong forms, no surrogate halves, nothing past U+10FFFF.
      if ((c == 0xe0 && c1 < 0xa0) || (c == 0xed && c1 >= 0xa0) || (c == 0xf0 && c1 < 0x90) ||
          (c == 0xf4 && c1 >= 0x90))
        ok = false;
    }
    if (!ok) {
      escape(c);
      ++i;
      continue;
    }
    out.append(s.substr(i, len));
    i += len;
  }
  return out;
}

}  // namespace kh
