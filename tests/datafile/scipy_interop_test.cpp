// Files written by scipy.io load with the right values, and files we write
// read back in scipy with the same values.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host/context/errors.h"
#include "host/datafile/matfile.h"
#include "tests/support/temp_dir.h"
#include "tests/support/values.h"

namespace {

using kh::Value;

const char* kPython = "/usr/bin/python3";

bool haveScipy() {
  static const bool ok = kt::runCommand(std::string(kPython) + " -c 'import scipy.io, numpy'") == 0;
  return ok;
}

// Runs a Python program in dir; fails the test with its output when it fails.
void runPython(const kt::TempDir& dir, const std::string& program) {
  const std::string script = dir.file("script.py");
  std::ofstream(script) << program;
  std::string out;
  const int rc =
      kt::runCommand("cd '" + dir.path() + "' && " + kPython + " '" + script + "'", &out);
  ASSERT_EQ(rc, 0) << out;
}

const kh::Value* find(const kh::NamedValues& vars, const std::string& name) {
  for (const auto& [n, v] : vars)
    if (n == name) return &v;
  return nullptr;
}

TEST(ScipyInterop, FileWrittenByScipyLoads) {
  if (!haveScipy()) GTEST_SKIP() << "scipy is not available";
  kt::TempDir dir;
  runPython(dir, R"(
import numpy as np, scipy.io
s = np.arange(6000, dtype=float).reshape(-1, 1) / 1000.0
cell = np.empty((1, 2), dtype=object)
cell[0, 0] = 'abc'
cell[0, 1] = np.array([[1.0, 2.0]])
scipy.io.savemat('rec.mat', {
    's': s, 'cl': 1200.0, 'z': np.array([[1 + 2j, 3 - 4j]]),
    'txt': 'pulse', 'flag': np.array([[True, False]]),
    'nd': np.arange(24, dtype=float).reshape((2, 3, 4), order='F'),
    'c': cell, 'st': {'a': 1.5, 'b': 'x'}})
)");
  const kh::NamedValues vars = kh::loadMatFile(dir.file("rec.mat"), {});

  const Value* s = find(vars, "s");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->dims(), (kh::Dims{6000, 1}));
  EXPECT_EQ(s->at(4321), 4.321);

  const Value* cl = find(vars, "cl");
  ASSERT_TRUE(cl);
  EXPECT_TRUE(kt::sameValue(*cl, Value::scalar(1200)));

  const Value* z = find(vars, "z");
  ASSERT_TRUE(z);
  ASSERT_TRUE(z->isComplex());
  EXPECT_EQ(z->cat(1), std::complex<double>(3, -4));

  const Value* txt = find(vars, "txt");
  ASSERT_TRUE(txt);
  EXPECT_TRUE(kt::sameValue(*txt, Value::str("pulse")));

  const Value* flag = find(vars, "flag");
  ASSERT_TRUE(flag);
  Value expectedFlag = Value::row({1, 0});
  expectedFlag.setLogical(true);
  EXPECT_EQ(kt::valueDifference(*flag, expectedFlag), "");

  const Value* nd = find(vars, "nd");
  ASSERT_TRUE(nd);
  EXPECT_EQ(nd->dims(), (kh::Dims{2, 3, 4}));
  EXPECT_EQ(nd->at(23), 23.0);

  const Value* c = find(vars, "c");
  ASSERT_TRUE(c);
  ASSERT_TRUE(c->isCell());
  EXPECT_TRUE(kt::sameValue(c->cellAt(0), Value::str("abc")));
  EXPECT_TRUE(kt::sameValue(c->cellAt(1), Value::row({1, 2})));

  const Value* st = find(vars, "st");
  ASSERT_TRUE(st);
  ASSERT_TRUE(st->isStruct());
  EXPECT_TRUE(kt::sameValue(st->fieldAt(0, st->fieldIndex("a")), Value::scalar(1.5)));
  EXPECT_TRUE(kt::sameValue(st->fieldAt(0, st->fieldIndex("b")), Value::str("x")));
}

TEST(ScipyInterop, FileWeSaveReadsInScipy) {
  if (!haveScipy()) GTEST_SKIP() << "scipy is not available";
  kt::TempDir dir;
  Value z = Value::numeric({1, 2}, true);
  z.mutRe()[0] = 1;
  z.mutIm()[0] = 2;
  z.mutRe()[1] = -0.5;
  z.mutIm()[1] = 0.25;
  Value nd = Value::numeric({2, 2, 2});
  for (std::size_t i = 0; i < 8; ++i) nd.mutRe()[i] = static_cast<double>(i);
  Value flag = Value::row({0, 1, 1});
  flag.setLogical(true);
  Value cell = Value::cell({1, 2});
  cell.mutCellAt(0) = Value::str("abc");
  cell.mutCellAt(1) = Value::scalar(9);
  Value st = Value::structArray({1, 1}, {"gain", "label"});
  st.mutFieldAt(0, 0) = Value::scalar(0.75);
  st.mutFieldAt(0, 1) = Value::str("lo");
  kh::saveMatFile(dir.file("ours.mat"), {{"x", Value::column({1.5, 2.5, 3.5})},
                                         {"z", z},
                                         {"nd", nd},
                                         {"flag", flag},
                                         {"txt", Value::str("kestrel")},
                                         {"cell", cell},
                                         {"st", st}});
  runPython(dir, R"(
import numpy as np, scipy.io
d = scipy.io.loadmat('ours.mat')
assert d['x'].shape == (3, 1) and np.array_equal(d['x'][:, 0], [1.5, 2.5, 3.5]), d['x']
assert np.array_equal(d['z'], [[1 + 2j, -0.5 + 0.25j]]), d['z']
assert d['nd'].shape == (2, 2, 2) and d['nd'][1, 1, 1] == 7 and d['nd'][1, 0, 0] == 1, d['nd']
assert d['flag'].dtype == np.uint8 and d['flag'].tolist() == [[0, 1, 1]], d['flag']
assert d['txt'][0] == 'kestrel', d['txt']
assert d['cell'][0, 0][0] == 'abc' and d['cell'][0, 1][0, 0] == 9, d['cell']
assert d['st']['gain'][0, 0][0, 0] == 0.75 and d['st']['label'][0, 0][0] == 'lo', d['st']
)");
}

TEST(ScipyInterop, UnsupportedClassNamesFileAndVariableAndLoadsNothing) {
  if (!haveScipy()) GTEST_SKIP() << "scipy is not available";
  kt::TempDir dir;
  runPython(dir, R"(
import numpy as np, scipy.io, scipy.sparse
scipy.io.savemat('mixed.mat', {'a': 1.0, 'x': np.array([[1, 2]], dtype=np.int32),
                               'sp': scipy.sparse.eye(3), 'f': np.float32(2.5)})
)");
  const std::string file = dir.file("mixed.mat");
  std::string msg;
  try {
    kh::loadMatFile(file, {});
  } catch (const kh::MError& e) {
    msg = e.what();
  }
  EXPECT_EQ(msg, "Unable to load 'x' from '" + file + "': class int32 is not supported.");

  struct Case {
    const char* name;
    const char* cls;
  };
  for (const Case& c : {Case{"sp", "sparse"}, Case{"f", "single"}}) {
    msg.clear();
    try {
      kh::loadMatFile(file, {c.name});
    } catch (const kh::MError& e) {
      msg = e.what();
    }
    EXPECT_EQ(msg, "Unable to load '" + std::string(c.name) + "' from '" + file + "': class " +
                       c.cls + " is not supported.");
  }
  // Variables of held classes in the same file still load when asked for.
  const kh::NamedValues only = kh::loadMatFile(file, {"a"});
  ASSERT_EQ(only.size(), 1u);
  EXPECT_EQ(only[0].second.at(0), 1.0);
}

}  // namespace
