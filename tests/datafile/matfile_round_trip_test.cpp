// Values written to a MAT file come back unchanged, for every class the host
// holds; names, missing files and unsupported classes are reported plainly.
#include <gtest/gtest.h>

#include <string>

#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "tests/support/temp_dir.h"
#include "tests/support/values.h"

namespace {

using kh::Value;

Value complexMatrix() {
  Value v = Value::numeric({2, 2}, true);
  for (int i = 0; i < 4; ++i) {
    v.mutRe()[i] = i + 0.5;
    v.mutIm()[i] = -i - 1.0;
  }
  return v;
}

Value nd() {
  Value v = Value::numeric({2, 3, 4});
  for (std::size_t i = 0; i < v.numel(); ++i) v.mutRe()[i] = static_cast<double>(i) * 1.25;
  return v;
}

Value logicalRow() {
  Value v = Value::row({1, 0, 1});
  v.setLogical(true);
  return v;
}

Value charMatrix() {
  Value v = Value::chars({2, 3});
  const char16_t text[] = u"aebfcg";  // rows "abc" and "efg" in column order
  for (int i = 0; i < 6; ++i) v.mutChr()[i] = text[i];
  return v;
}

Value mixedCell() {
  Value c = Value::cell({1, 3});
  c.mutCellAt(0) = Value::scalar(7);
  c.mutCellAt(1) = Value::str("seven");
  Value inner = Value::cell({2, 1});
  inner.mutCellAt(0) = Value::row({1, 2});
  c.mutCellAt(2) = inner;
  return c;
}

Value nestedStruct() {
  Value inner = Value::structArray({1, 1}, {"gain"});
  inner.mutFieldAt(0, 0) = Value::scalar(0.25);
  Value s = Value::structArray({1, 2}, {"name", "opts", "data"});
  s.mutFieldAt(0, 0) = Value::str("first");
  s.mutFieldAt(0, 1) = inner;
  s.mutFieldAt(0, 2) = Value::column({1, 2, 3});
  s.mutFieldAt(1, 0) = Value::str("second");
  s.mutFieldAt(1, 2) = complexMatrix();
  return s;
}

struct RoundTripCase {
  const char* name;
  Value value;
};

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, ValueComesBackUnchanged) {
  kt::TempDir dir;
  const std::string file = dir.file("v.mat");
  kh::saveMatFile(file, {{"v", GetParam().value}});
  const kh::NamedValues back = kh::loadMatFile(file, {});
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].first, "v");
  EXPECT_EQ(kt::valueDifference(back[0].second, GetParam().value), "");
}

INSTANTIATE_TEST_SUITE_P(
    EveryHeldClass, RoundTrip,
    ::testing::Values(
        RoundTripCase{"scalar", Value::scalar(-3.5)},
        RoundTripCase{"matrix", Value::row({1, 2, 3, 4.5})}, RoundTripCase{"empty", Value::empty()},
        RoundTripCase{"empty_rows", Value::numeric({0, 3})},
        RoundTripCase{"complex", complexMatrix()},
        RoundTripCase{"complex_scalar", Value::complexScalar(0, 1)}, RoundTripCase{"nd", nd()},
        RoundTripCase{"logical", logicalRow()}, RoundTripCase{"text", Value::str("hello, world")},
        RoundTripCase{"non_ascii_text", Value::str(u"\u00e9t\u00e9 \u03c0")},
        RoundTripCase{"char_matrix", charMatrix()}, RoundTripCase{"empty_text", Value::str("")},
        RoundTripCase{"cell", mixedCell()}, RoundTripCase{"empty_cell", Value::cell({0, 0})},
        RoundTripCase{"nested_struct", nestedStruct()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatFile, KeepsFileOrderAndPicksRequestedNames) {
  kt::TempDir dir;
  const std::string file = dir.file("many.mat");
  kh::saveMatFile(
      file, {{"zeta", Value::scalar(1)}, {"alpha", Value::scalar(2)}, {"mid", Value::scalar(3)}});
  const kh::NamedValues all = kh::loadMatFile(file, {});
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].first, "zeta");
  EXPECT_EQ(all[1].first, "alpha");
  EXPECT_EQ(all[2].first, "mid");

  const kh::NamedValues some = kh::loadMatFile(file, {"mid", "absent", "zeta"});
  ASSERT_EQ(some.size(), 2u);
  EXPECT_EQ(some[0].first, "zeta");
  EXPECT_EQ(some[1].first, "mid");
  EXPECT_EQ(some[1].second.at(0), 3.0);
}

TEST(MatFile, SaveReplacesTheFile) {
  kt::TempDir dir;
  const std::string file = dir.file("r.mat");
  kh::saveMatFile(file, {{"a", Value::scalar(1)}, {"b", Value::scalar(2)}});
  kh::saveMatFile(file, {{"c", Value::scalar(3)}});
  const kh::NamedValues back = kh::loadMatFile(file, {});
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].first, "c");
}

std::string errorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const kh::MError& e) {
    return e.what();
  }
  return "";
}

TEST(MatFile, MissingFileNamesTheFileAndTheCause) {
  kt::TempDir dir;
  const std::string file = dir.file("ex_pulse.mat");
  EXPECT_EQ(errorOf([&] { kh::loadMatFile(file, {}); }),
            "Unable to read file '" + file + "': No such file or directory.");
}

TEST(MatFile, FileThatIsNotMatIsRejected) {
  kt::TempDir dir;
  const std::string file = dir.file("text.mat");
  ASSERT_EQ(kt::runCommand("echo 'not a data file' > '" + file + "'"), 0);
  EXPECT_EQ(errorOf([&] { kh::loadMatFile(file, {}); }),
            "Unable to read file '" + file + "': it is not a MAT file.");
}

TEST(MatFile, SavingAFunctionHandleFailsAndLeavesTheFileAlone) {
  kt::TempDir dir;
  const std::string file = dir.file("keep.mat");
  kh::saveMatFile(file, {{"a", Value::scalar(1)}});
  const Value fh = Value::function(kh::FunctionRef{"sin", nullptr});
  EXPECT_EQ(errorOf([&] {
              kh::saveMatFile(file, {{"b", Value::scalar(2)}, {"f", fh}});
            }),
            "Unable to save 'f' to '" + file + "': class function_handle cannot be saved.");
  const kh::NamedValues back = kh::loadMatFile(file, {});
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].first, "a");
}

struct NameCase {
  const char* given;
  const char* resolved;
};

class ResolveName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ResolveName, AddsMatOnlyWithoutExtension) {
  EXPECT_EQ(kh::resolveMatFileName(GetParam().given), GetParam().resolved);
}

INSTANTIATE_TEST_SUITE_P(Names, ResolveName,
                         ::testing::Values(NameCase{"ex_pulse", "ex_pulse.mat"},
                                           NameCase{"ex_pulse.mat", "ex_pulse.mat"},
                                           NameCase{"data.v2/rec", "data.v2/rec.mat"},
                                           NameCase{"dir/rec.dat", "dir/rec.dat"}));

}  // namespace
