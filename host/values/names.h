// What counts as a name: variables, structure fields and the reserved words
// of the command-window language, in one place for the parser, the
// evaluator and the data-file readers.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace kh {

// The longest name a variable or a field may have.
inline constexpr std::size_t kMaxNameLength = 63;

// Whether a name is a reserved word of the language (if, end, for, ...).
bool isKeyword(std::string_view name);
// The words of the language, such as "if" and "function".
std::span<const std::string_view> keywords();
// A letter, then letters, digits and underscores, at most kMaxNameLength
// characters, and not a reserved word.
bool isValidName(std::string_view name);

}  // namespace kh
