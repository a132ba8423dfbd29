// Tables of command-window cases: statements run in a fresh shell, then
// each named variable compared with the value of an expression written in
// the same language (class, size, logical flag and data must all agree),
// or the error the statements must stop with.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/shell/shell_fixture.h"
#include "tests/support/values.h"

namespace kt {

struct StatementCase {
  const char* name;
  const char* code;
  // (variable, expression giving its expected value); for an error case a
  // single pair ("", message).
  std::vector<std::pair<const char*, const char*>> want;
};

inline void PrintTo(const StatementCase& c, std::ostream* os) { *os << c.code; }

inline void checkStatementCase(const StatementCase& c) {
  kh::Shell sh;
  const Ran r = runIn(sh, c.code);
  if (!c.want.empty() && std::string(c.want[0].first).empty()) {
    EXPECT_FALSE(r.ok) << c.code;
    EXPECT_EQ(r.err, std::string("??? ") + c.want[0].second + "\n") << c.code;
    return;
  }
  ASSERT_TRUE(r.ok) << c.code << "\n" << r.err;
  for (const auto& [var, expr] : c.want) {
    const Ran w = runIn(sh, std::string("want__ = ") + expr + ";");
    ASSERT_TRUE(w.ok) << expr << ": " << w.err;
    const std::optional<kh::Value> got = sh.workspace().get(var);
    ASSERT_TRUE(got.has_value()) << var;
    EXPECT_EQ(valueDifference(*got, *sh.workspace().get("want__")), "")
        << c.code << "\n  " << var << " against " << expr;
  }
}

inline std::string caseName(const ::testing::TestParamInfo<StatementCase>& info) {
  return info.param.name;
}

}  // namespace kt
