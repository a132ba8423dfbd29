// The value model: shared storage until a write, shapes, structures, text.
#include "host/values/value.h"

#include <gtest/gtest.h>

#include <complex>
#include <vector>

#include "host/values/handle.h"

namespace kh {
namespace {

TEST(Value, CopiesShareStorageUntilOneSideWrites) {
  Value a = Value::row({1, 2, 3});
  Value b = a;
  EXPECT_TRUE(a.sharesStorageWith(b));
  b.mutRe()[0] = 9;
  EXPECT_FALSE(a.sharesStorageWith(b));
  EXPECT_EQ(a.at(0), 1);
  EXPECT_EQ(b.at(0), 9);
}

TEST(Value, SharingCountsFollowCopiesMovesAndReusedStorage) {
  // Storage freed by one value is reused by the next: the new value must
  // start from its own data, and sharing must be counted afresh.
  for (int round = 0; round < 3; ++round) {
    ValueList keep;
    for (int i = 0; i < 50; ++i) {
      Value a = Value::row({double(i), 2, 3});
      Value b = a;
      EXPECT_FALSE(a.ownsStorageAlone());
      Value c = std::move(b);  // still two holders
      EXPECT_FALSE(a.ownsStorageAlone());
      c.mutRe()[1] = -1;  // c now has its own copy
      EXPECT_TRUE(a.ownsStorageAlone());
      EXPECT_EQ(a.at(1), 2);
      EXPECT_EQ(c.at(1), -1);
      if (i % 2) keep.push_back(std::move(c));
    }
    for (std::size_t k = 0; k < keep.size(); ++k) {
      EXPECT_EQ(keep[k].at(0), double(2 * k + 1));
      EXPECT_EQ(keep[k].at(1), -1);
    }
  }
}

TEST(Value, ReusedElementBlocksHoldOnlyTheirOwnData) {
  // Lengths in one size class and across classes, made, copied, written,
  // moved and dropped in turn: every array reads back what was written to it.
  for (int round = 0; round < 4; ++round) {
    ValueList keep;
    for (std::size_t n : {17u, 100u, 128u, 129u, 5000u, 70000u}) {
      Value a = Value::numericForWrite({n, 1});
      for (std::size_t i = 0; i < n; ++i) a.mutRe()[i] = double(i) + 0.5 * round;
      Value b = a;
      b.mutRe()[n - 1] = -1;  // b gets a block of its own
      Value c = std::move(b);
      EXPECT_EQ(a.at(n - 1), double(n - 1) + 0.5 * round);
      EXPECT_EQ(c.at(n - 1), -1);
      EXPECT_EQ(c.at(0), 0.5 * round);
      keep.push_back(std::move(round % 2 ? a : c));
    }
    for (const Value& v : keep) EXPECT_EQ(v.at(1), 1 + 0.5 * round);
  }
}

TEST(Value, ManyDimensionsGrowShrinkAndCopy) {
  Dims d{2, 3};
  for (std::size_t k = 0; k < 5; ++k) d.push_back(k + 1 == 5 ? 1 : 4 + k);
  ASSERT_EQ(d.size(), 7u);
  EXPECT_EQ(d, (Dims{2, 3, 4, 5, 6, 7, 1}));
  Dims copy = d, moved = std::move(copy);
  EXPECT_EQ(moved, d);
  copy = moved;  // a moved-from shape takes a new one
  EXPECT_EQ(copy, d);
  Value v = Value::numeric(d);
  EXPECT_EQ(v.dims(), (Dims{2, 3, 4, 5, 6, 7}));  // the trailing 1 goes
  EXPECT_EQ(v.numel(), 2u * 3 * 4 * 5 * 6 * 7);
  while (d.size() > 2) d.pop_back();
  EXPECT_EQ(d, (Dims{2, 3}));
  d.insert(d.begin() + 1, 9);
  EXPECT_EQ(d, (Dims{2, 9, 3}));
  for (int k = 0; k < 4; ++k) d.insert(d.begin(), 1);
  EXPECT_EQ(d, (Dims{1, 1, 1, 1, 2, 9, 3}));
  d.erase(d.begin());
  EXPECT_EQ(d, (Dims{1, 1, 1, 2, 9, 3}));
  // Moves and copies between the inline and the heap form, both ways.
  Dims big{1, 2, 3, 4, 5, 6}, small{7, 8};
  small = std::move(big);
  EXPECT_EQ(small, (Dims{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(big.empty());
  big = Dims{9};
  Dims other{1, 1, 1, 1, 1};
  other = small;
  EXPECT_EQ(other, small);
  other = std::move(big);
  EXPECT_EQ(other, (Dims{9}));
  const Dims& same = other;
  other = same;
  EXPECT_EQ(other, (Dims{9}));
  small.pop_back();
  small.pop_back();
  EXPECT_EQ(small, (Dims{1, 2, 3, 4}));
  small.push_back(10);
  EXPECT_EQ(small, (Dims{1, 2, 3, 4, 10}));
}

TEST(Value, PlaceholderEmptyAndShapes) {
  EXPECT_EQ(Value().cls(), mxUNKNOWN_CLASS);
  EXPECT_EQ(Value::empty().dims(), (Dims{0, 0}));
  EXPECT_EQ(Value::numeric({2, 3, 1, 1}).dims(), (Dims{2, 3}));  // trailing ones dropped
  EXPECT_EQ(Value::numeric({2, 1, 4}).cols(), 4u);
  EXPECT_EQ(Value::numeric({0, 7}).length(), 0u);
  EXPECT_EQ(Value::numeric({3, 7, 2}).length(), 7u);
  Value v = Value::row({1, 2, 3, 4, 5, 6});
  v.reshape({3, 2});
  EXPECT_EQ(v.rows(), 3u);
  EXPECT_THROW(v.reshape({4, 2}), std::logic_error);
}

TEST(Value, ComplexPartIsDroppedWhenAllZero) {
  Value z = Value::numeric({1, 2}, true);
  EXPECT_TRUE(z.isComplex());
  z.dropZeroImag();
  EXPECT_FALSE(z.isComplex());
  Value w = Value::complexScalar(1, 2);
  w.dropZeroImag();
  EXPECT_TRUE(w.isComplex());
}

TEST(Value, StructFieldsKeepTheirOrderAndGrow) {
  Value s = Value::structArray({1, 2}, {"R"});
  EXPECT_EQ(s.addField("df"), 1);
  EXPECT_EQ(s.addField("R"), 0);
  s.mutFieldAt(1, 1) = Value::scalar(-1);
  EXPECT_EQ(s.fieldNames(), (std::vector<std::string>{"R", "df"}));
  EXPECT_EQ(s.fieldAt(1, 1).at(0), -1);
  EXPECT_TRUE(s.fieldAt(0, 1).isEmpty());
  EXPECT_EQ(s.fieldIndex("normr"), -1);
}

TEST(Value, TextIsSixteenBitAndRoundTripsUtf8) {
  const Value t = Value::str(std::string_view("a\xc3\xa9z"));  // a, e-acute, z
  EXPECT_EQ(t.numel(), 3u);
  EXPECT_EQ(t.chr()[1], u'\u00e9');
  EXPECT_EQ(t.utf8(), "a\xc3\xa9z");
  EXPECT_EQ(Value::str(std::string_view("")).dims(), (Dims{0, 0}));
  EXPECT_EQ(className(t), "char");
}

// Values held in their cell (real and character scalars, 0-by-0 values)
// turn into heap objects when a write needs one, and a change to one holder
// of a shared object never shows in another: reshape, a new imaginary part,
// growth, a character written, a field added.
TEST(Value, CellFormsAndSharedObjectsChangeOnlyTheHolderWritten) {
  Value s = Value::scalar(2.5), t = s;
  double* im = t.mutIm();  // a scalar gains an imaginary part
  im[0] = 1;
  EXPECT_FALSE(s.isComplex());
  EXPECT_EQ(s.cat(0), std::complex<double>(2.5, 0));
  EXPECT_EQ(t.cat(0), std::complex<double>(2.5, 1));

  Value a = Value::row({1, 2, 3, 4, 5, 6}), b = a;
  b.reshape({2, 3});
  EXPECT_EQ(a.dims(), (Dims{1, 6}));
  EXPECT_EQ(b.dims(), (Dims{2, 3}));
  b.mutIm()[5] = 7;  // the real part moves to a larger block
  EXPECT_EQ(b.at(5), 6);
  EXPECT_EQ(b.cat(5), std::complex<double>(6, 7));
  EXPECT_EQ(a.im(), nullptr);
  b.mutIm()[5] = 0;
  b.dropZeroImag();
  EXPECT_FALSE(b.isComplex());
  EXPECT_EQ(b.at(4), 5);

  Value c = Value::str(u"x"), d = c;
  d.mutChr()[0] = u'y';
  EXPECT_EQ(c.utf8(), "x");
  EXPECT_EQ(d.utf8(), "y");

  Value e = Value::cell({0, 0}), f = e;
  e.growLinear({1, 3});
  e.mutCellAt(2) = Value::str("z");
  EXPECT_EQ(f.numel(), 0u);
  EXPECT_EQ(e.cellAt(2).utf8(), "z");
  EXPECT_TRUE(e.cellAt(0).isEmpty() && e.cellAt(0).isDouble());

  Value g = Value::structArray({1, 2}, {"a"}), h = g;
  h.addField("b");
  h.mutFieldAt(1, 1) = Value::scalar(4);
  EXPECT_EQ(g.fieldNames().size(), 1u);
  EXPECT_EQ(h.fieldAt(1, 1).at(0), 4);
  EXPECT_TRUE(h.fieldAt(0, 0).isEmpty());

  // A value assigned what it holds: the element is taken before the
  // container goes.
  Value nest = Value::cell({1, 1});
  nest.mutCellAt(0) = Value::row({7, 8, 9});
  nest = nest.cellAt(0);
  EXPECT_EQ(nest.at(2), 9);
  Value nest2 = Value::cell({1, 1});
  nest2.mutCellAt(0) = Value::str("in");
  nest2 = std::move(nest2.mutCellAt(0));
  EXPECT_EQ(nest2.utf8(), "in");
  // A moved-from value is a 0-by-0 value of its class.
  Value moved = std::move(h);
  EXPECT_TRUE(h.isStruct() && h.isEmpty());
  EXPECT_EQ(moved.numel(), 2u);
  // Empty shapes other than 0-by-0 keep their dimensions.
  Value z = Value::numeric({0, 3}), w = Value::numeric({1, 0});
  EXPECT_EQ(z.dims(), (Dims{0, 3}));
  EXPECT_EQ(w.dims(), (Dims{1, 0}));
  EXPECT_EQ(z.re(), nullptr);
  EXPECT_EQ(sizeof(Value), 16u);
}

// A large array's data is in a block of its own: a reshape of a shared one
// gets a header of its own and shares the data (a(:) of a long recording
// copies nothing) until either side writes.
TEST(Value, ReshapedLargeArraysShareTheirDataUntilAWrite) {
  for (std::size_t n : {6u, 503u, 504u, 505u, 100000u}) {
    Value a = Value::numericForWrite({1, n});
    for (std::size_t i = 0; i < n; ++i) a.mutRe()[i] = double(i);
    Value b = a;
    b.reshape({n, 1});
    EXPECT_EQ(a.dims(), (Dims{1, n}));
    EXPECT_EQ(b.dims(), (Dims{n, 1}));
    const bool large = n * sizeof(double) > HeapArray::kOwnDataBytes;
    EXPECT_EQ(b.sharesStorageWith(a), large) << n;
    EXPECT_FALSE(a.ownsStorageAlone() && large) << n;
    Value c = b;  // a third holder, of b's header
    b.mutRe()[n - 1] = -1;
    EXPECT_EQ(a.at(n - 1), double(n - 1));
    EXPECT_EQ(c.at(n - 1), double(n - 1));
    EXPECT_EQ(b.at(n - 1), -1);
    EXPECT_TRUE(b.ownsStorageAlone());
    c.mutIm()[0] = 2;  // grows into a block of its own
    EXPECT_EQ(c.cat(0), std::complex<double>(0, 2));
    EXPECT_EQ(c.at(n - 1), double(n - 1));
    EXPECT_EQ(a.im(), nullptr);
    EXPECT_TRUE(a.ownsStorageAlone());
  }
}

TEST(Handles, EveryLiveHandleIsCountedAndOrphanedTemporariesCanBeSwept) {
  const std::size_t before = liveHandles();
  mxArray* kept = newHandle(Value::scalar(1), false);
  const std::uint64_t mark = nextSerial();
  newTemp(Value::scalar(2));
  newTemp(Value::scalar(3));
  mxArray* variable = newHandle(Value::scalar(4), false);
  EXPECT_EQ(liveHandles(), before + 4);
  EXPECT_EQ(destroyTemporariesSince(mark), 2u);
  EXPECT_EQ(liveHandles(), before + 2);
  destroyHandle(variable);
  destroyHandle(kept);
  destroyHandle(nullptr);
  EXPECT_EQ(liveHandles(), before);
}

}  // namespace
}  // namespace kh
