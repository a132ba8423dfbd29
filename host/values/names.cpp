#include "host/values/names.h"

#include <array>

namespace kh {

namespace {
constexpr std::array<std::string_view, 17> kWords = {
    "if",    "elseif", "else",   "end",  "for",       "while",  "break",    "continue",  "try",
    "catch", "global", "switch", "case", "otherwise", "return", "function", "persistent"};
}  // namespace

std::span<const std::string_view> keywords() { return kWords; }

bool isKeyword(std::string_view name) {
  for (std::string_view w : kWords)
    if (w == name) return true;
  return false;
}

bool isValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !digit(c) && c != '_') return false;
  return !isKeyword(name);
}

}  // namespace kh
