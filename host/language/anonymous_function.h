// Anonymous functions: @(x, y) expr. The handle keeps the body, its
// parameters and the values, at the time it is made, of the other
// variables the body names; a call evaluates the body in a workspace of its
// own holding those values and the arguments.
#pragma once

#include <memory>

#include "host/language/ast.h"
#include "host/values/value.h"

namespace kh {

struct FunctionFile;
class Workspace;

// The handle made by evaluating e (a Lambda) in ws; file is the function
// file it is made in (its functions stay callable from the body), or null.
Value makeAnonymousFunction(const Expr& e, const Workspace& ws,
                            const std::shared_ptr<const FunctionFile>& file);

}  // namespace kh
