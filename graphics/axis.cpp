// The axis module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/module.h"
#include "graphics/restore_on_error.h"

extern "C" mexLocalFunctionTable _local_function_table_axis;

namespace {

constexpr std::string_view kStateWarningText =
    "AXIS('STATE') is obsolete and will be eliminated\\n"
    "         in future versions. Use GET(GCA,...) instead.";

// The command interpreter's constants, then those of the limit and mode
// operations, then those of the tight fit and the state query; each built
// once, where it is first listed.
#define POOL(X)                                                                                   \
  X(kType, kf::text("type"))                                                                      \
  X(kAxes, kf::text("axes"))                                                                      \
  X(kPbarlimit, kf::num(0.1))                                                                     \
  X(kOne, kf::num(1))                                                                             \
  X(kTwo, kf::num(2))                                                                             \
  X(kEmpty, kf::matrix(0, 0, {}))                                                                 \
  X(kFour, kf::num(4))                                                                            \
  X(kAuto, kf::text("auto"))                                                                      \
  X(kTight, kf::text("tight"))                                                                    \
  X(kFill, kf::text("fill"))                                                                      \
  X(kManual, kf::text("manual"))                                                                  \
  X(kIj, kf::text("ij"))                                                                          \
  X(kXy, kf::text("xy"))                                                                          \
  X(kSquare, kf::text("square"))                                                                  \
  X(kEqual, kf::text("equal"))                                                                    \
  X(kImage, kf::text("image"))                                                                    \
  X(kNormal, kf::text("normal"))                                                                  \
  X(kOff, kf::text("off"))                                                                        \
  X(kOn, kf::text("on"))                                                                          \
  X(kVis3d, kf::text("vis3d"))                                                                    \
  X(kState, kf::text("state"))                                                                    \
  X(kXLimMode, kf::text("XLimMode"))                                                              \
  X(kYLimMode, kf::text("YLimMode"))                                                              \
  X(kZLimMode, kf::text("ZLimMode"))                                                              \
  X(kXDir, kf::text("XDir"))                                                                      \
  X(kYDir, kf::text("YDir"))                                                                      \
  X(kReverse, kf::text("reverse"))                                                                \
  X(kPlotBoxAspectRatio, kf::text("PlotBoxAspectRatio"))                                          \
  X(kDataAspectRatioMode, kf::text("DataAspectRatioMode"))                                        \
  X(kPlotBoxAspectRatioMode, kf::text("PlotBoxAspectRatioMode"))                                  \
  X(kCameraViewAngleMode, kf::text("CameraViewAngleMode"))                                        \
  X(kVisible, kf::text("Visible"))                                                                \
  X(kTitle, kf::text("Title"))                                                                    \
  X(kDataAspectRatio, kf::text("DataAspectRatio"))                                                \
  X(kCameraViewAngle, kf::text("CameraViewAngle"))                                                \
  X(kOnes3, kf::matrix(1, 3, {1, 1, 1}))                                                          \
  X(kStateWarning, kf::text(kStateWarningText))                                                   \
  X(kUnknownOption, kf::text("Unknown command option '"))                                         \
  X(kQuote, kf::text("'"))                                                                        \
  X(kXLim, kf::text("XLim"))                                                                      \
  X(kYLim, kf::text("YLim"))                                                                      \
  X(kZLim, kf::text("ZLim"))                                                                      \
  X(kView, kf::text("View"))                                                                      \
  X(kView2d, kf::matrix(1, 2, {0, 90}))                                                           \
  X(kCLim, kf::text("CLim"))                                                                      \
  X(kCLimMode, kf::text("CLimMode"))                                                              \
  X(kViewLower, kf::text("view"))                                                                 \
  X(kView3d, kf::matrix(1, 2, {-37.5, 30}))                                                       \
  X(kBadLength, kf::text("Vector must have 4, 6, or 8 elements."))                                \
  X(kX, kf::text("x"))                                                                            \
  X(kY, kf::text("y"))                                                                            \
  X(kZ, kf::text("z"))                                                                            \
  X(kNinety, kf::num(90))                                                                         \
  X(kZero, kf::num(0))                                                                            \
  X(kXlim, kf::text("xlim"))                                                                      \
  X(kYlim, kf::text("ylim"))                                                                      \
  X(kZlim, kf::text("zlim"))                                                                      \
  X(kUnits, kf::text("Units"))                                                                    \
  X(kPixels, kf::text("Pixels"))                                                                  \
  X(kPosition, kf::text("Position"))                                                              \
  X(kWidthHeightHeight, kf::matrix(1, 3, {3, 4, 4}))                                              \
  X(kXlimmode, kf::text("xlimmode"))                                                              \
  X(kYlimmode, kf::text("ylimmode"))                                                              \
  X(kThree, kf::num(3))                                                                           \
  X(kFive, kf::num(5))                                                                            \
  X(kSix, kf::num(6))                                                                             \
  X(kSeven, kf::num(7))                                                                           \
  X(kEight, kf::num(8))                                                                           \
  X(kNoLimits, kf::matrix(1, 6, {kf::kInf, -kf::kInf, kf::kInf, -kf::kInf, kf::kInf, -kf::kInf})) \
  X(kPatch, kf::text("patch"))                                                                    \
  X(kSurface, kf::text("surface"))                                                                \
  X(kLine, kf::text("line"))                                                                      \
  X(kDataTypes, kf::cell(1, 3, {kPatch, kSurface, kLine}))                                        \
  X(kXdata, kf::text("xdata"))                                                                    \
  X(kYdata, kf::text("ydata"))                                                                    \
  X(kZdata, kf::text("zdata"))                                                                    \
  X(kXYZData, kf::cell(1, 3, {kXdata, kYdata, kZdata}))                                           \
  X(kCdata, kf::text("cdata"))                                                                    \
  X(kXYCData, kf::cell(1, 3, {kXdata, kYdata, kCdata}))                                           \
  X(kText, kf::text("text"))                                                                      \
  X(kLowerBounds, kf::matrix(1, 5, {1, 0, 1, 0, 1}))                                              \
  X(kEmptyText, kf::emptyText())
KF_POOL(POOL)
#undef POOL

kf::Module module{"axis", &_local_function_table_axis, poolTable};

kf::Function axisFn{module, "axis", 1, 0, true, {"ans1", "ans2", "ans3"}};
kf::Function axis_LocGetLimitsFn{module, "axis/LocGetLimits", 180, 1, false, {"ans1"}};
kf::Function axis_LocSetLimitsFn{module, "axis/LocSetLimits", 190, 2, false, {}};
kf::Function axis_LocSetAutoFn{module, "axis/LocSetAuto", 223, 2, false, {}};
kf::Function axis_LocSetTightFn{module, "axis/LocSetTight", 247, 1, false, {}};
kf::Function axis_LocSetFillFn{module, "axis/LocSetFill", 319, 2, false, {}};
kf::Function axis_LocSetEqualFn{module, "axis/LocSetEqual", 350, 2, false, {}};
kf::Function axis_LocSetImageFn{module, "axis/LocSetImage", 378, 2, false, {}};
kf::Function axis_LocGetStateFn{module, "axis/LocGetState",      394, 1,
                                false,  {"ans1", "ans2", "ans3"}};

KF_EXCEPTION_FUNCTION()

// a:b for two constants of the pool, as a subscript.
mxArray* span(int from, int to) { return mlfColon(module[from], module[to], nullptr); }

// Whether a value is exactly the text of a word of the pool.
bool is(mxArray* value, int word) { return mlfTobool(mlfStrcmp(value, module[word])); }

// Whether neither the azimuth nor the elevation of the axes' view is a
// multiple of 90 degrees.
bool threeDView(mxArray* ax) {
  return mclNeBool(mlfRem(mlfNGet(1, ax, module[kViewLower], nullptr), module[kNinety]),
                   module[kZero]);
}

// a = the axes' "Position" in pixels. "Units" is switched to pixels for the
// read and put back to the value read before, also when the read fails.
void readPixelPosition(const kf::Var& ax, kf::Var& units, kf::Var& a) {
  units = mlfNGet(1, ax(), module[kUnits], nullptr);
  mlfNSet(0, ax(), module[kUnits], module[kPixels], nullptr);
  {
    kgfx::RestoreOnError restore(ax(), module[kUnits], units.slot());
    a = mlfNGet(1, ax(), module[kPosition], nullptr);
    restore.dismiss();
  }
  mlfNSet(0, ax(), module[kUnits], units(), nullptr);
}

}  // namespace

extern "C" {

mxArray* mlfGca(mxArray* fig);
mxArray* mlfIsnumeric(mxArray* a);
mxArray* mlfIshold(mxArray* ca);
mxArray* mlfAllchild(mxArray* HandleList);
mxArray* mlfAxis(mxArray** ans2, mxArray** ans3, ...);
mxArray* mlfAxis_LocGetLimits(mxArray* axH);
void mlfAxis_LocSetLimits(mxArray* ax, mxArray* lims);
void mlfAxis_LocSetAuto(mxArray* ax, mxArray* cur_arg);
void mlfAxis_LocSetTight(mxArray* ax);
void mlfAxis_LocSetFill(mxArray* ax, mxArray* pbarlimit);
void mlfAxis_LocSetEqual(mxArray* ax, mxArray* pbarlimit);
void mlfAxis_LocSetImage(mxArray* ax, mxArray* pbarlimit);
mxArray* mlfAxis_LocGetState(mxArray** ans2, mxArray** ans3, mxArray* ax);

// [ans1, ans2, ans3] = axis(ax, ...): limits, scaling, direction and
// visibility of the axes ax (the current axes when the first argument does
// not name axes). Each argument, a limit vector or a command word, is applied
// in turn to each of the axes; with no argument beyond the axes, the limits
// are returned.
mxArray* Maxis(mxArray** ans2_, mxArray** ans3_, int nargout_, mxArray* varargin_) {
  kf::Frame frame(axisFn);
  kf::Var ans1("ans1");
  kf::Var ax("ax");
  kf::Var pbarlimit("pbarlimit");
  kf::Var cur_arg("cur_arg");
  kf::Var varargin("varargin", varargin_);

  // The axes to act on: a first argument whose every element is a live handle
  // of axes, else the current axes.
  bool t = mclLengthInt(varargin()) > 0;
  if (t) {
    t = mlfTobool(mlfAll(mclFeval(mclValueVarargout(), mlxIshandle,
                                  mlfIndexRef(varargin.ref(), "{?}", module[kOne]), nullptr),
                         nullptr));
  }
  if (t) {
    t = mlfTobool(mlfAll(mlfStrcmp(mlfNGet(1, mlfIndexRef(varargin.ref(), "{?}", module[kOne]),
                                           module[kType], nullptr),
                                   module[kAxes]),
                         nullptr));
  }
  if (t) {
    ax = mlfIndexRef(varargin.ref(), "{?}", module[kOne]);
    mlfIndexAssign(varargin.slot(), "(?)", module[kOne], module[kEmpty]);
  } else {
    ax = mlfGca(nullptr);
  }
  pbarlimit = module[kPbarlimit];

  // Nothing to apply: the limits, a row for one axes, a column of rows for
  // several.
  if (mclLengthInt(varargin()) == 0) {
    if (mclLengthInt(ax()) == 1) {
      ans1 = mlfAxis_LocGetLimits(ax());
    } else {
      const int n = mclLengthInt(ax());
      ans1 = mlfCell(mlfScalar(n), module[kOne], nullptr);
      for (int i = 1; i <= n; ++i) {
        mlfIndexAssign(ans1.slot(), "{?}", mlfScalar(i),
                       mlfAxis_LocGetLimits(mclIntArrayRef1(ax.ref(), i)));
      }
    }
    return kf::finish(frame, nargout_, ans1, {ans2_, ans3_});
  }

  const int naxes = mclLengthInt(ax());
  for (int j = 1; j <= naxes; ++j) {
    const auto axj = [&] { return mclIntArrayRef1(ax.ref(), j); };
    const int nargs = mclLengthInt(varargin());
    for (int i = 1; i <= nargs; ++i) {
      cur_arg = mlfIndexRef(varargin.ref(), "{?}", mlfScalar(i));
      if (mlfTobool(mlfIsnumeric(cur_arg()))) {
        mlfAxis_LocSetLimits(axj(), cur_arg());
      } else if (mlfTobool(mlfStrcmp(
                     mclArrayRef1(cur_arg.ref(),
                                  mlfColon(module[kOne],
                                           mlfMin(nullptr, module[kFour],
                                                  mlfScalar(mclLengthInt(cur_arg())), nullptr),
                                           nullptr)),
                     module[kAuto]))) {
        mlfAxis_LocSetAuto(axj(), cur_arg());
      } else if (is(cur_arg(), kTight)) {
        mlfAxis_LocSetTight(axj());
      } else if (is(cur_arg(), kFill)) {
        mlfAxis_LocSetFill(axj(), pbarlimit());
      } else if (is(cur_arg(), kManual)) {
        mlfNSet(0, axj(), module[kXLimMode], module[kManual], module[kYLimMode], module[kManual],
                module[kZLimMode], module[kManual], nullptr);
      } else if (is(cur_arg(), kIj)) {
        mlfNSet(0, axj(), module[kXDir], module[kNormal], module[kYDir], module[kReverse], nullptr);
      } else if (is(cur_arg(), kXy)) {
        mlfNSet(0, axj(), module[kXDir], module[kNormal], module[kYDir], module[kNormal], nullptr);
      } else if (is(cur_arg(), kSquare)) {
        mlfNSet(0, axj(), module[kPlotBoxAspectRatio], module[kOnes3], module[kDataAspectRatioMode],
                module[kAuto], nullptr);
      } else if (is(cur_arg(), kEqual)) {
        mlfAxis_LocSetEqual(axj(), pbarlimit());
      } else if (is(cur_arg(), kImage)) {
        mlfAxis_LocSetImage(axj(), pbarlimit());
      } else if (is(cur_arg(), kNormal)) {
        mlfNSet(0, axj(), module[kPlotBoxAspectRatioMode], module[kAuto],
                module[kDataAspectRatioMode], module[kAuto], module[kCameraViewAngleMode],
                module[kAuto], nullptr);
      } else if (is(cur_arg(), kOff)) {
        // The title stays visible with hidden axes.
        mlfNSet(0, axj(), module[kVisible], module[kOff], nullptr);
        mlfNSet(0, mlfNGet(1, axj(), module[kTitle], nullptr), module[kVisible], module[kOn],
                nullptr);
      } else if (is(cur_arg(), kOn)) {
        mlfNSet(0, axj(), module[kVisible], module[kOn], nullptr);
      } else if (is(cur_arg(), kVis3d)) {
        // Fixes the box, the data scale and the camera angle at their present
        // values, so that rotating does not rescale.
        mxArray* pbar = mlfNGet(1, axj(), module[kPlotBoxAspectRatio], nullptr);
        mxArray* dar = mlfNGet(1, axj(), module[kDataAspectRatio], nullptr);
        mxArray* cva = mlfNGet(1, axj(), module[kCameraViewAngle], nullptr);
        mlfNSet(0, axj(), module[kCameraViewAngle], cva, module[kDataAspectRatio], dar,
                module[kPlotBoxAspectRatio], pbar, nullptr);
      } else if (is(cur_arg(), kState)) {
        mlfNWarning(0, mlfSprintf(nullptr, module[kStateWarning], nullptr), nullptr);
        ans1 = mlfAxis_LocGetState(ans2_, ans3_, mclIntArrayRef1(ax.ref(), 1));
      } else {
        mlfError(mlfHorzcat(module[kUnknownOption], cur_arg(), module[kQuote], nullptr));
      }
    }
  }
  return kf::finish(frame, nargout_, ans1, {ans2_, ans3_});
}

// ans1 = LocGetLimits(axH): [xmin xmax ymin ymax], with [zmin zmax] appended
// when the view is off the plane in both angles.
mxArray* Maxis_LocGetLimits(int nargout_, mxArray* axH_) {
  kf::Frame frame(axis_LocGetLimitsFn);
  kf::Var ans1("ans1");
  kf::Var v("v");
  kf::Var axH("axH", axH_);

  mxArray* xlim = mlfNGet(1, axH(), module[kXLim], nullptr);
  ans1 = mlfHorzcat(xlim, mlfNGet(1, axH(), module[kYLim], nullptr), nullptr);
  v = mlfNGet(1, axH(), module[kView], nullptr);
  if (mclNeBool(v(), module[kView2d])) {
    ans1 = mlfHorzcat(ans1(), mlfNGet(1, axH(), module[kZLim], nullptr), nullptr);
  }
  return kf::finish(frame, nargout_, ans1);
}

// LocSetLimits(ax, lims): x, y, z and colour limits from a vector of 4, 6 or
// 8 numbers, their modes made manual; a plot that is not held is turned to
// the view that suits the limits given.
void Maxis_LocSetLimits(mxArray* ax_, mxArray* lims_) {
  kf::Frame frame(axis_LocSetLimitsFn);
  kf::Var ax("ax", ax_);
  kf::Var lims("lims", lims_);

  const int n = mclLengthInt(lims());
  if (n != 4 && n != 6 && n != 8) mlfError(module[kBadLength]);
  mlfNSet(0, ax(), module[kXLim], mclArrayRef1(lims.ref(), span(kOne, kTwo)), module[kYLim],
          mclArrayRef1(lims.ref(), span(kThree, kFour)), module[kXLimMode], module[kManual],
          module[kYLimMode], module[kManual], nullptr);
  if (n == 6 || n == 8) {
    mlfNSet(0, ax(), module[kZLim], mclArrayRef1(lims.ref(), span(kFive, kSix)), module[kZLimMode],
            module[kManual], nullptr);
  }
  if (n == 8) {
    mlfNSet(0, ax(), module[kCLim], mclArrayRef1(lims.ref(), span(kSeven, kEight)),
            module[kCLimMode], module[kManual], nullptr);
  }
  if (n == 4 && !mlfTobool(mlfIshold(ax()))) {
    mlfNSet(0, ax(), module[kViewLower], module[kView2d], nullptr);
  } else if (n == 6 && mclEqBool(mlfNGet(1, ax(), module[kView], nullptr), module[kView2d]) &&
             !mlfTobool(mlfIshold(ax()))) {
    mlfNSet(0, ax(), module[kViewLower], module[kView3d], nullptr);
  }
}

// LocSetAuto(ax, cur_arg): "auto" makes all three limit modes automatic;
// "auto" followed by letters makes automatic the axes the letters x, y and z
// name, and manual the others.
void Maxis_LocSetAuto(mxArray* ax_, mxArray* cur_arg_) {
  kf::Frame frame(axis_LocSetAutoFn);
  kf::Var do_all("do_all");
  kf::Var do_x("do_x");
  kf::Var do_y("do_y");
  kf::Var do_z("do_z");
  kf::Var ax("ax", ax_);
  kf::Var cur_arg("cur_arg", cur_arg_);

  do_all = mclEq(mlfScalar(mclLengthInt(cur_arg())), mlfScalar(mclLengthInt(module[kAuto])));
  do_x = mlfScalar(mclLengthInt(mlfFind(nullptr, nullptr, mclEq(cur_arg(), module[kX]))));
  do_y = mlfScalar(mclLengthInt(mlfFind(nullptr, nullptr, mclEq(cur_arg(), module[kY]))));
  do_z = mlfScalar(mclLengthInt(mlfFind(nullptr, nullptr, mclEq(cur_arg(), module[kZ]))));
  const auto mode = [&](const kf::Var& count) {
    return module[mlfTobool(do_all()) || mlfTobool(count()) ? kAuto : kManual];
  };
  mlfNSet(0, ax(), module[kXLimMode], mode(do_x), nullptr);
  mlfNSet(0, ax(), module[kYLimMode], mode(do_y), nullptr);
  mlfNSet(0, ax(), module[kZLimMode], mode(do_z), nullptr);
}

// LocSetTight(ax): the limits fitted to the data of the axes' children,
// hidden ones included. An image counts to the outer edges of its pixels.
void Maxis_LocSetTight(mxArray* ax_) {
  kf::Frame frame(axis_LocSetTightFn);
  kf::Var ch("ch");
  kf::Var limits("limits");
  kf::Var hasdepth("hasdepth");
  kf::Var type("type");
  kf::Var data("data");
  kf::Var siz("siz");
  kf::Var dx("dx");
  kf::Var dy("dy");
  kf::Var ndx("ndx");
  kf::Var ax("ax", ax_);

  ch = mlfAllchild(ax());
  limits = module[kNoLimits];
  hasdepth = module[kZero];
  const int n = mclLengthInt(ch());
  for (int i = 1; i <= n; ++i) {
    // data{i}{k}, and data{i}{k}(:) for the bounds.
    const auto part = [&](int k) {
      return mlfIndexRef(data.ref(), "{?}{?}", mlfScalar(i), module[k]);
    };
    const auto setPart = [&](int k, mxArray* value) {
      mlfIndexAssign(data.slot(), "{?}{?}", mlfScalar(i), module[k], value);
    };
    // [-d d] / (pixels - 1) / 2: half the spacing of the pixel centres. A
    // single pixel has no spacing to measure; it is one unit wide.
    const auto halfPixel = [&](const kf::Var& d, int dim) {
      const bool single = mclEqBool(mclIntArrayRef1(siz.ref(), dim), module[kOne]);
      mxArray* extent = single ? module[kOne] : d();
      mxArray* gaps =
          single ? module[kOne] : mclMinus(mclIntArrayRef1(siz.ref(), dim), module[kOne]);
      return mclMrdivide(mclMrdivide(mlfHorzcat(mclUminus(extent), extent, nullptr), gaps),
                         module[kTwo]);
    };

    type = mlfNGet(1, mclIntArrayRef1(ch.ref(), i), module[kType], nullptr);
    if (mclSwitchCompare(type(), module[kDataTypes])) {
      mlfIndexAssign(data.slot(), "{?}", mlfScalar(i),
                     mlfNGet(1, mclIntArrayRef1(ch.ref(), i), module[kXYZData], nullptr));
    } else if (mclSwitchCompare(type(), module[kImage])) {
      mlfIndexAssign(data.slot(), "{?}", mlfScalar(i),
                     mlfNGet(1, mclIntArrayRef1(ch.ref(), i), module[kXYCData], nullptr));
      if (mlfTobool(mclFeval(mclValueVarargout(), mlxIsempty, part(kThree), nullptr))) {
        // An image without pixels shows nothing, and counts nothing.
        mlfIndexAssign(data.slot(), "{?}", mlfScalar(i),
                       mlfCell(module[kOne], module[kThree], nullptr));
      } else {
        siz = mclFeval(mclValueVarargout(), mlxSize, part(kThree), nullptr);
        setPart(kOne,
                mlfHorzcat(mclFeval(mclValueVarargout(), mlxMin, part(kOne), nullptr),
                           mclFeval(mclValueVarargout(), mlxMax, part(kOne), nullptr), nullptr));
        setPart(kTwo,
                mlfHorzcat(mclFeval(mclValueVarargout(), mlxMin, part(kTwo), nullptr),
                           mclFeval(mclValueVarargout(), mlxMax, part(kTwo), nullptr), nullptr));
        dx = mclFeval(mclValueVarargout(), mlxDiff, part(kOne), nullptr);
        dy = mclFeval(mclValueVarargout(), mlxDiff, part(kTwo), nullptr);
        setPart(kOne,
                mclFeval(mclValueVarargout(), mlxPlus, part(kOne), halfPixel(dx, 2), nullptr));
        setPart(kTwo,
                mclFeval(mclValueVarargout(), mlxPlus, part(kTwo), halfPixel(dy, 1), nullptr));
        setPart(kThree, module[kEmpty]);
      }
    } else if (mclSwitchCompare(type(), module[kText])) {
      // Text, titles and labels among it, has no extent of data.
      mlfIndexAssign(data.slot(), "{?}", mlfScalar(i),
                     mlfCell(module[kOne], module[kThree], nullptr));
    } else {
      mlfIndexAssign(data.slot(), "{?}", mlfScalar(i),
                     mlfCell(module[kOne], module[kThree], nullptr));
    }

    // The bounds of dimension k widen to the smallest and largest element of
    // the child's data in that dimension.
    const auto widen = [&](int k, int lo, int hi) {
      mxArray* smallest = mclFeval(
          mclValueVarargout(), mlxMin,
          mlfIndexRef(data.ref(), "{?}{?}(?)", mlfScalar(i), module[k], mlfCreateColonIndex()),
          nullptr);
      mxArray* largest = mclFeval(
          mclValueVarargout(), mlxMax,
          mlfIndexRef(data.ref(), "{?}{?}(?)", mlfScalar(i), module[k], mlfCreateColonIndex()),
          nullptr);
      mclArrayAssign1(
          limits.slot(),
          mlfHorzcat(mlfMin(nullptr, mclArrayRef1(limits.ref(), module[lo]), smallest, nullptr),
                     mlfMax(nullptr, mclArrayRef1(limits.ref(), module[hi]), largest, nullptr),
                     nullptr),
          span(lo, hi));
    };
    const auto hasData = [&](int k) {
      return mclNotBool(mclFeval(mclValueVarargout(), mlxIsempty, part(k), nullptr));
    };
    if (hasData(kOne)) widen(kOne, kOne, kTwo);
    if (hasData(kTwo)) widen(kTwo, kThree, kFour);
    if (hasData(kThree)) {
      widen(kThree, kFive, kSix);
      if (mclNeBool(mclIntArrayRef1(limits.ref(), 5), mclIntArrayRef1(limits.ref(), 6))) {
        hasdepth = module[kOne];
      }
    }
  }

  // A dimension whose data has one value gets a range of two around it.
  ndx = mlfFind(
      nullptr, nullptr,
      mclAnd(mclEq(mlfDiff(limits(), nullptr, nullptr), module[kZero]), module[kLowerBounds]));
  if (!mlfTobool(mlfIsempty(ndx()))) {
    mclArrayAssign1(limits.slot(), mclPlus(mclArrayRef1(limits.ref(), ndx()), module[kOne]),
                    mclPlus(ndx(), module[kOne]));
    mclArrayAssign1(limits.slot(), mclMinus(mclArrayRef1(limits.ref(), ndx()), module[kOne]),
                    ndx());
  }

  if (mlfTobool(mlfAll(mlfIsfinite(mclArrayRef1(limits.ref(), span(kOne, kFour))), nullptr))) {
    mlfNSet(0, ax(), module[kXlim], mclArrayRef1(limits.ref(), span(kOne, kTwo)), module[kYlim],
            mclArrayRef1(limits.ref(), span(kThree, kFour)), nullptr);
  }
  if (mlfTobool(hasdepth())) {
    mlfNSet(0, ax(), module[kZlim], mclArrayRef1(limits.ref(), span(kFive, kSix)), nullptr);
  }
}

// LocSetFill(ax, pbarlimit): for axes whose box or data scale is fixed, a
// plot box that fills the axes' position.
void Maxis_LocSetFill(mxArray* ax_, mxArray* pbarlimit_) {
  kf::Frame frame(axis_LocSetFillFn);
  kf::Var a("a");
  kf::Var ans("ans");
  kf::Var pbar("pbar");
  kf::Var units("units");
  kf::Var ax("ax", ax_);
  kf::Var pbarlimit("pbarlimit", pbarlimit_);

  if (!is(mlfNGet(1, ax(), module[kPlotBoxAspectRatioMode], nullptr), kManual) &&
      !is(mlfNGet(1, ax(), module[kDataAspectRatioMode], nullptr), kManual)) {
    return;
  }
  if (threeDView(ax())) {
    // The limits of an image fit, restored on every side whose box is not at
    // its smallest. The axis command is given ax itself, so that other axes
    // that happen to be current are left alone.
    a = mlfAxis(nullptr, nullptr, ax(), nullptr);
    mclAssignAns(ans.slot(), mlfAxis(nullptr, nullptr, ax(), module[kAuto], nullptr));
    mclAssignAns(ans.slot(), mlfAxis(nullptr, nullptr, ax(), module[kImage], nullptr));
    pbar = mlfNGet(1, ax(), module[kPlotBoxAspectRatio], nullptr);
    if (mclNeBool(mclIntArrayRef1(pbar.ref(), 1), pbarlimit())) {
      mlfNSet(0, ax(), module[kXlim], mclArrayRef1(a.ref(), span(kOne, kTwo)), nullptr);
    }
    if (mclNeBool(mclIntArrayRef1(pbar.ref(), 2), pbarlimit())) {
      mlfNSet(0, ax(), module[kYlim], mclArrayRef1(a.ref(), span(kThree, kFour)), nullptr);
    }
    if (mclNeBool(mclIntArrayRef1(pbar.ref(), 3), pbarlimit())) {
      mlfNSet(0, ax(), module[kZlim], mclArrayRef1(a.ref(), span(kFive, kSix)), nullptr);
    }
  } else {
    readPixelPosition(ax, units, a);
    mlfNSet(0, ax(), module[kPlotBoxAspectRatio], mclArrayRef1(a.ref(), module[kWidthHeightHeight]),
            nullptr);
    if (mclGtBool(mclIntArrayRef1(a.ref(), 3), mclIntArrayRef1(a.ref(), 4))) {
      mlfNSet(0, ax(), module[kXlimmode], module[kAuto], nullptr);
    } else {
      mlfNSet(0, ax(), module[kYlimmode], module[kAuto], nullptr);
    }
  }
}

// LocSetEqual(ax, pbarlimit): equal data units on every axis, the plot box
// shaped to the axes' position.
void Maxis_LocSetEqual(mxArray* ax_, mxArray* pbarlimit_) {
  kf::Frame frame(axis_LocSetEqualFn);
  kf::Var units("units");
  kf::Var a("a");
  kf::Var dx("dx");
  kf::Var dy("dy");
  kf::Var dz("dz");
  kf::Var pbar("pbar");
  kf::Var ax("ax", ax_);
  kf::Var pbarlimit("pbarlimit", pbarlimit_);

  if (threeDView(ax())) {
    mlfAxis_LocSetImage(ax(), pbarlimit());
    return;
  }
  readPixelPosition(ax, units, a);
  mlfNSet(0, ax(), module[kDataAspectRatio], module[kOnes3], nullptr);
  dx = mlfDiff(mlfNGet(1, ax(), module[kXlim], nullptr), nullptr, nullptr);
  dy = mlfDiff(mlfNGet(1, ax(), module[kYlim], nullptr), nullptr, nullptr);
  dz = mlfDiff(mlfNGet(1, ax(), module[kZlim], nullptr), nullptr, nullptr);
  mlfNSet(0, ax(), module[kPlotBoxAspectRatioMode], module[kAuto], nullptr);
  pbar = mlfNGet(1, ax(), module[kPlotBoxAspectRatio], nullptr);
  mlfNSet(0, ax(), module[kPlotBoxAspectRatio],
          mlfHorzcat(mclIntArrayRef1(a.ref(), 3), mclIntArrayRef1(a.ref(), 4),
                     mclMrdivide(mclMtimes(dz(), mlfMin(nullptr, mclIntArrayRef1(a.ref(), 3),
                                                        mclIntArrayRef1(a.ref(), 4), nullptr)),
                                 mlfMin(nullptr, dx(), dy(), nullptr)),
                     nullptr),
          nullptr);
  if (mclLtBool(mclMrdivide(mclIntArrayRef1(pbar.ref(), 1), mclIntArrayRef1(a.ref(), 3)),
                mclMrdivide(mclIntArrayRef1(pbar.ref(), 2), mclIntArrayRef1(a.ref(), 4)))) {
    mlfNSet(0, ax(), module[kXlimmode], module[kAuto], nullptr);
  } else {
    mlfNSet(0, ax(), module[kYlimmode], module[kAuto], nullptr);
  }
}

// LocSetImage(ax, pbarlimit): equal data units and the automatic plot box,
// kept from sides thinner than pbarlimit, then the limits fitted to the data.
void Maxis_LocSetImage(mxArray* ax_, mxArray* pbarlimit_) {
  kf::Frame frame(axis_LocSetImageFn);
  kf::Var pbar("pbar");
  kf::Var ax("ax", ax_);
  kf::Var pbarlimit("pbarlimit", pbarlimit_);

  mlfNSet(0, ax(), module[kDataAspectRatio], module[kOnes3], module[kPlotBoxAspectRatioMode],
          module[kAuto], nullptr);
  pbar = mlfNGet(1, ax(), module[kPlotBoxAspectRatio], nullptr);
  pbar = mlfMax(nullptr, pbarlimit(), mclRdivide(pbar(), mlfMax(nullptr, pbar(), nullptr, nullptr)),
                nullptr);
  if (mlfTobool(mlfAny(mclEq(mclArrayRef1(pbar.ref(), span(kOne, kTwo)), pbarlimit()), nullptr))) {
    mlfNSet(0, ax(), module[kPlotBoxAspectRatio], pbar(), nullptr);
  }
  mlfAxis_LocSetTight(ax());
}

// [ans1, ans2, ans3] = LocGetState(ax): the limit mode ("auto" when all three
// are automatic, else "manual"), the visibility ("on" or "off") and the
// direction ("ij" or "xy").
mxArray* Maxis_LocGetState(mxArray** ans2_, mxArray** ans3_, int nargout_, mxArray* ax_) {
  kf::Frame frame(axis_LocGetStateFn);
  kf::Var ans1("ans1");
  kf::Var str("str");
  kf::Var ax("ax", ax_);

  str = module[kEmptyText];
  if (is(mlfNGet(1, ax(), module[kXLimMode], nullptr), kAuto)) str = module[kX];
  if (is(mlfNGet(1, ax(), module[kYLimMode], nullptr), kAuto)) {
    str = mlfHorzcat(str(), module[kY], nullptr);
  }
  if (is(mlfNGet(1, ax(), module[kZLimMode], nullptr), kAuto)) {
    str = mlfHorzcat(str(), module[kZ], nullptr);
  }
  ans1 = module[mclLengthInt(str()) == 3 ? kAuto : kManual];
  mlfAssign(ans2_, module[is(mlfNGet(1, ax(), module[kVisible], nullptr), kOn) ? kOn : kOff]);
  const bool ij = is(mlfNGet(1, ax(), module[kXDir], nullptr), kNormal) &&
                  is(mlfNGet(1, ax(), module[kYDir], nullptr), kReverse);
  mlfAssign(ans3_, module[ij ? kIj : kXy]);
  return kf::finish(frame, nargout_, ans1, {ans2_, ans3_});
}

mxArray* mlfAxis(mxArray** ans2, mxArray** ans3, ...) {
  va_list ap;
  va_start(ap, ans3);
  kf::VaEnd end(ap);
  return kf::directVarargin<Maxis>(axisFn, kf::outs(ans2, ans3), kf::ins(), nullptr, 0, ap);
}

KF_FEVAL(mlxAxis, Maxis, axisFn)

mxArray* mlfAxis_LocGetLimits(mxArray* axH) {
  return kf::direct<Maxis_LocGetLimits>(axis_LocGetLimitsFn, kf::outs(), kf::ins(axH));
}

KF_FEVAL(mlxAxis_LocGetLimits, Maxis_LocGetLimits, axis_LocGetLimitsFn)

void mlfAxis_LocSetLimits(mxArray* ax, mxArray* lims) {
  kf::direct<Maxis_LocSetLimits>(axis_LocSetLimitsFn, kf::outs(), kf::ins(ax, lims));
}

KF_FEVAL(mlxAxis_LocSetLimits, Maxis_LocSetLimits, axis_LocSetLimitsFn)

void mlfAxis_LocSetAuto(mxArray* ax, mxArray* cur_arg) {
  kf::direct<Maxis_LocSetAuto>(axis_LocSetAutoFn, kf::outs(), kf::ins(ax, cur_arg));
}

KF_FEVAL(mlxAxis_LocSetAuto, Maxis_LocSetAuto, axis_LocSetAutoFn)

void mlfAxis_LocSetTight(mxArray* ax) {
  kf::direct<Maxis_LocSetTight>(axis_LocSetTightFn, kf::outs(), kf::ins(ax));
}

KF_FEVAL(mlxAxis_LocSetTight, Maxis_LocSetTight, axis_LocSetTightFn)

void mlfAxis_LocSetFill(mxArray* ax, mxArray* pbarlimit) {
  kf::direct<Maxis_LocSetFill>(axis_LocSetFillFn, kf::outs(), kf::ins(ax, pbarlimit));
}

KF_FEVAL(mlxAxis_LocSetFill, Maxis_LocSetFill, axis_LocSetFillFn)

void mlfAxis_LocSetEqual(mxArray* ax, mxArray* pbarlimit) {
  kf::direct<Maxis_LocSetEqual>(axis_LocSetEqualFn, kf::outs(), kf::ins(ax, pbarlimit));
}

KF_FEVAL(mlxAxis_LocSetEqual, Maxis_LocSetEqual, axis_LocSetEqualFn)

void mlfAxis_LocSetImage(mxArray* ax, mxArray* pbarlimit) {
  kf::direct<Maxis_LocSetImage>(axis_LocSetImageFn, kf::outs(), kf::ins(ax, pbarlimit));
}

KF_FEVAL(mlxAxis_LocSetImage, Maxis_LocSetImage, axis_LocSetImageFn)

mxArray* mlfAxis_LocGetState(mxArray** ans2, mxArray** ans3, mxArray* ax) {
  return kf::direct<Maxis_LocGetState>(axis_LocGetStateFn, kf::outs(ans2, ans3), kf::ins(ax));
}

KF_FEVAL(mlxAxis_LocGetState, Maxis_LocGetState, axis_LocGetStateFn)

static mexFunctionTableEntry local_function_rows[8] = {
    {"LocGetLimits", mlxAxis_LocGetLimits, 1, 1, nullptr},
    {"LocSetLimits", mlxAxis_LocSetLimits, 2, 0, nullptr},
    {"LocSetAuto", mlxAxis_LocSetAuto, 2, 0, nullptr},
    {"LocSetTight", mlxAxis_LocSetTight, 1, 0, nullptr},
    {"LocSetFill", mlxAxis_LocSetFill, 2, 0, nullptr},
    {"LocSetEqual", mlxAxis_LocSetEqual, 2, 0, nullptr},
    {"LocSetImage", mlxAxis_LocSetImage, 2, 0, nullptr},
    {"LocGetState", mlxAxis_LocGetState, 1, 3, nullptr},
};
mexLocalFunctionTable _local_function_table_axis = {8, local_function_rows};

void InitializeModule_axis(void) { module.initialize(); }
void TerminateModule_axis(void) { module.terminate(); }

}  // extern "C"
