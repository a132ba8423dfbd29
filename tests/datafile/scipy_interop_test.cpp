// Files written by scipy.io load with the right values, and files we write
// read back in scipy with the same values.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "host/context/context.h"
#include "host/core/errors.h"
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

// The start of the scripts that write version 7.3 files by hand: the
// modules, and mclass(dataset, name), which gives a dataset the class
// attribute as MATLAB writes it.
const std::string kWithClassAttribute = R"(
import numpy as np, scipy.io, h5py, struct
def mclass(d, c):  # as MATLAB writes it: a fixed-length, NUL-terminated text
    t = h5py.h5t.C_S1.copy()
    t.set_size(len(c) + 1)
    t.set_strpad(h5py.h5t.STR_NULLTERM)
    h5py.h5a.create(d.id, b'MATLAB_class', t, h5py.h5s.create(h5py.h5s.SCALAR)).write(
        np.array(c.encode(), dtype='S%d' % (len(c) + 1)))
)";

// The numbers of every class that SciPy, NumPy through h5py, and other tools
// write (integers of each width, single, logical) load as their double
// values, exactly, from version 5 files (plain and compressed), version 4
// files and version 7.3 files alike.
TEST(ScipyInterop, NumbersOfEveryClassLoadAsTheirDoubleValues) {
  if (!haveScipy()) GTEST_SKIP() << "scipy is not available";
  kt::TempDir dir;
  runPython(dir, kWithClassAttribute + R"(
v = {
    'i8': np.array([[-128, 0, 127]], dtype=np.int8),
    'u8': np.array([[0, 200, 255]], dtype=np.uint8),
    'i16': np.array([[-32768, 7, 32767]], dtype=np.int16),
    'u16': np.array([[0, 1, 65535]], dtype=np.uint16),
    'i32': np.array([[-2**31, -5, 2**31 - 1]], dtype=np.int32),
    'u32': np.array([[0, 3, 2**32 - 1]], dtype=np.uint32),
    'i64': np.array([[-2**63, -2**53, 2**53, 2**60]], dtype=np.int64),
    'u64': np.array([[0, 2**53, 2**63, 2**64 - 2**11]], dtype=np.uint64),
    'f32': np.array([[0.1, -2.5, np.inf, np.nan]], dtype=np.float32),
    'b': np.array([[True, False, True]]),
    'pf': np.int64(1),
}
scipy.io.savemat('v5.mat', v)
scipy.io.savemat('v5z.mat', v, do_compression=True)
scipy.io.savemat('v4.mat', {k: v[k] for k in ('u8', 'i16', 'u16', 'i32', 'f32')}, format='4')
with h5py.File('v73.mat', 'w', userblock_size=512) as f:
    for k, a in v.items():
        if k == 'b':
            d = f.create_dataset(k, data=a.astype(np.uint8).T)
            mclass(d, 'logical')
            d.attrs['MATLAB_int_decode'] = np.int32(1)
        elif k == 'pf':
            d = f.create_dataset(k, data=np.array([[1]], dtype=np.int64))
            mclass(d, 'int64')
        else:
            d = f.create_dataset(k, data=a.T)
            mclass(d, 'single' if k == 'f32' else str(a.dtype))
with open('v73.mat', 'r+b') as f:
    f.write(b'MATLAB 7.3 MAT-file'.ljust(116, b' ') + b'\0' * 8 + struct.pack('<H', 0x0200) + b'IM')
)");
  const double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = HUGE_VAL;
  const struct {
    const char* name;
    std::vector<double> values;
  } expected[] = {
      {"i8", {-128, 0, 127}},
      {"u8", {0, 200, 255}},
      {"i16", {-32768, 7, 32767}},
      {"u16", {0, 1, 65535}},
      {"i32", {-2147483648.0, -5, 2147483647.0}},
      {"u32", {0, 3, 4294967295.0}},
      {"i64",
       {-9223372036854775808.0, -9007199254740992.0, 9007199254740992.0, 1152921504606846976.0}},
      {"u64", {0, 9007199254740992.0, 9223372036854775808.0, 18446744073709549568.0}},
      {"f32", {static_cast<double>(0.1f), -2.5, kInf, kNaN}},
      {"b", {1, 0, 1}},
      {"pf", {1}},
  };
  for (const char* file : {"v5.mat", "v5z.mat", "v4.mat", "v73.mat"}) {
    const kh::NamedValues vars = kh::loadMatFile(dir.file(file), {});
    for (const auto& e : expected) {
      const Value* v = find(vars, e.name);
      if (std::string(file) == "v4.mat" && !v) continue;  // version 4 holds fewer classes
      ASSERT_TRUE(v) << file << " " << e.name;
      Value want = e.values.size() == 1 ? Value::scalar(e.values[0]) : Value::row(e.values);
      want.setLogical(std::string(e.name) == "b");
      EXPECT_EQ(kt::valueDifference(*v, want), "") << file << " " << e.name;
    }
  }
  EXPECT_EQ(kh::loadMatFile(dir.file("v4.mat"), {}).size(), 5u);
}

// A 64-bit whole number that no double holds exactly is refused, naming the
// file, the variable and the element, in every form; the same file's other
// variables still load when asked for alone.
TEST(ScipyInterop, A64BitNumberNoDoubleHoldsIsRefused) {
  if (!haveScipy()) GTEST_SKIP() << "scipy is not available";
  kt::TempDir dir;
  runPython(dir, kWithClassAttribute + R"(
for name, a in (('big', np.array([[1, 2**53 + 1]], dtype=np.int64)),
                ('top', np.array([[2**63 - 1]], dtype=np.int64)),
                ('utop', np.array([[5, 6, 2**64 - 1]], dtype=np.uint64))):
    scipy.io.savemat(name + '.mat', {'ok': 1.0, 'x': a})
    scipy.io.savemat(name + 'z.mat', {'ok': 1.0, 'x': a}, do_compression=True)
    with h5py.File(name + '73.mat', 'w', userblock_size=512) as f:
        mclass(f.create_dataset('ok', data=np.array([[1.0]])), 'double')
        mclass(f.create_dataset('x', data=a.T), str(a.dtype))
    with open(name + '73.mat', 'r+b') as f:
        f.write(b'MATLAB 7.3 MAT-file'.ljust(116, b' ') + b'\0' * 8 + struct.pack('<H', 0x0200) + b'IM')
)");
  const struct {
    const char* base;
    const char* what;
  } cases[] = {
      {"big", "its element 2 (9007199254740993) cannot be held exactly as a double"},
      {"top", "its element 1 (9223372036854775807) cannot be held exactly as a double"},
      {"utop", "its element 3 (18446744073709551615) cannot be held exactly as a double"},
  };
  for (const auto& c : cases)
    for (const char* form : {"", "z", "73"}) {
      const std::string file = dir.file(std::string(c.base) + form + ".mat");
      std::string msg;
      EXPECT_FALSE(kh::protect([&] { kh::loadMatFile(file, {}); }, &msg));
      EXPECT_EQ(msg, "Unable to load 'x' from '" + file + "': " + c.what + ".");
      ASSERT_EQ(kh::loadMatFile(file, {"ok"}).size(), 1u) << file;
    }
}

TEST(ScipyInterop, UnsupportedClassNamesFileAndVariableAndLoadsNothing) {
  if (!haveScipy()) GTEST_SKIP() << "scipy is not available";
  kt::TempDir dir;
  runPython(dir, R"(
import numpy as np, scipy.io, scipy.sparse
scipy.io.savemat('mixed.mat', {'a': 1.0, 'x': np.array([[1, 2]], dtype=np.int32),
                               'sp': scipy.sparse.eye(3)})
)");
  const std::string file = dir.file("mixed.mat");
  std::string msg;
  try {
    kh::loadMatFile(file, {});
  } catch (const kh::MError& e) {
    msg = e.what();
  }
  EXPECT_EQ(msg, "Unable to load 'sp' from '" + file + "': class sparse is not supported.");
  // A private copy's errors give the name the person knows it by.
  msg.clear();
  kh::protect([&] { kh::loadMatFile(file, {"sp"}, "my record.mat"); }, &msg);
  EXPECT_EQ(msg, "Unable to load 'sp' from 'my record.mat': class sparse is not supported.");
  // Variables of held classes in the same file still load when asked for.
  const kh::NamedValues only = kh::loadMatFile(file, {"a", "x"});
  ASSERT_EQ(only.size(), 2u);
  EXPECT_EQ(only[0].second.at(0), 1.0);
  EXPECT_EQ(kt::valueDifference(only[1].second, Value::row({1, 2})), "");
}

}  // namespace
