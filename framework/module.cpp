#include "framework/module.h"

#include <cmath>
#include <string>

namespace kf {
namespace {

std::vector<Module*>& registry() {
  static std::vector<Module*> all;
  return all;
}

std::vector<mxChar> chars(std::string_view s) { return {s.begin(), s.end()}; }

}  // namespace

const std::vector<Module*>& modules() { return registry(); }

const Module* findModule(std::string_view name) {
  for (const Module* m : registry())
    if (name == m->name()) return m;
  return nullptr;
}

Module::Module(const char* name, mexLocalFunctionTable* localTable,
               const std::vector<Constant>& (*pool)())
    : name_(name), localTable_(localTable), pool_(pool) {
  registry().push_back(this);
}

mxArray* Module::build(const Constant& c) {
  mxArray* a = nullptr;
  switch (c.kind) {
    case Constant::Kind::kText: {
      const std::vector<mxChar> t = chars(c.text);
      a = mclInitializeString(static_cast<int>(t.size()), t.data());
      break;
    }
    case Constant::Kind::kEmptyText:
      a = mclInitializeCharVector(0, 0, nullptr);
      break;
    case Constant::Kind::kScalar:
    case Constant::Kind::kMatrix: {
      // Non-finite entries come from the module's statics, read from the
      // run-time at initialization.
      std::vector<double> d = c.data;
      for (double& x : d) {
        if (std::isnan(x))
          x = ieeeNaN_;
        else if (std::isinf(x))
          x = x > 0 ? ieeePlusInf_ : ieeeMinusInf_;
      }
      if (c.kind == Constant::Kind::kScalar)
        a = mclInitializeDouble(d[0]);
      else
        a = mclInitializeDoubleVector(c.rows, c.cols, d.empty() ? nullptr : d.data());
      break;
    }
    case Constant::Kind::kCell: {
      std::vector<mxArray*> elements;
      for (int e : c.elements) elements.push_back(own_[static_cast<std::size_t>(e)]);
      a = mclInitializeCellVector(c.rows, c.cols, elements.data());
      break;
    }
  }
  created_.push_back(a);
  return a;
}

void Module::initialize() {
  const std::vector<Constant>& pool = pool_();
  bool nonFinite = false;
  for (const Constant& c : pool)
    for (double x : c.data) nonFinite = nonFinite || !std::isfinite(x);
  if (nonFinite) {
    ieeePlusInf_ = mclGetInf();
    ieeeMinusInf_ = -ieeePlusInf_;
    ieeeNaN_ = mclGetNaN();
  }
  for (Function* f : functions_) {
    const std::string out = f->countMessage(true);
    f->outputsMessage = build(text(out));
    if (!f->varargin) {
      const std::string in = f->countMessage(false);
      f->inputsMessage = build(text(in));
    }
  }
  for (const Constant& c : pool) own_.push_back(build(c));
}

void Module::terminate() {
  while (!created_.empty()) {
    mxDestroyArray(created_.back());
    created_.pop_back();
  }
  own_.clear();
  for (Function* f : functions_) f->outputsMessage = f->inputsMessage = nullptr;
}

}  // namespace kf
