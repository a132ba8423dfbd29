// error and warning with message identifiers through the command window:
// the identifier is kept apart from the formatted message (catch sees both,
// lasterr the message), and warnings can be turned off by identifier.
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "tests/shell/shell_fixture.h"

namespace {

std::string text(kh::Shell& sh, const char* name) {
  const std::optional<kh::Value> v = sh.workspace().get(name);
  EXPECT_TRUE(v && v->isChar()) << name;
  return v && v->isChar() ? v->utf8() : "";
}

struct ErrorCase {
  const char* statement;
  const char* message;
  const char* identifier;
};

TEST(MessageIds, ErrorKeepsTheIdentifierApartFromTheMessage) {
  const ErrorCase cases[] = {
      {"error('pkg:id', 'value %d of %s', 3, 'x')", "value 3 of x", "pkg:id"},
      {"error('kestrel:load:bad_file-2', 'plain')", "plain", "kestrel:load:bad_file-2"},
      // One argument is the message as it is, identifier-like or not.
      {"error('pkg:id')", "pkg:id", ""},
      {"error('no\\nescape %d')", "no\\nescape %d", ""},
      // A format that only looks like an identifier's start is a format.
      {"error('Value: %d', 3)", "Value: 3", ""},
      {"error('a:b c', 'd')", "a:b c", ""},
      {"error('1a:b', 'd')", "1a:b", ""},
      {"error('a:', 'd')", "a:", ""},
      {"error('pkg:id', 'line\\none')", "line\none", "pkg:id"},
      // A structure as catch gives it raises its message and identifier.
      {"error(struct('message', 'again', 'identifier', 'p:q'))", "again", "p:q"},
      {"error(struct('message', 'bare'))", "bare", ""},
  };
  for (const ErrorCase& c : cases) {
    kh::Shell sh;
    const kt::Ran r = kt::runIn(sh, std::string("try, ") + c.statement +
                                        ", catch err, m = err.message; id = err.identifier; "
                                        "last = lasterr; end");
    ASSERT_TRUE(r.ok) << c.statement << ": " << r.err;
    EXPECT_EQ(text(sh, "m"), c.message) << c.statement;
    EXPECT_EQ(text(sh, "id"), c.identifier) << c.statement;
    EXPECT_EQ(text(sh, "last"), c.message) << c.statement;
    // Uncaught, only the message is shown.
    const kt::Ran top = kt::runIn(sh, c.statement);
    EXPECT_EQ(top.err, std::string("??? ") + c.message + "\n");
    EXPECT_EQ(kh::lastErrorIdentifier(), c.identifier);
  }
}

TEST(MessageIds, EmptyMessagesRaiseNothingAndALaterErrorHasNoIdentifier) {
  kh::Shell sh;
  kt::Ran r = kt::runIn(sh, "error(''); error('p:q', ''); error(struct('message', '')); ok = 1;");
  ASSERT_TRUE(r.ok) << r.err;
  r = kt::runIn(sh,
                "try, error('p:q', 'first'), catch e, end\n"
                "try, [1 2] * [3 4], catch e2, id = e2.identifier; m = e2.message; end\n"
                "try, error(e), catch e3, id3 = e3.identifier; end");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(text(sh, "id"), "");
  EXPECT_EQ(text(sh, "m"), "Inner matrix dimensions must agree.");
  EXPECT_EQ(text(sh, "id3"), "p:q");  // rethrown from the saved structure
  r = kt::runIn(sh, "error(5)");
  EXPECT_EQ(r.err, "??? The argument of error must be a text.\n");
  r = kt::runIn(sh, "error(struct('text', 1))");
  EXPECT_EQ(r.err,
            "??? The argument of error must be a text or a structure with a field 'message'.\n");
}

class WarningIds : public ::testing::Test {
 protected:
  void TearDown() override {
    kh::setWarningsOn(true);
    kh::setAllWarningIdsOn();
  }
  kh::Shell sh;
};

TEST_F(WarningIds, FormatsAndTurnsOffByIdentifier) {
  struct Case {
    const char* code;
    const char* shown;
  };
  const Case cases[] = {
      {"warning('pkg:w', 'careful %d', 2)", "Warning: careful 2\n"},
      {"warning('x = %d, y = %s', 5, 'b')", "Warning: x = 5, y = b\n"},
      {"warning('pkg:w')", "Warning: pkg:w\n"},
      {"warning('off', 'pkg:w'); warning('pkg:w', 'hidden'); warning('pkg:other', 'shown')",
       "Warning: shown\n"},
      {"warning('query', 'pkg:w')", "Warning 'pkg:w' is off.\n"},
      {"warning('on', 'pkg:w'); warning('pkg:w', 'back')", "Warning: back\n"},
      {"warning('off', 'a:b'); warning('off', 'c:d'); warning('on', 'all'); "
       "warning('a:b', 'one'); warning('c:d', 'two')",
       "Warning: one\nWarning: two\n"},
      {"warning('off'); warning('hidden'); warning('p:q', 'hidden'); warning('on'); "
       "warning('shown')",
       "Warning: shown\n"},
      {"warning('off', 'all'); warning('hidden'); warning('on', 'all'); warning('shown')",
       "Warning: shown\n"},
      {"warning", "Warnings are on.\n"},
  };
  for (const Case& c : cases) {
    const kt::Ran r = kt::runIn(sh, c.code);
    ASSERT_TRUE(r.ok) << c.code << ": " << r.err;
    EXPECT_EQ(r.out, c.shown) << c.code;
  }
}

TEST_F(WarningIds, StatesAreGivenBackAndPutBack) {
  kt::Ran r = kt::runIn(sh,
                        "warning('shown first');\n"
                        "a = warning('off', 'pkg:w'); b = warning('off', 'pkg:w');\n"
                        "c = warning('query', 'pkg:w'); d = warning('on', 'pkg:w');\n"
                        "e = warning('off'); f = warning('query', 'pkg:w'); warning('on');\n"
                        "warning('off', 'pkg:w'); warning('pkg:w', 'not recorded');\n"
                        "warning(a); g = warning('query', 'pkg:w');\n"
                        "ai = a.identifier; as = a.state; bs = b.state; cs = c.state; "
                        "ds = d.state; fs = f.state; gs = g.state;");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(text(sh, "ai"), "pkg:w");
  EXPECT_EQ(text(sh, "as"), "on");
  EXPECT_EQ(text(sh, "bs"), "off");
  EXPECT_EQ(text(sh, "cs"), "off");
  EXPECT_EQ(text(sh, "ds"), "off");
  EXPECT_EQ(text(sh, "e"), "on");    // the one-argument forms give the text
  EXPECT_EQ(text(sh, "fs"), "off");  // every warning is off while all are
  EXPECT_EQ(text(sh, "gs"), "on");   // put back from a
  EXPECT_EQ(kh::lastWarning(), "shown first");
  // Turning all off and back leaves the identifiers turned off alone.
  r = kt::runIn(sh,
                "warning('off', 'p:q'); s = warning('off', 'all'); warning('x'); warning(s);\n"
                "warning('y'); warning('p:q', 'z');");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "Warning: y\n");
  EXPECT_EQ(kt::runIn(sh, "warning('on', 'a', 'b')").err, "??? Too many input arguments.\n");
  EXPECT_EQ(kt::runIn(sh, "warning(struct('a', 1))").err,
            "??? A structure given to warning must have the fields identifier and state.\n");
  EXPECT_EQ(kt::runIn(sh, "warning(struct('identifier', 'a:b', 'state', 'maybe'))").err,
            "??? The state of a warning must be 'on' or 'off'.\n");
}

}  // namespace
