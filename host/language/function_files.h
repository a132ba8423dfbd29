// Function files: NAME.m on the data path whose first statement line starts
// with `function` defines NAME, and may hold further functions that only
// the functions of that file see. A file is parsed once and kept until its
// modification time or size changes. A call runs in a fresh workspace of
// its own.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/language/ast.h"
#include "host/values/value.h"

namespace kh {

struct FunctionFile {
  std::string path;      // as found on the data path
  std::string fileName;  // "myfun.m", as errors name it
  std::string stem;      // "myfun": the name the file's first function is called by
  std::vector<std::unique_ptr<FunctionDef>> functions;  // the file's own first

  // The function a name means inside this file: the first function under
  // the file's name, the others under their own; null for any other name.
  const FunctionDef* find(const std::string& name) const;
};

// Whether text is a function file's: its first line that is neither blank
// nor a comment starts with the word `function`.
bool isFunctionFileText(std::string_view text);

// The function file NAME.m on the data path; null when there is none, or
// when the file there is a script. A parse error raises, naming the file
// and line.
std::shared_ptr<const FunctionFile> functionFileNamed(const std::string& name);

// Calls function f of file for nargout values (nargout 0 gives the first
// output when it is set, nothing otherwise).
ValueList callFunction(const std::shared_ptr<const FunctionFile>& file, const FunctionDef& f,
                       int nargout, ValueList& args);

// Calls the function file NAME.m; false when there is none.
bool callFunctionFileNamed(const std::string& name, int nargout, ValueList& args, ValueList& out);

// A handle to function f of file, which calls it from anywhere.
Value fileFunctionHandle(const std::shared_ptr<const FunctionFile>& file, const FunctionDef& f);

// A handle to the function file NAME.m, found anew at each call.
Value functionFileHandle(const std::string& name);

}  // namespace kh
