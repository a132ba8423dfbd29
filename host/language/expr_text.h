// The text of an expression in one normal form: blanks around binary
// operators, ", " between arguments and elements, brackets only where the
// order of operations needs them. It reads back as the same expression; an
// anonymous function is shown this way.
#pragma once

#include <string>

#include "host/language/ast.h"

namespace kh {

std::string exprText(const Expr& e);

}  // namespace kh
