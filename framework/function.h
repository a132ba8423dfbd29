// The declaration of one M-level function: where it lives, what it takes and
// gives, and the handles of its argument-count messages once its module has
// built them.
#pragma once

#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace kf {

class Module;

struct Function {
  Function(Module& module, const char* path, int line, int inputs, bool varargin,
           std::vector<const char*> outputs);
  Function(const Function&) = delete;
  Function& operator=(const Function&) = delete;

  // The input code of the tables: k, -1 for varargin alone, -(k+1) for k
  // named inputs followed by varargin.
  int code() const { return varargin ? -(inputs + 1) : inputs; }
  int nout() const { return static_cast<int>(outputs.size()); }

  // "Run-time Error: File: <path> Line: <line> Column: 1 The function
  // "<path>" was called with more than the declared number of <what> (<n>)."
  std::string countMessage(bool forOutputs) const;

  Module& module;
  const char* path;
  int line;
  int inputs;
  bool varargin;
  std::vector<const char*> outputs;  // M-level names, for the unset-output warning
  mxArray* outputsMessage = nullptr;
  mxArray* inputsMessage = nullptr;  // none for a varargin function
};

}  // namespace kf
