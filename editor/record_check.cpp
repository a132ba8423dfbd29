#include "editor/record_check.h"

#include <charconv>
#include <cmath>

#include "host/core/errors.h"

namespace kh::editor {
namespace {

// The samples the editor works on: s(1:5000).
constexpr std::size_t kSamples = 5000;
// Where the editor's load puts the second and third markers after the click.
constexpr int kT2Offset = 500, kT3Offset = 1550;

// The shortest text that reads back as v: 1000.5, 20, NaN, -Inf.
std::string shortest(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
  char text[40];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

// Whose record the messages speak of: the batch's (its messages are
// preceded by the file's name) or a file the editor opens (named in them).
struct Wording {
  std::string file;  // empty: the batch
  bool editor() const { return !file.empty(); }
  std::string samples() const {
    return editor() ? "The samples 's' in '" + file + "'" : "The record's samples 's'";
  }
  std::string click() const {
    return editor() ? "The click 'cl' in '" + file + "'" : "The record's click 'cl'";
  }
  std::string record() const { return editor() ? "The record '" + file + "'" : "The record"; }
};

// The class a person knows a value by (logical values are doubles inside).
std::string classOf(const Value& v) { return v.isLogical() ? "logical" : className(v); }

// What a value that is no real vector of numbers is, in words.
std::string whatItIs(const Value& v) {
  if (!v.isDouble() || v.isLogical()) return "a value of class " + classOf(v);
  if (v.isComplex()) return "complex";
  if (std::min(v.rows(), v.cols()) != 1 || v.dims().size() > 2) {
    std::string size;
    for (std::size_t d : v.dims()) size += (size.empty() ? "" : "-by-") + std::to_string(d);
    return "a " + size + " array";
  }
  return std::to_string(v.numel()) + " samples long";
}

void checkSamples(const Value* s, const Wording& w) {
  const std::string needs = w.record() + " needs 's', a real vector of at least 5000 samples";
  const bool editor = w.editor();
  if (!s) raise(needs + (editor ? "; it has no 's'." : "."));
  if (!s->isDouble() || (editor && s->isLogical()) || s->isComplex() ||
      std::min(s->rows(), s->cols()) != 1 || s->dims().size() > 2 || s->numel() < kSamples)
    raise(needs + (editor ? "; its 's' is " + whatItIs(*s) + "." : "."));

  // The editor plots the first 5000 samples with the y-axis from 1.1 times
  // the smallest to 1.1 times the largest (NaN left out): those limits must
  // be finite and increasing, as the axes take them and the figure draws.
  // The editor takes no NaN there either: the estimate would be NaN around
  // each one, silently.
  const double* x = s->re();
  double lo = NAN, hi = NAN;
  for (std::size_t i = 0; i < kSamples; ++i) {
    if (editor && !std::isfinite(x[i])) {
      std::size_t more = 0;
      for (std::size_t k = i + 1; k < kSamples; ++k) more += !std::isfinite(x[k]);
      raise(w.samples() +
            " must be finite in the first 5000 (the part the editor shows), but sample " +
            std::to_string(i + 1) + " is " + shortest(x[i]) +
            (more ? " (and " + std::to_string(more) + " more are not finite)." : "."));
    }
    if (std::isinf(x[i]))
      raise(w.samples() + " must be finite (or NaN) in the first 5000, but sample " +
            std::to_string(i + 1) + " is " + shortest(x[i]) + ".");
    if (std::isnan(x[i])) continue;
    if (!(std::fabs(x[i]) * 1.1 < HUGE_VAL))
      raise(w.samples() +
            " are too large for the editor's plot, which reaches 1.1 times them: sample " +
            std::to_string(i + 1) + " is " + shortest(x[i]) + ".");
    if (std::isnan(lo) || x[i] < lo) lo = x[i];
    if (std::isnan(hi) || x[i] > hi) hi = x[i];
  }
  if (std::isnan(lo)) raise(w.samples() + " are all NaN in the first 5000.");
  if (lo == hi)
    raise(w.samples() + " are all equal (" + shortest(lo) +
          ") in the first 5000: the editor's plot needs two different values.");
  if (!(1.1 * lo < 1.1 * hi))
    raise(w.samples() + " lie too close together in the first 5000 (from " + shortest(lo) + " to " +
          shortest(hi) + ") for the editor's plot.");
}

void checkClick(const Value* cl, const ClickRange& clicks, const Wording& w) {
  const std::string rule = "a whole sample number from " + std::to_string(clicks.first) + " to " +
                           std::to_string(clicks.last);
  if (!cl) raise(w.record() + " needs 'cl', the click's sample number (" + rule + ").");
  std::string given;
  if (!cl->isDouble() || cl->isLogical())
    given = "a value of class " + classOf(*cl);
  else if (cl->numel() != 1)
    given = std::to_string(cl->numel()) + " numbers";
  else if (cl->isComplex())
    given = "a complex number";
  else if (const double c = cl->at(0);
           !(c == std::floor(c)) || c < clicks.first || c > clicks.last)  // NaN too
    given = shortest(c);
  if (given.empty()) return;
  std::string why;
  if (w.editor())
    why =
        " (the estimate needs 20 samples before the click, and the editor's markers start at "
        "cl, cl + " +
        std::to_string(kT2Offset) + " and cl + " + std::to_string(kT3Offset) +
        ", all on the 5000 samples it shows)";
  raise(w.click() + " must be " + rule + ", not " + given + why + ".");
}

const Value* named(const NamedValues& vars, const char* name) {
  for (const auto& [n, v] : vars)
    if (n == name) return &v;
  return nullptr;
}

}  // namespace

ClickRange clickRange(int t2Offset, int t3Offset) {
  // The estimate blends the small window's estimate in over the samples from
  // 20 before the click to 19 after the second marker, and the medium
  // window's from 20 before the second marker to 19 after the third, each
  // only when that stretch ends within the 5000 samples; a blend that starts
  // before the first sample fails on its index. The clicks that fail so are
  // all those up to some number, so the first good one is the bound. Late
  // clicks fail nothing (the blends are left out), but a click is one of the
  // samples the editor shows.
  constexpr long kFade = 20, kLast = kSamples;
  auto fails = [&](long c) {
    const bool small = c + t2Offset + kFade - 1 <= kLast;
    const bool medium = c + t3Offset + kFade - 1 <= kLast;
    return (small && c - kFade < 1) || (medium && c + t2Offset - kFade < 1);
  };
  long first = 1;
  while (first < kLast && fails(first)) ++first;
  return {static_cast<int>(first), static_cast<int>(kLast)};
}

ClickRange editorClickRange() {
  return {clickRange(kT2Offset, kT3Offset).first, static_cast<int>(kSamples) - kT3Offset};
}

void checkRecordInputs(const Value* s, const Value* cl, int t2Offset, int t3Offset) {
  const Wording batch;
  checkSamples(s, batch);
  checkClick(cl, clickRange(t2Offset, t3Offset), batch);
}

const std::vector<std::string>& editorLoadNames() {
  // Every variable of the load, which it offers to the file by name.
  static const std::vector<std::string> names = {
      "LP",   "Lpoly", "NL", "NM",  "NS",        "Nlarge",   "Nmedium",    "Nsmall",
      "T1",   "T2",    "T3", "ans", "cl",        "ex_pulse", "loadbutton", "lseg",
      "maxs", "mins",  "pe", "pf",  "pf_flag",   "ppulse",   "pseg",       "psp1",
      "psp2", "psp3",  "s",  "seg", "sp2_value", "sp3_value"};
  return names;
}

void checkRecordFile(const std::string& file, const std::string& shown) {
  // Everything the load would read, so that a variable it cannot read stops
  // the open here and not half-way through the load.
  const NamedValues vars = loadMatFile(file, editorLoadNames(), shown);
  const Wording editor{shown};
  checkSamples(named(vars, "s"), editor);
  checkClick(named(vars, "cl"), editorClickRange(), editor);
}

}  // namespace kh::editor
