// A command window over a fresh graphics system for each test, with short
// forms for text that must succeed, must fail, or gives a value.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/graphics/commands.h"
#include "tests/shell/shell_fixture.h"

namespace kt {

class FigureTest : public ::testing::Test {
 protected:
  void SetUp() override { kh::gfx::resetGraphics(); }
  void TearDown() override { kh::gfx::resetGraphics(); }
  // Runs text that must succeed; returns what it printed.
  std::string ok(const std::string& text) {
    const Ran r = runIn(sh, text);
    EXPECT_TRUE(r.ok) << text << "\n" << r.err;
    return r.out;
  }
  // Runs text that must fail; returns what it reported.
  std::string fails(const std::string& text) {
    const Ran r = runIn(sh, text);
    EXPECT_FALSE(r.ok) << text;
    return r.err;
  }
  // The elements of a numeric expression, or its text.
  std::vector<double> eval(const std::string& expr) {
    ok("r__ = " + expr + ";");
    return numbers(sh, "r__");
  }
  std::string text(const std::string& expr) {
    ok("r__ = " + expr + ";");
    auto v = sh.workspace().get("r__");
    return v && v->isChar() ? v->utf8() : "<not text>";
  }
  kh::Shell sh;
};

}  // namespace kt
