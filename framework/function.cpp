#include "framework/function.h"

#include "framework/module.h"

namespace kf {

Function::Function(Module& m, const char* p, int l, int k, bool va, std::vector<const char*> outs)
    : module(m), path(p), line(l), inputs(k), varargin(va), outputs(std::move(outs)) {
  m.functions_.push_back(this);
}

std::string Function::countMessage(bool forOutputs) const {
  const std::string p(path);
  return "Run-time Error: File: " + p + " Line: " + std::to_string(line) +
         " Column: 1 The function \"" + p + "\" was called with more than the declared number of " +
         (forOutputs ? "outputs (" + std::to_string(nout()) : "inputs (" + std::to_string(inputs)) +
         ").";
}

}  // namespace kf
