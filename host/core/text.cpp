#include "host/core/text.h"

namespace kh {

std::u16string toU16(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c >> 5) == 6) {
      cp = c & 0x1f;
      extra = 1;
    } else if ((c >> 4) == 14) {
      cp = c & 0x0f;
      extra = 2;
    } else {
      cp = c & 0x07;
      extra = 3;
    }
    if (i + extra >= s.size() + (extra ? 0 : 1)) {
      out.push_back(u'?');
      break;
    }
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3f);
    i += extra + 1;
    if (cp > 0xffff) cp = u'?';  // 16-bit characters only
    out.push_back(static_cast<char16_t>(cp));
  }
  return out;
}

std::string toUtf8(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xc0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
      out.push_back(static_cast<char>(0xe0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
  return out;
}

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
