// A module: its functions, its local function table and its pool of
// constants, built at load in pool order and destroyed at unload in reverse.
#pragma once

#include <string_view>
#include <vector>

#include "framework/constant.h"
#include "framework/function.h"
#include "runtime/runtime.h"

namespace kf {

class Module {
 public:
  Module(const char* name, mexLocalFunctionTable* localTable,
         const std::vector<Constant>& (*pool)());
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Builds the argument-count messages of every function (main first, then
  // the local functions in table order; outputs before inputs) and then the
  // module's own constants.
  void initialize();
  // Destroys every constant in exactly the reverse order of creation.
  void terminate();

  // The module's own constant `i` (a name of its pool list).
  mxArray* operator[](int i) const { return own_[static_cast<std::size_t>(i)]; }

  const char* name() const { return name_; }
  mexLocalFunctionTable* localTable() const { return localTable_; }
  const std::vector<Function*>& functions() const { return functions_; }
  // Every constant in order of creation (empty when not initialized).
  const std::vector<mxArray*>& created() const { return created_; }

 private:
  friend struct Function;
  mxArray* build(const Constant& c);

  const char* name_;
  mexLocalFunctionTable* localTable_;
  const std::vector<Constant>& (*pool_)();
  std::vector<Function*> functions_;
  std::vector<mxArray*> created_;
  std::vector<mxArray*> own_;
  double ieeePlusInf_ = 0;
  double ieeeMinusInf_ = 0;
  double ieeeNaN_ = 0;
};

// Every module of this build, in order of definition (for introspection by
// tests that link the modules directly).
const std::vector<Module*>& modules();
const Module* findModule(std::string_view name);

}  // namespace kf
