// The kestrel module.
#include <cstdarg>

#include "framework/entry.h"
#include "framework/exception_fcn.h"
#include "framework/frame.h"
#include "framework/globals.h"
#include "framework/module.h"

extern "C" mexLocalFunctionTable _local_function_table_kestrel;

namespace {

constexpr std::string_view kBadWinlText = "Block length winl must be finite and at least 4.";

// In order of first use: the dispatcher, then loadpulse, piecefit_mod,
// pulse_estimate, splice_tpsw and tpswma.
#define POOL(X)                                                \
  X(kLoadpulse, kf::text("loadpulse"))                         \
  X(kNSs, kf::text("NSs"))                                     \
  X(kTag, kf::text("Tag"))                                     \
  X(kSlider9, kf::text("slider9"))                             \
  X(kValue, kf::text("Value"))                                 \
  X(kEdit1, kf::text("edit1"))                                 \
  X(kString, kf::text("String"))                               \
  X(kNMs, kf::text("NMs"))                                     \
  X(kSlider10, kf::text("slider10"))                           \
  X(kEdit2, kf::text("edit2"))                                 \
  X(kNLs, kf::text("NLs"))                                     \
  X(kSlider12, kf::text("slider12"))                           \
  X(kEdit3, kf::text("edit3"))                                 \
  X(kStart1, kf::text("start1"))                               \
  X(kWindowButtonMotionFcn, kf::text("WindowButtonMotionFcn")) \
  X(kKestrelMove1, kf::text("kestrel move1"))                  \
  X(kWindowButtonUpFcn, kf::text("WindowButtonUpFcn"))         \
  X(kKestrelStop1, kf::text("kestrel stop1"))                  \
  X(kMove1, kf::text("move1"))                                 \
  X(kCurrentPoint, kf::text("CurrentPoint"))                   \
  X(kFifty, kf::num(50))                                       \
  X(kXData, kf::text("XData"))                                 \
  X(kStop1, kf::text("stop1"))                                 \
  X(kEmptyText, kf::emptyText())                               \
  X(kStart2, kf::text("start2"))                               \
  X(kKestrelMove2, kf::text("kestrel move2"))                  \
  X(kKestrelStop2, kf::text("kestrel stop2"))                  \
  X(kMove2, kf::text("move2"))                                 \
  X(kStop2, kf::text("stop2"))                                 \
  X(kStart3, kf::text("start3"))                               \
  X(kKestrelMove3, kf::text("kestrel move3"))                  \
  X(kKestrelStop3, kf::text("kestrel stop3"))                  \
  X(kMove3, kf::text("move3"))                                 \
  X(kStop3, kf::text("stop3"))                                 \
  X(kPfFlag, kf::text("pf_flag"))                              \
  X(kSlider7, kf::text("slider7"))                             \
  X(kEnable, kf::text("Enable"))                               \
  X(kOnCap, kf::text("On"))                                    \
  X(kOffCap, kf::text("Off"))                                  \
  X(kPolyf, kf::text("polyf"))                                 \
  X(kEdit4, kf::text("edit4"))                                 \
  X(kYData, kf::text("YData"))                                 \
  X(kExPulse, kf::text("ex_pulse"))                            \
  X(kOne, kf::num(1))                                          \
  X(k5000, kf::num(5000))                                      \
  X(k500, kf::num(500))                                        \
  X(k1550, kf::num(1550))                                      \
  X(kRadiobutton1, kf::text("radiobutton1"))                   \
  X(k1p1, kf::num(1.1))                                        \
  X(kOn, kf::text("on"))                                       \
  X(kMarkerY, kf::matrix(1, 2, {-1, 1}))                       \
  X(kColor, kf::text("Color"))                                 \
  X(kOrange, kf::matrix(1, 3, {1, 0.7, 0}))                    \
  X(kLinewidth, kf::text("linewidth"))                         \
  X(k1p3, kf::num(1.3))                                        \
  X(kRedLine, kf::text("-r"))                                  \
  X(kGreenLine, kf::text("-g"))                                \
  X(kBlackLine, kf::text("-k"))                                \
  X(kTwo, kf::num(2))                                          \
  X(kButtonDownFcn, kf::text("ButtonDownFcn"))                 \
  X(kKestrelStart1, kf::text("kestrel start1"))                \
  X(kEraseMode, kf::text("EraseMode"))                         \
  X(kXor, kf::text("xor"))                                     \
  X(kKestrelStart2, kf::text("kestrel start2"))                \
  X(kKestrelStart3, kf::text("kestrel start3"))                \
  X(kPushbutton1, kf::text("pushbutton1"))                     \
  X(kZero, kf::num(0))                                         \
  X(kFour, kf::num(4))                                         \
  X(k0p75, kf::num(0.75))                                      \
  X(kBadWinl, kf::text(kBadWinlText))                          \
  X(kThree, kf::num(3))                                        \
  X(kFive, kf::num(5))                                         \
  X(kTwenty, kf::num(20))                                      \
  X(k2049, kf::num(2049))                                      \
  X(kEight, kf::num(8))                                        \
  X(k0p04, kf::num(0.04))                                      \
  X(kSame, kf::text("same"))
KF_POOL(POOL)
#undef POOL

kf::Module module{"kestrel", &_local_function_table_kestrel, poolTable};

kf::Function kestrelFn{module, "kestrel", 1, 1, false, {}};
kf::Function kestrel_loadpulseFn{module, "kestrel/loadpulse", 100, 0, false, {}};
kf::Function kestrel_piecefit_modFn{module, "kestrel/piecefit_mod", 198, 3, false, {"pa"}};
kf::Function kestrel_pulse_estimateFn{module, "kestrel/pulse_estimate", 251, 9, false, {"pe"}};
kf::Function kestrel_splice_tpswFn{module, "kestrel/splice_tpsw", 281, 4, false, {"tpswe"}};
kf::Function kestrel_tpswmaFn{module, "kestrel/tpswma", 376, 5, false, {"mx"}};

KF_EXCEPTION_FUNCTION()

}  // namespace

extern "C" {

mxArray* mlfGcbf(void);
mxArray* mlfGca(mxArray* fig);
mxArray* mlfNum2str(mxArray* x, mxArray* f);
mxArray* mlfAxis(mxArray** ans2, mxArray** ans3, ...);
void mlfHold(mxArray* opt_hold_state);
void mlfKestrel_loadpulse(void);
mxArray* mlfKestrel_pulse_estimate(mxArray* seg, mxArray* Nlarge, mxArray* Nmedium, mxArray* Nsmall,
                                   mxArray* T1, mxArray* T2, mxArray* T3, mxArray* Lpoly,
                                   mxArray* pf);

}  // extern "C"

namespace {

// A handle the body owns outright (the switch value).
struct Owned {
  mxArray* h;
  ~Owned() { mxDestroyArray(h); }
};

mxArray* vg(mxArray*& slot, const char* name) { return mclVg(&slot, name); }

// The control with a tag in the figure whose callback runs.
mxArray* control(int tag) { return mlfFindobj(mlfGcbf(), module[kTag], module[tag], nullptr); }

// A slider action: the global takes the slider's rounded value and the
// edit box beside it shows it.
void takeSlider(int sliderTag, mxArray*& global, const char* name, int editTag, kf::Var& slider,
                kf::Var& text, kf::Var& ans) {
  slider = control(sliderTag);
  mlfAssign(kf::global(global), mlfRound(mlfNGet(1, slider(), module[kValue], nullptr)));
  text = control(editTag);
  mclAssignAns(ans.slot(),
               mlfNSet(0, text(), module[kString], mlfNum2str(vg(global, name), nullptr), nullptr));
}

// The start of a drag: the figure's pointer callbacks name the marker's
// move and stop words; the stop empties them again.
void setDragCallbacks(int motion, int up, kf::Var& ans) {
  mclAssignAns(ans.slot(),
               mlfNSet(0, mlfGcbf(), module[kWindowButtonMotionFcn], module[motion], nullptr));
  mclAssignAns(ans.slot(), mlfNSet(0, mlfGcbf(), module[kWindowButtonUpFcn], module[up], nullptr));
}

// A move: the marker follows the pointer's abscissa, clamped to the upper
// bound first and the lower bound last, then rounded.
void moveMarker(mxArray*& marker, const char* name, mxArray* lower, mxArray* upper, mxArray*& line,
                const char* lineName, kf::Var& currPt, kf::Var& ans) {
  currPt = mlfNGet(1, mlfGca(nullptr), module[kCurrentPoint], nullptr);
  mlfAssign(kf::global(marker),
            mlfRound(mlfMax(nullptr, lower,
                            mlfMin(nullptr, upper, mclIntArrayRef2(currPt.ref(), 1, 1), nullptr),
                            nullptr)));
  mclAssignAns(ans.slot(),
               mlfNSet(0, vg(line, lineName), module[kXData],
                       mlfHorzcat(vg(marker, name), vg(marker, name), nullptr), nullptr));
}

}  // namespace

extern "C" {

// kestrel(action): one user action of the pulse editor, then the estimate
// recomputed and redrawn.
void Mkestrel(mxArray* action_) {
  kf::Frame frame(kestrelFn);
  kf::Var NS("NS");
  kf::Var NStext("NStext");
  kf::Var NM("NM");
  kf::Var NMtext("NMtext");
  kf::Var NL("NL");
  kf::Var NLtext("NLtext");
  kf::Var currPt("currPt");
  kf::Var lseg("lseg");
  kf::Var pf_o("pf_o");
  kf::Var Lpolytext("Lpolytext");
  kf::Var pe("pe");
  kf::Var ans("ans");
  kf::Var action("action", action_);

  lseg = mlfScalar(mclLengthInt(vg(seg, "seg")));
  Owned sw{mclInitialize(action())};
  auto is = [&](int word) { return mclSwitchCompare(sw.h, module[word]) != 0; };
  if (is(kLoadpulse)) {
    mlfKestrel_loadpulse();
  } else if (is(kNSs)) {
    takeSlider(kSlider9, Nsmall, "Nsmall", kEdit1, NS, NStext, ans);
  } else if (is(kNMs)) {
    takeSlider(kSlider10, Nmedium, "Nmedium", kEdit2, NM, NMtext, ans);
  } else if (is(kNLs)) {
    takeSlider(kSlider12, Nlarge, "Nlarge", kEdit3, NL, NLtext, ans);
  } else if (is(kStart1)) {
    setDragCallbacks(kKestrelMove1, kKestrelStop1, ans);
  } else if (is(kMove1)) {
    moveMarker(T1, "T1", module[kFifty], mclMinus(vg(T2, "T2"), module[kFifty]), psp1, "psp1",
               currPt, ans);
  } else if (is(kStop1)) {
    setDragCallbacks(kEmptyText, kEmptyText, ans);
  } else if (is(kStart2)) {
    setDragCallbacks(kKestrelMove2, kKestrelStop2, ans);
  } else if (is(kMove2)) {
    moveMarker(T2, "T2", mclPlus(vg(T1, "T1"), module[kFifty]),
               mclMinus(vg(T3, "T3"), module[kFifty]), psp2, "psp2", currPt, ans);
  } else if (is(kStop2)) {
    setDragCallbacks(kEmptyText, kEmptyText, ans);
  } else if (is(kStart3)) {
    setDragCallbacks(kKestrelMove3, kKestrelStop3, ans);
  } else if (is(kMove3)) {
    lseg = mlfScalar(mclLengthInt(vg(seg, "seg")));
    moveMarker(T3, "T3", mclPlus(vg(T2, "T2"), module[kFifty]), mclMinus(lseg(), module[kFifty]),
               psp3, "psp3", currPt, ans);
  } else if (is(kStop3)) {
    setDragCallbacks(kEmptyText, kEmptyText, ans);
  } else if (is(kPfFlag)) {
    mlfAssign(kf::global(pf), mclNot(vg(pf, "pf")));
    pf_o = control(kSlider7);
    if (mlfTobool(vg(pf, "pf"))) {
      mclAssignAns(ans.slot(), mlfNSet(0, pf_o(), module[kEnable], module[kOnCap], nullptr));
    } else if (mclNotBool(vg(pf, "pf"))) {
      mclAssignAns(ans.slot(), mlfNSet(0, pf_o(), module[kEnable], module[kOffCap], nullptr));
    }
  } else if (is(kPolyf)) {
    takeSlider(kSlider7, Lpoly, "Lpoly", kEdit4, pf_o, Lpolytext, ans);
  }

  pe = mlfKestrel_pulse_estimate(vg(seg, "seg"), vg(Nlarge, "Nlarge"), vg(Nmedium, "Nmedium"),
                                 vg(Nsmall, "Nsmall"), vg(T1, "T1"), vg(T2, "T2"), vg(T3, "T3"),
                                 vg(Lpoly, "Lpoly"), vg(pf, "pf"));
  mclAssignAns(ans.slot(), mlfNSet(0, vg(ppulse, "ppulse"), module[kYData], pe(), nullptr));
}

// loadpulse(): reads the record and the click from "ex_pulse", takes the
// settings from the figure's controls, draws the record, the three markers
// and the first estimate, and switches the controls on.
void Mkestrel_loadpulse() {
  kf::Frame frame(kestrel_loadpulseFn);
  kf::Var LP("LP");
  kf::Var NL("NL");
  kf::Var NM("NM");
  kf::Var NS("NS");
  kf::Var ans("ans");
  kf::Var loadbutton("loadbutton");
  kf::Var lseg("lseg");
  kf::Var maxs("maxs");
  kf::Var mins("mins");
  kf::Var pe("pe");
  kf::Var pf_flag("pf_flag");
  kf::Var s = kf::Var::loadOnly("s");
  kf::Var cl = kf::Var::loadOnly("cl");
  kf::Var ex_pulse = kf::Var::loadOnly("ex_pulse");
  kf::Var sp2_value = kf::Var::loadOnly("sp2_value");
  kf::Var sp3_value = kf::Var::loadOnly("sp3_value");

  mclLoadConditional(module[kExPulse], "LP", LP.slot(), "Lpoly", kf::global(Lpoly), "NL", NL.slot(),
                     "NM", NM.slot(), "NS", NS.slot(), "Nlarge", kf::global(Nlarge), "Nmedium",
                     kf::global(Nmedium), "Nsmall", kf::global(Nsmall), "T1", kf::global(T1), "T2",
                     kf::global(T2), "T3", kf::global(T3), "ans", ans.slot(), "cl", cl.slot(),
                     "ex_pulse", ex_pulse.slot(), "loadbutton", loadbutton.slot(), nullptr);
  mclLoadConditional(module[kExPulse], "lseg", lseg.slot(), "maxs", maxs.slot(), "mins",
                     mins.slot(), "pe", pe.slot(), "pf", kf::global(pf), "pf_flag", pf_flag.slot(),
                     "ppulse", kf::global(ppulse), "pseg", kf::global(pseg), "psp1",
                     kf::global(psp1), "psp2", kf::global(psp2), "psp3", kf::global(psp3), "s",
                     s.slot(), "seg", kf::global(seg), "sp2_value", sp2_value.slot(), "sp3_value",
                     sp3_value.slot(), nullptr);

  mlfAssign(kf::global(seg), s.ref());
  mlfAssign(kf::global(seg),
            mlfIndexRef(vg(seg, "seg"), "(?)", mlfColon(module[kOne], module[k5000], nullptr)));
  lseg = mlfScalar(mclLengthInt(vg(seg, "seg")));
  maxs = mlfMax(nullptr, vg(seg, "seg"), nullptr, nullptr);
  mins = mlfMin(nullptr, vg(seg, "seg"), nullptr, nullptr);

  NL = control(kSlider12);
  NM = control(kSlider10);
  NS = control(kSlider9);
  LP = control(kSlider7);
  mlfAssign(kf::global(Nlarge), mlfRound(mlfNGet(1, NL(), module[kValue], nullptr)));
  mlfAssign(kf::global(Nmedium), mlfRound(mlfNGet(1, NM(), module[kValue], nullptr)));
  mlfAssign(kf::global(Nsmall), mlfRound(mlfNGet(1, NS(), module[kValue], nullptr)));
  mlfAssign(kf::global(Lpoly), mlfRound(mlfNGet(1, LP(), module[kValue], nullptr)));

  mlfAssign(kf::global(T1), cl.ref());
  mlfAssign(kf::global(T2), mclPlus(cl(), module[k500]));
  mlfAssign(kf::global(T3), mclPlus(cl(), module[k1550]));

  pf_flag = control(kRadiobutton1);
  mlfAssign(kf::global(pf), mlfNGet(1, pf_flag(), module[kValue], nullptr));

  pe = mlfKestrel_pulse_estimate(vg(seg, "seg"), vg(Nlarge, "Nlarge"), vg(Nmedium, "Nmedium"),
                                 vg(Nsmall, "Nsmall"), vg(T1, "T1"), vg(T2, "T2"), vg(T3, "T3"),
                                 vg(Lpoly, "Lpoly"), vg(pf, "pf"));

  mlfAssign(kf::global(pseg),
            mlfNPlot(1, mlfColon(module[kOne], lseg(), nullptr), vg(seg, "seg"), nullptr));
  mclPrintAns(ans.slot(), mlfAxis(nullptr, nullptr,
                                  mlfHorzcat(module[kOne], lseg(), mclMtimes(module[k1p1], mins()),
                                             mclMtimes(module[k1p1], maxs()), nullptr),
                                  nullptr));
  mlfHold(module[kOn]);

  mlfAssign(kf::global(psp1),
            mlfNPlot(1, mlfHorzcat(cl(), cl(), nullptr), module[kMarkerY], module[kColor],
                     module[kOrange], module[kLinewidth], module[k1p3], nullptr));
  mlfAssign(kf::global(psp2),
            mlfNPlot(1, mlfHorzcat(vg(T2, "T2"), vg(T2, "T2"), nullptr), module[kMarkerY],
                     module[kRedLine], module[kLinewidth], module[k1p3], nullptr));
  mlfAssign(kf::global(psp3),
            mlfNPlot(1, mlfHorzcat(vg(T3, "T3"), vg(T3, "T3"), nullptr), module[kMarkerY],
                     module[kGreenLine], module[kLinewidth], module[k1p3], nullptr));
  mlfAssign(kf::global(ppulse),
            mlfNPlot(1, mlfColon(module[kOne], lseg(), nullptr), pe(), module[kBlackLine],
                     module[kLinewidth], module[kTwo], nullptr));

  mclAssignAns(ans.slot(),
               mlfNSet(0, vg(psp1, "psp1"), module[kButtonDownFcn], module[kKestrelStart1],
                       module[kEraseMode], module[kXor], nullptr));
  mclAssignAns(ans.slot(),
               mlfNSet(0, vg(psp2, "psp2"), module[kButtonDownFcn], module[kKestrelStart2],
                       module[kEraseMode], module[kXor], nullptr));
  mclAssignAns(ans.slot(),
               mlfNSet(0, vg(psp3, "psp3"), module[kButtonDownFcn], module[kKestrelStart3],
                       module[kEraseMode], module[kXor], nullptr));

  mclAssignAns(ans.slot(), mlfNSet(0, NL(), module[kEnable], module[kOnCap], nullptr));
  mclAssignAns(ans.slot(), mlfNSet(0, NM(), module[kEnable], module[kOnCap], nullptr));
  mclAssignAns(ans.slot(), mlfNSet(0, NS(), module[kEnable], module[kOnCap], nullptr));
  mclPrintAns(ans.slot(), mlfNSet(0, pf_flag(), module[kEnable], module[kOnCap], nullptr));

  loadbutton = control(kPushbutton1);
  mclPrintAns(ans.slot(), mlfNSet(0, loadbutton(), module[kEnable], module[kOffCap], nullptr));
}

mxArray* mlfMod(mxArray* x, mxArray* y);
mxArray* mlfHanning(mxArray* varargin, ...);
mxArray* mlfNPolyfit(int nargout, mxArray** S, mxArray** mu, mxArray* x, mxArray* y, mxArray* n);
mxArray* mlfNPolyval(int nargout, mxArray** delta, mxArray* p, mxArray* x, mxArray* S, mxArray* mu);
mxArray* mlfKestrel_splice_tpsw(mxArray* x, mxArray* clicks, mxArray* wl, mxArray* wt);
mxArray* mlfKestrel_piecefit_mod(mxArray* x, mxArray* winl, mxArray* po);

// pa = piecefit_mod(x, winl, po): x smoothed by polynomial fits of order po
// over blocks of winl samples (lowered to a multiple of 4) that overlap by
// three quarters, added back with Hann weights.
mxArray* Mkestrel_piecefit_mod(int nargout_, mxArray* x_, mxArray* winl_, mxArray* po_) {
  kf::Frame frame(kestrel_piecefit_modFn);
  kf::Var pa("pa");
  kf::Var seg("seg");
  kf::Var mo("mo");
  kf::Var sp("sp");
  kf::Var w("w");
  kf::Var ls("ls");
  kf::Var basis("basis");
  kf::Var nblocks("nblocks");
  kf::Var output("output");
  kf::Var block("block");
  kf::Var bump("bump");
  kf::Var p("p");
  kf::Var smbump("smbump");
  kf::Var x("x", x_);
  kf::Var winl("winl", winl_);
  kf::Var po("po", po_);

  x = mclArrayRef1(x.ref(), mlfCreateColonIndex());
  // A block length that is not finite, or below 4 after rounding, has no
  // block to fit (and would never reach a multiple of 4).
  if (!mlfTobool(mlfIsfinite(winl())) || mclLtBool(mlfRound(winl()), module[kFour])) {
    mlfError(module[kBadWinl]);
  }
  seg = mlfRound(winl());
  mo = po.ref();
  while (mclNeBool(mlfMod(seg(), module[kFour]), module[kZero])) {
    seg = mclMinus(seg(), module[kOne]);
  }
  sp = mclMtimes(seg(), module[k0p75]);
  w = mclRdivide(mclArrayRef1(mlfHanning(seg(), nullptr), mlfCreateColonIndex()), module[kTwo]);
  ls = mlfScalar(mclLengthInt(x()));
  basis = mlfTranspose(mlfColon(module[kOne], seg(), nullptr));
  nblocks = mlfFix(mclMrdivide(mclMinus(ls(), sp()), mclMinus(seg(), sp())));
  output = mlfZeros(ls(), module[kOne], nullptr);
  for (int k = 0; mclLtBool(mlfScalar(k), nblocks()); ++k) {
    block = mclPlus(mclMtimes(mlfScalar(k), mclMinus(seg(), sp())),
                    mlfColon(module[kOne], seg(), nullptr));
    bump = mclArrayRef1(mclArrayRef1(x.ref(), block()), mlfCreateColonIndex());
    p = mlfNPolyfit(1, nullptr, nullptr, basis(), bump(), mo());
    smbump = mclArrayRef1(mlfNPolyval(1, nullptr, p(), basis(), nullptr, nullptr),
                          mlfCreateColonIndex());
    mclArrayAssign1(
        output.slot(),
        mclPlus(mclArrayRef1(mclArrayRef1(output.ref(), block()), mlfCreateColonIndex()),
                mclTimes(smbump(), w())),
        block());
  }
  pa = output.ref();
  return kf::finish(frame, nargout_, pa);
}

// pe = pulse_estimate(seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf):
// the TPSW estimate spliced from three window lengths around the click,
// smoothed by the piecewise fit when pf is true.
mxArray* Mkestrel_pulse_estimate(int nargout_, mxArray* seg_, mxArray* Nlarge_, mxArray* Nmedium_,
                                 mxArray* Nsmall_, mxArray* T1_, mxArray* T2_, mxArray* T3_,
                                 mxArray* Lpoly_, mxArray* pf_) {
  kf::Frame frame(kestrel_pulse_estimateFn);
  kf::Var pe("pe");
  kf::Var Tv("Tv");
  kf::Var Nv("Nv");
  kf::Var fit_frame("fit_frame");
  kf::Var poly_order("poly_order");
  kf::Var cl("cl");
  kf::Var seg("seg", seg_);
  kf::Var Nlarge("Nlarge", Nlarge_);
  kf::Var Nmedium("Nmedium", Nmedium_);
  kf::Var Nsmall("Nsmall", Nsmall_);
  kf::Var T1("T1", T1_);
  kf::Var T2("T2", T2_);
  kf::Var T3("T3", T3_);
  kf::Var Lpoly("Lpoly", Lpoly_);
  kf::Var pf("pf", pf_);

  Tv = mlfVertcat(mclMinus(T2(), T1()), mclMinus(T3(), T2()), nullptr);
  Nv = mlfHorzcat(Nsmall(), Nmedium(), Nlarge(), nullptr);
  fit_frame = Lpoly.ref();
  poly_order = module[kTwo];
  cl = T1.ref();
  pe = mlfKestrel_splice_tpsw(seg(), cl(), Nv(), Tv());
  if (mlfTobool(pf())) pe = mlfKestrel_piecefit_mod(pe(), fit_frame(), poly_order());
  return kf::finish(frame, nargout_, pe);
}

mxArray* mlfFilter2(mxArray* b, mxArray* x, mxArray* shape);
mxArray* mlfFlipud(mxArray* x);
mxArray* mlfHanning(mxArray* varargin, ...);
mxArray* mlfKestrel_tpswma(mxArray* x, mxArray* npts, mxArray* n, mxArray* p, mxArray* a);

// tpswe = splice_tpsw(x, clicks, wl, wt): TPSW estimates of x with the
// small, medium and large windows wl, spliced from every click on (wt(1)
// samples small, then wt(2) samples medium, large elsewhere) with 20-sample
// cross-fades, and the last 1025 samples tapered by half a Hann window.
mxArray* Mkestrel_splice_tpsw(int nargout_, mxArray* x_, mxArray* clicks_, mxArray* wl_,
                              mxArray* wt_) {
  kf::Frame frame(kestrel_splice_tpswFn);
  kf::Var tpswe("tpswe");
  kf::Var fade_l("fade_l");
  kf::Var fd_in("fd_in");
  kf::Var fd_out("fd_out");
  kf::Var w_small("w_small");
  kf::Var w_medium("w_medium");
  kf::Var w_small_mirror("w_small_mirror");
  kf::Var w_medium_mirror("w_medium_mirror");
  kf::Var X("X");
  kf::Var le("le");
  kf::Var lc("lc");
  kf::Var sp1("sp1");
  kf::Var sp2("sp2");
  kf::Var range("range");
  kf::Var nn("nn");
  kf::Var hhw("hhw");
  kf::Var lh("lh");
  kf::Var lo("lo");
  kf::Var x("x", x_);
  kf::Var clicks("clicks", clicks_);
  kf::Var wl("wl", wl_);
  kf::Var wt("wt", wt_);

  if (mlfTobool(mlfIsempty(clicks()))) {
    tpswe = mlfZeros(mlfScalar(mclLengthInt(x())), module[kZero], nullptr);
    return kf::finish(frame, nargout_, tpswe);
  }

  fade_l = module[kTwenty];
  fd_in = mlfCtranspose(
      mclMrdivide(mlfColon(module[kZero], mclMinus(fade_l(), module[kOne]), nullptr), fade_l()));
  fd_out = mlfFlipud(fd_in());
  w_small = mlfVertcat(fd_in(), mlfOnes(mclIntArrayRef1(wt.ref(), 1), module[kOne], nullptr),
                       fd_out(), nullptr);
  w_medium = mlfVertcat(fd_in(), mlfOnes(mclIntArrayRef1(wt.ref(), 2), module[kOne], nullptr),
                        fd_out(), nullptr);
  w_small_mirror = mclMinus(module[kOne], w_small());
  w_medium_mirror = mclMinus(module[kOne], w_medium());

  for (int k = 1; k <= mclLengthInt(wl()); ++k) {
    mclArrayAssign2(
        X.slot(),
        mlfKestrel_tpswma(x(), mlfScalar(mclLengthInt(x())),
                          mlfRound(mclMrdivide(mclIntArrayRef1(wl.ref(), k), module[kTwo])),
                          module[kFive], module[kTwo]),
        mlfCreateColonIndex(), mlfScalar(k));
  }

  le = mlfScalar(mclLengthInt(mclArrayRef2(X.ref(), mlfCreateColonIndex(), module[kThree])));
  lc = mlfScalar(mclLengthInt(clicks()));
  for (int i = 1; mclLeBool(mlfScalar(i), lc()); ++i) {
    sp1 = mclIntArrayRef1(clicks.ref(), i);
    // Small window from the click on, faded in before it and out after it.
    range =
        mclPlus(mclMinus(mclMinus(sp1(), fade_l()), module[kOne]),
                mlfColon(module[kOne],
                         mclPlus(mclMtimes(module[kTwo], fade_l()), mclIntArrayRef1(wt.ref(), 1)),
                         nullptr));
    if (mclLeBool(mlfMax(nullptr, range(), nullptr, nullptr), le())) {
      mclArrayAssign2(
          X.slot(),
          mclPlus(mclTimes(w_small_mirror(), mclArrayRef2(X.ref(), range(), module[kThree])),
                  mclTimes(w_small(), mclArrayRef2(X.ref(), range(), module[kOne]))),
          range(), module[kThree]);
    }
    // Medium window after the small stretch.
    sp2 = mclPlus(sp1(), mclIntArrayRef1(wt.ref(), 1));
    range =
        mclPlus(mclMinus(mclMinus(sp2(), fade_l()), module[kOne]),
                mlfColon(module[kOne],
                         mclPlus(mclMtimes(module[kTwo], fade_l()), mclIntArrayRef1(wt.ref(), 2)),
                         nullptr));
    if (mclLeBool(mlfMax(nullptr, range(), nullptr, nullptr), le())) {
      mclArrayAssign2(
          X.slot(),
          mclPlus(mclTimes(w_medium_mirror(), mclArrayRef2(X.ref(), range(), module[kThree])),
                  mclTimes(w_medium(), mclArrayRef2(X.ref(), range(), module[kTwo]))),
          range(), module[kThree]);
    }
  }
  tpswe = mclArrayRef2(X.ref(), mlfCreateColonIndex(), module[kThree]);
  lo = mlfScalar(mclLengthInt(tpswe()));

  // Taper the end with the falling half of a Hann window.
  nn = module[k2049];
  hhw = mlfHanning(nn(), nullptr);
  mlfIndexDelete(
      hhw.slot(), "(?)",
      mlfColon(module[kOne],
               mclMinus(mclMrdivide(mclPlus(nn(), module[kOne]), module[kTwo]), module[kOne]),
               nullptr));
  lh = mlfScalar(mclLengthInt(hhw()));
  mclArrayAssign1(
      tpswe.slot(),
      mclTimes(mclArrayRef1(tpswe.ref(),
                            mlfColon(mclPlus(mclMinus(lo(), lh()), module[kOne]), lo(), nullptr)),
               hhw()),
      mlfColon(mclPlus(mclMinus(lo(), lh()), module[kOne]), lo(), nullptr));
  return kf::finish(frame, nargout_, tpswe);
}

// mx = tpswma(x, npts, n, p, a): the two-pass split-window estimate of the
// background of x. A first moving average over 2n+1 samples with a gap of
// 2p-1 in its centre finds the samples that stand out by more than the
// threshold a; they are replaced by that average, and a plain moving average
// of the cleaned signal is the estimate.
mxArray* Mkestrel_tpswma(int nargout_, mxArray* x_, mxArray* npts_, mxArray* n_, mxArray* p_,
                         mxArray* a_) {
  kf::Frame frame(kestrel_tpswmaFn);
  const int nargin_ = frame.nargin(x_, npts_, n_, p_, a_);
  kf::Var mx("mx");
  kf::Var h("h");
  kf::Var ind1("ind1");
  kf::Var h2("h2");
  kf::Var x("x", x_);
  kf::Var npts("npts", npts_);
  kf::Var n("n", n_);
  kf::Var p("p", p_);
  kf::Var a("a", a_);

  if (mclEqBool(mlfMin(nullptr, mlfSize(mclValueVarargout(), x(), nullptr), nullptr, nullptr),
                module[kOne])) {
    x = mclArrayRef1(x.ref(), mlfCreateColonIndex());
  }
  if (nargin_ < 2) npts = mlfSize(mclValueVarargout(), x(), module[kOne]);
  x = mclArrayRef2(x.ref(), mlfColon(module[kOne], npts(), nullptr), mlfCreateColonIndex());
  if (nargin_ < 3) {
    n = mlfRound(
        mclPlus(mclMrdivide(mclMtimes(npts(), module[k0p04]), module[kTwo]), module[kOne]));
  }
  if (nargin_ < 4) p = mlfRound(mclPlus(mclMrdivide(n(), module[kEight]), module[kOne]));
  if (nargin_ < 5) a = module[kTwo];

  // Split window: ones on both sides of a hole of 2p-1 taps, weights summing to 1.
  h = mlfHorzcat(
      mlfOnes(module[kOne], mclPlus(mclMinus(n(), p()), module[kOne]), nullptr),
      mlfZeros(module[kOne], mclMinus(mclMtimes(module[kTwo], p()), module[kOne]), nullptr),
      mlfOnes(module[kOne], mclPlus(mclMinus(n(), p()), module[kOne]), nullptr), nullptr);
  h = mclArrayRef1(h.ref(), mlfCreateColonIndex());
  h = mclMrdivide(h(), mlfNorm(h(), module[kOne]));
  x = mclArrayRef1(x.ref(), mlfCreateColonIndex());

  // First pass, and the outliers replaced by their local mean.
  mx = mlfFilter2(h(), x(), module[kSame]);
  ind1 = mlfFind(nullptr, nullptr,
                 mclGt(mlfAbs(mclMinus(x(), mx())), mlfAbs(mclMinus(mx(), mclMtimes(a(), mx())))));
  mclArrayAssign1(x.slot(), mclArrayRef1(mx.ref(), ind1()), ind1());

  // Second pass: a plain moving average of the same length.
  h2 = mlfOnes(mlfScalar(mclLengthInt(h())), module[kOne], nullptr);
  h2 = mclMrdivide(h2(), mlfNorm(h2(), module[kOne]));
  mx = mlfFilter2(h2(), x(), module[kSame]);
  return kf::finish(frame, nargout_, mx);
}

void mlfKestrel(mxArray* action) { kf::direct<Mkestrel>(kestrelFn, kf::outs(), kf::ins(action)); }

KF_FEVAL(mlxKestrel, Mkestrel, kestrelFn)

void mlfKestrel_loadpulse() {
  kf::direct<Mkestrel_loadpulse>(kestrel_loadpulseFn, kf::outs(), kf::ins());
}

KF_FEVAL(mlxKestrel_loadpulse, Mkestrel_loadpulse, kestrel_loadpulseFn)

mxArray* mlfKestrel_piecefit_mod(mxArray* x, mxArray* winl, mxArray* po) {
  return kf::direct<Mkestrel_piecefit_mod>(kestrel_piecefit_modFn, kf::outs(),
                                           kf::ins(x, winl, po));
}

KF_FEVAL(mlxKestrel_piecefit_mod, Mkestrel_piecefit_mod, kestrel_piecefit_modFn)

mxArray* mlfKestrel_pulse_estimate(mxArray* seg, mxArray* Nlarge, mxArray* Nmedium, mxArray* Nsmall,
                                   mxArray* T1, mxArray* T2, mxArray* T3, mxArray* Lpoly,
                                   mxArray* pf) {
  return kf::direct<Mkestrel_pulse_estimate>(
      kestrel_pulse_estimateFn, kf::outs(),
      kf::ins(seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf));
}

KF_FEVAL(mlxKestrel_pulse_estimate, Mkestrel_pulse_estimate, kestrel_pulse_estimateFn)

mxArray* mlfKestrel_splice_tpsw(mxArray* x, mxArray* clicks, mxArray* wl, mxArray* wt) {
  return kf::direct<Mkestrel_splice_tpsw>(kestrel_splice_tpswFn, kf::outs(),
                                          kf::ins(x, clicks, wl, wt));
}

KF_FEVAL(mlxKestrel_splice_tpsw, Mkestrel_splice_tpsw, kestrel_splice_tpswFn)

mxArray* mlfKestrel_tpswma(mxArray* x, mxArray* npts, mxArray* n, mxArray* p, mxArray* a) {
  return kf::direct<Mkestrel_tpswma>(kestrel_tpswmaFn, kf::outs(), kf::ins(x, npts, n, p, a));
}

KF_FEVAL(mlxKestrel_tpswma, Mkestrel_tpswma, kestrel_tpswmaFn)

static mexFunctionTableEntry local_function_rows[5] = {
    {"loadpulse", mlxKestrel_loadpulse, 0, 0, nullptr},
    {"piecefit_mod", mlxKestrel_piecefit_mod, 3, 1, nullptr},
    {"pulse_estimate", mlxKestrel_pulse_estimate, 9, 1, nullptr},
    {"splice_tpsw", mlxKestrel_splice_tpsw, 4, 1, nullptr},
    {"tpswma", mlxKestrel_tpswma, 5, 1, nullptr},
};
mexLocalFunctionTable _local_function_table_kestrel = {5, local_function_rows};

void InitializeModule_kestrel(void) { module.initialize(); }
void TerminateModule_kestrel(void) { module.terminate(); }

}  // extern "C"
