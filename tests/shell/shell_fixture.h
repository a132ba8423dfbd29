// Runs command-window text in a fresh shell and collects what it shows.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/context/output.h"
#include "host/language/workspace.h"
#include "host/shell/shell.h"

namespace kt {

struct Ran {
  bool ok;
  std::string out;
  std::string err;
};

inline Ran runIn(kh::Shell& sh, const std::string& text) {
  kh::OutputCapture cap;
  const bool ok = sh.run(text);
  return {ok, cap.text(), cap.errors()};
}

// The elements of a numeric variable, in column order.
inline std::vector<double> numbers(kh::Shell& sh, const std::string& name) {
  std::optional<kh::Value> v = sh.workspace().get(name);
  EXPECT_TRUE(v.has_value()) << name;
  if (!v || !v->isDouble()) return {};
  return std::vector<double>(v->re(), v->re() + v->numel());
}

}  // namespace kt
