#include "host/server/record_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/array/handle.h"
#include "host/context/context.h"
#include "host/context/errors.h"
#include "host/context/globals.h"
#include "host/context/output.h"
#include "host/datafile/data_path.h"
#include "host/datafile/matfile.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/events.h"
#include "host/graphics/tree.h"

namespace kh::server {
namespace {

// A folder only this user can read, removed with everything in it.
class PrivateFolder {
 public:
  PrivateFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-XXXXXX").string();
    if (!mkdtemp(pattern.data())) raise("Cannot make a temporary folder.");
    dir_ = pattern;  // mkdtemp makes it with mode 0700
  }
  ~PrivateFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string file(const char* name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

std::string readAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const Value* global(const char* name) {
  mxArray** slot = findGlobalSlot(name);
  return slot && *slot ? &valueOf(*slot) : nullptr;
}

NamedValues editorRecord() {
  const Value* seg = global("seg");
  const Value* line = global("ppulse");
  if (!seg || seg->numel() == 0 || !line || line->numel() != 1)
    raise("No record is loaded in the editor.");
  gfx::Object* estimate = gfx::tree().find(line->at(0));
  if (!estimate || estimate->type != gfx::Type::Line)
    raise("The editor's estimate line is gone; load the record again.");
  std::array<Value, 8> settings;
  for (std::size_t k = 0; k < kRecordSettings.size(); ++k) {
    const Value* v = global(kRecordSettings[k]);
    if (!v || v->numel() != 1)
      raise(std::string("The editor's '") + kRecordSettings[k] + "' is not set.");
    settings[k] = *v;
  }
  Value e = gfx::getProperty(estimate, "YData");
  if (e.numel() != seg->numel()) raise("The estimate does not match the record; move a marker.");
  return recordVariables(*seg, settings, std::move(e));
}

// The shortest text that reads back as v: 1000.5, 20, NaN, -Inf.
std::string shortest(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
  char text[40];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

std::string number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

}  // namespace

NamedValues recordVariables(const Value& s, const std::array<Value, 8>& settings, Value estimate) {
  if (estimate.numel() != s.numel()) raise("The estimate does not match the record.");
  NamedValues out;
  out.emplace_back("s", s);
  for (std::size_t k = 0; k < kRecordSettings.size(); ++k) {
    if (k == 0) out.emplace_back("cl", settings[0]);
    out.emplace_back(kRecordSettings[k], settings[k]);
  }
  estimate.reshape(s.dims());
  out.emplace_back("estimate", std::move(estimate));
  return out;
}

std::string recordCsvText(const NamedValues& vars) {
  std::string out = "# kestrel pulse record\n";
  const Value *s = nullptr, *e = nullptr;
  for (const auto& [name, v] : vars) {
    if (name == "s")
      s = &v;
    else if (name == "estimate")
      e = &v;
    else if (name != "cl")
      out += "# " + name + "," + number(v.at(0)) + "\n";
  }
  out += "sample,s,estimate\n";
  for (std::size_t i = 0; i < s->numel(); ++i)
    out += std::to_string(i + 1) + "," + number(s->at(i)) + "," + number(e->at(i)) + "\n";
  return out;
}

ClickRange clickRange(int t2Offset, int t3Offset) {
  // The estimate blends the small window's estimate in over the samples from
  // 20 before the click to 19 after the second marker, and the medium
  // window's from 20 before the second marker to 19 after the third, each
  // only when that stretch ends within the 5000 samples; a blend that starts
  // before the first sample fails on its index. The clicks that fail so are
  // all those up to some number, so the first good one is the bound. Late
  // clicks fail nothing (the blends are left out), but a click is one of the
  // samples the editor shows.
  constexpr long kFade = 20, kSamples = 5000;
  auto fails = [&](long c) {
    const bool small = c + t2Offset + kFade - 1 <= kSamples;
    const bool medium = c + t3Offset + kFade - 1 <= kSamples;
    return (small && c - kFade < 1) || (medium && c + t2Offset - kFade < 1);
  };
  long first = 1;
  while (first < kSamples && fails(first)) ++first;
  return {static_cast<int>(first), static_cast<int>(kSamples)};
}

void checkRecordInputs(const Value* s, const Value* cl, int t2Offset, int t3Offset) {
  constexpr std::size_t kSamples = 5000;
  if (!s || !s->isDouble() || s->isComplex() || std::min(s->rows(), s->cols()) != 1 ||
      s->numel() < kSamples)
    raise("The record needs 's', a real vector of at least 5000 samples.");

  const ClickRange clicks = clickRange(t2Offset, t3Offset);
  const std::string rule = "a whole sample number from " + std::to_string(clicks.first) + " to " +
                           std::to_string(clicks.last);
  if (!cl) raise("The record needs 'cl', the click's sample number (" + rule + ").");
  std::string given;
  if (!cl->isDouble() || cl->isLogical())
    given = "a value of class " + className(*cl);
  else if (cl->numel() != 1)
    given = std::to_string(cl->numel()) + " numbers";
  else if (cl->isComplex())
    given = "a complex number";
  else if (const double c = cl->at(0);
           !(c == std::floor(c)) || c < clicks.first || c > clicks.last)  // NaN too
    given = shortest(c);
  if (!given.empty()) raise("The record's click 'cl' must be " + rule + ", not " + given + ".");

  // The editor plots the first 5000 samples with the y-axis from 1.1 times
  // the smallest to 1.1 times the largest (NaN left out): those limits must
  // be finite and increasing, as the axes take them and the figure draws.
  const double* x = s->re();
  double lo = NAN, hi = NAN;
  for (std::size_t i = 0; i < kSamples; ++i) {
    if (std::isinf(x[i]))
      raise("The record's samples 's' must be finite (or NaN) in the first 5000, but sample " +
            std::to_string(i + 1) + " is " + shortest(x[i]) + ".");
    if (std::isnan(x[i])) continue;
    if (!(std::fabs(x[i]) * 1.1 < HUGE_VAL))
      raise(
          "The record's samples 's' are too large for the editor's plot, which reaches 1.1 "
          "times them: sample " +
          std::to_string(i + 1) + " is " + shortest(x[i]) + ".");
    if (std::isnan(lo) || x[i] < lo) lo = x[i];
    if (std::isnan(hi) || x[i] > hi) hi = x[i];
  }
  if (std::isnan(lo)) raise("The record's samples 's' are all NaN in the first 5000.");
  if (lo == hi)
    raise("The record's samples 's' are all equal (" + shortest(lo) +
          ") in the first 5000: the editor's plot needs two different values.");
  if (!(1.1 * lo < 1.1 * hi))
    raise("The record's samples 's' lie too close together in the first 5000 (from " +
          shortest(lo) + " to " + shortest(hi) + ") for the editor's plot.");
}

std::string recordMat() {
  const NamedValues vars = editorRecord();
  PrivateFolder tmp;
  const std::string file = tmp.file("record.mat");
  saveMatFile(file, vars);
  return readAll(file);
}

std::string recordCsv() { return recordCsvText(editorRecord()); }

void openRecord(const std::string& bytes) {
  // The editor's load button, found by its action.
  gfx::Object* button = nullptr;
  for (gfx::Object* fig : gfx::tree().figures())
    gfx::tree().walk(
        fig,
        [&](gfx::Object* o) {
          if (!button && o->type == gfx::Type::Uicontrol &&
              gfx::getProperty(o, "Callback").isChar() &&
              gfx::getProperty(o, "Callback").utf8() == "kestrel loadpulse")
            button = o;
        },
        true);
  if (!button) raise("No pulse editor is open: run kestrel_figure first.");

  PrivateFolder tmp;
  const std::string file = tmp.file("record.mat");
  {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) raise("Cannot write a temporary file.");
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) {
        close(fd);
        raise("Cannot write a temporary file.");
      }
      done += static_cast<std::size_t>(n);
    }
    close(fd);
  }
  NamedValues vars;
  std::string why;
  if (!protect([&] { vars = loadMatFile(file, {"s", "cl"}); }, &why))
    raise("The file is not a MAT file the host can read.");
  const Value *s = nullptr, *cl = nullptr;
  for (const auto& [name, v] : vars) (name == "s" ? s : cl) = &v;
  checkRecordInputs(s, cl);

  // Everything checked: the editor's plot is replaced by the new record's.
  gfx::Object* fig = button->parent;
  const Value axes = gfx::getProperty(fig, "CurrentAxes");
  if (axes.numel() == 1)
    if (gfx::Object* ax = gfx::tree().find(axes.at(0))) gfx::clearAxes(ax, false);
  const std::string before = recordAlias("ex_pulse");
  setRecordAlias("ex_pulse", file);
  gfx::setProperty(button, "Enable", Value::str("on"));
  std::string errors;
  {
    OutputCapture capture;
    gfx::click(button);
    errors = capture.errors();
    emit(capture.text());
  }
  setRecordAlias("ex_pulse", before);
  if (!errors.empty()) {
    emitError(errors);
    raise(errors.substr(errors.rfind("??? ") == std::string::npos ? 0 : errors.rfind("??? ") + 4));
  }
}

}  // namespace kh::server
