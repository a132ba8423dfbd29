// Opening a record in the pulse editor as the page's "Open record…" does:
// all or nothing. A file the editor's load or the estimate cannot take, or
// that holds a variable the load would read and the host cannot, is refused
// with its reason in the person's terms, naming the file as they gave it,
// before anything changes: every object of the figure, every global and the
// exports stay exactly as they were. A load that fails even so is undone.
// The edge records the editor takes open, also with numbers of the integer
// classes other tools write. The exports are named after the record. The
// click's bounds are held against the library's own estimate.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "editor/open_record.h"
#include "editor/record_check.h"
#include "editor/record_export.h"
#include "editor/record_name.h"
#include "host/context/context.h"
#include "host/datafile/data_path.h"
#include "host/datafile/matfile.h"
#include "host/graphics/commands.h"
#include "host/graphics/properties.h"
#include "host/graphics/tree.h"
#include "tests/graphics/figure_fixture.h"
#include "tests/support/library.h"
#include "tests/support/temp_dir.h"
#include "tests/support/values.h"

namespace {

using kh::NamedValues;
using kh::Value;

constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<double> wave(std::size_t n) {
  std::vector<double> s(n);
  for (std::size_t i = 0; i < n; ++i)
    s[i] = 0.3 * std::sin(0.013 * static_cast<double>(i)) + 0.05 * std::cos(0.7 * i) +
           (i > 1200 ? 0.8 * std::exp(-(i - 1200.0) / 300) * std::sin(i / 9.0) : 0.0);
  return s;
}

// s with samples k (from 1) on set to v, n of them.
std::vector<double> with(std::vector<double> s, std::size_t k, double v, std::size_t n = 1) {
  for (std::size_t i = 0; i < n; ++i) s[k - 1 + i] = v;
  return s;
}

NamedValues record(const std::vector<double>& s, Value cl) {
  return {{"s", Value::column(s)}, {"cl", std::move(cl)}};
}
NamedValues record(const std::vector<double>& s, double cl) { return record(s, Value::scalar(cl)); }

// Everything a person could see change: every object of every figure with
// all its property values, the editor's globals and both exports.
struct Session {
  std::vector<std::pair<double, std::vector<kh::Value>>> objects;
  std::vector<std::pair<std::string, Value>> globals;
  NamedValues mat;
  std::string matName, csv, csvName, figureName;
};

const char* const kGlobals[] = {"seg", "Nsmall", "Nmedium", "Nlarge", "Lpoly", "pf",   "T1",
                                "T2",  "T3",     "pseg",    "psp1",   "psp2",  "psp3", "ppulse"};

// "" when the sessions are the same, else where they first differ.
std::string difference(const Session& a, const Session& b) {
  if (a.objects.size() != b.objects.size())
    return std::to_string(a.objects.size()) + " objects, then " + std::to_string(b.objects.size());
  for (std::size_t i = 0; i < a.objects.size(); ++i) {
    if (a.objects[i].first != b.objects[i].first) return "object " + std::to_string(i);
    const kh::gfx::Object* o = kh::gfx::tree().find(b.objects[i].first);
    for (std::size_t p = 0; p < a.objects[i].second.size(); ++p) {
      const std::string d = kt::valueDifference(a.objects[i].second[p], b.objects[i].second[p]);
      if (!d.empty())
        return "object " + std::to_string(a.objects[i].first) + " property " +
               (o ? kh::gfx::table(o->type).props[p].name : "?") + ": " + d;
    }
  }
  for (std::size_t i = 0; i < a.globals.size(); ++i)
    if (const std::string d = kt::valueDifference(a.globals[i].second, b.globals[i].second);
        !d.empty())
      return "global " + a.globals[i].first + ": " + d;
  if (a.mat.size() != b.mat.size()) return "MAT export";
  for (std::size_t i = 0; i < a.mat.size(); ++i)
    if (const std::string d = kt::valueDifference(a.mat[i].second, b.mat[i].second); !d.empty())
      return "MAT export's " + a.mat[i].first + ": " + d;
  if (a.csv != b.csv) return "CSV export";
  if (a.matName != b.matName || a.csvName != b.csvName || a.figureName != b.figureName)
    return "export names " + a.matName + " " + a.figureName + ", then " + b.matName + " " +
           b.figureName;
  return "";
}

class OpenRecord : public kt::FigureTest {
 protected:
  void SetUp() override {
    FigureTest::SetUp();
    kt::ensureLibraryLoaded();
    static const bool pathSet = (kh::addDataFolder(KESTREL_SOURCE_DIR "/data"), true);
    (void)pathSet;
    ok("global seg Nsmall Nmedium Nlarge Lpoly pf T1 T2 T3 pseg psp1 psp2 psp3 ppulse;"
       "kestrel_figure;");
  }
  void TearDown() override {
    kh::setRecordAlias("ex_pulse", "");
    FigureTest::TearDown();
  }
  std::string bytesOf(const NamedValues& vars) {
    const std::string file = dir.file("made" + std::to_string(++files) + ".mat");
    kh::saveMatFile(file, vars);
    return read(file);
  }
  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  // Opens a file's bytes as the page sends them, with the name the person's
  // file has; "" when it opened, else why not.
  std::string open(const std::string& bytes, const std::string& name) {
    std::string why;
    return kh::protect([&] { kh::editor::openRecord(bytes, name); }, &why) ? "" : why;
  }
  std::string open(const NamedValues& vars, const std::string& name = "record.mat") {
    return open(bytesOf(vars), name);
  }
  // Files that SciPy writes, made by a Python program in the test's folder.
  bool python(const std::string& program) {
    const std::string script = dir.file("make.py");
    std::ofstream(script) << program;
    std::string out;
    const int rc =
        kt::runCommand("cd '" + dir.path() + "' && /usr/bin/python3 '" + script + "' 2>&1", &out);
    if (rc != 0 && out.find("ModuleNotFoundError") != std::string::npos) return false;
    EXPECT_EQ(rc, 0) << out;
    return true;
  }
  Session session() {
    Session s;
    for (kh::gfx::Object* fig : kh::gfx::tree().figures())
      kh::gfx::tree().walk(
          fig, [&](kh::gfx::Object* o) { s.objects.emplace_back(o->handle, o->values); }, true);
    for (const char* g : kGlobals) s.globals.emplace_back(g, *sh.workspace().get(g));
    std::string why;
    kh::protect(
        [&] {
          const kh::editor::RecordExport mat = kh::editor::recordMat();
          const std::string file = dir.file("export.mat");
          std::ofstream(file, std::ios::binary) << mat.bytes;
          s.mat = kh::loadMatFile(file, {});
          s.matName = mat.fileName;
          const kh::editor::RecordExport csv = kh::editor::recordCsv();
          s.csv = csv.bytes;
          s.csvName = csv.fileName;
        },
        &why);
    EXPECT_EQ(why, "");
    s.figureName = kh::editor::figureFileName(kh::gfx::currentFigure(false));
    return s;
  }
  kt::TempDir dir;
  int files = 0;
};

// The click's rule and its reason, as the editor says them.
std::string clickRefused(const std::string& file, const std::string& given) {
  return "The click 'cl' in '" + file + "' must be a whole sample number from 21 to 3450, not " +
         given +
         " (the estimate needs 20 samples before the click, and the editor's markers start at "
         "cl, cl + 500 and cl + 1550, all on the 5000 samples it shows).";
}
std::string samplesNeeded(const std::string& file, const std::string& has) {
  return "The record '" + file + "' needs 's', a real vector of at least 5000 samples; " + has +
         ".";
}

TEST_F(OpenRecord, AFileTheEditorCannotTakeIsRefusedAndNothingChanges) {
  const std::vector<double> w = wave(6000);
  ASSERT_EQ(open(record(w, 1200), "first.mat"), "");
  const Session before = session();
  ASSERT_EQ(before.matName, "first.mat");
  EXPECT_EQ(eval("[T1 T2 T3]"), (std::vector<double>{1200, 1700, 2750}));
  EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5});

  // Files of other tools: numbers of integer classes, and classes no double
  // holds; written by SciPy.
  const bool scipy = python(R"(
import numpy as np, scipy.io, scipy.sparse
t = np.arange(6000)
w = 0.3 * np.sin(0.013 * t) + 0.05 * np.cos(0.7 * t)
scipy.io.savemat('late_int.mat', {'s': w, 'cl': np.int64(4800)})
scipy.io.savemat('huge_T3.mat', {'s': w, 'cl': 1200.0, 'T3': np.array([[2**53 + 1]], dtype=np.uint64)})
scipy.io.savemat('sparse_pe.mat', {'s': w, 'cl': 1200.0, 'pe': scipy.sparse.eye(3)})
scipy.io.savemat('logical_s.mat', {'s': w > 0, 'cl': 1200.0})
)");
  std::string cut = bytesOf(record(w, 1200));
  cut.resize(cut.size() - 3000);
  std::vector<double> flat(6000, 1.0), close(6000, 1.83031203136881);
  close[8] = 1.8303120313688102;  // 1.1 times either is the same number
  struct Case {
    std::string name;  // as the person's file is called
    std::string bytes;
    std::string reason;
  };
  std::vector<Case> refused = {
      {"half click.mat", bytesOf(record(w, 1000.5)), clickRefused("half click.mat", "1000.5")},
      {"late.mat", bytesOf(record(w, 4800)), clickRefused("late.mat", "4800")},
      {"just past.mat", bytesOf(record(w, 3451)), clickRefused("just past.mat", "3451")},
      {"early.mat", bytesOf(record(w, 20)), clickRefused("early.mat", "20")},
      {"nan click.mat", bytesOf(record(w, NAN)), clickRefused("nan click.mat", "NaN")},
      {"two.mat", bytesOf(record(w, Value::row({100, 200}))), clickRefused("two.mat", "2 numbers")},
      {"text click.mat", bytesOf(record(w, Value::str("a"))),
       clickRefused("text click.mat", "a value of class char")},
      {"no cl.mat", bytesOf({{"s", Value::column(w)}}),
       "The record 'no cl.mat' needs 'cl', the click's sample number (a whole sample number "
       "from 21 to 3450)."},
      {"no s.mat", bytesOf({{"cl", Value::scalar(100)}}),
       samplesNeeded("no s.mat", "it has no 's'")},
      {"short.mat", bytesOf(record(wave(4999), 100)),
       samplesNeeded("short.mat", "its 's' is 4999 samples long")},
      {"matrix.mat", bytesOf({{"s", Value::matrix(2, 5000)}, {"cl", Value::scalar(100)}}),
       samplesNeeded("matrix.mat", "its 's' is a 2-by-5000 array")},
      {"nan.mat", bytesOf(record(with(w, 3000, NAN, 10), 1200)),
       "The samples 's' in 'nan.mat' must be finite in the first 5000 (the part the editor "
       "shows), but sample 3000 is NaN (and 9 more are not finite)."},
      {"inf.mat", bytesOf(record(with(w, 4000, -kInf), 1200)),
       "The samples 's' in 'inf.mat' must be finite in the first 5000 (the part the editor "
       "shows), but sample 4000 is -Inf."},
      {"flat.mat", bytesOf(record(flat, 1000)),
       "The samples 's' in 'flat.mat' are all equal (1) in the first 5000: the editor's plot "
       "needs two different values."},
      {"huge.mat", bytesOf(record(with(w, 77, -1.7e308), 1000)),
       "The samples 's' in 'huge.mat' are too large for the editor's plot, which reaches 1.1 "
       "times them: sample 77 is -1.7e+308."},
      {"close.mat", bytesOf(record(close, 1000)),
       "The samples 's' in 'close.mat' lie too close together in the first 5000 (from "
       "1.83031203136881 to 1.8303120313688102) for the editor's plot."},
      {"notes.mat", "not a MAT file\n", "Unable to read file 'notes.mat': it is not a MAT file."},
      {"empty.mat", "", "Unable to read file 'empty.mat': it is empty."},
      // A path as a name still names only the file.
      {"/home/someone/cut.mat", cut, ""},
  };
  // The truncated file's reason is what `load` at the prompt says of it.
  std::ofstream(dir.file("cut.mat"), std::ios::binary) << cut;
  std::string atPrompt = fails("load('" + dir.file("cut.mat") + "')");
  ASSERT_EQ(atPrompt.rfind("??? ", 0), 0u) << atPrompt;
  atPrompt = atPrompt.substr(4, atPrompt.find('\n') - 4);
  ASSERT_NE(atPrompt.find("the file ends early"), std::string::npos) << atPrompt;
  refused.back().reason =
      atPrompt.replace(atPrompt.find(dir.path() + "/"), dir.path().size() + 1, "");
  if (scipy) {
    refused.push_back(
        {"late_int.mat", read(dir.file("late_int.mat")), clickRefused("late_int.mat", "4800")});
    refused.push_back({"huge_T3.mat", read(dir.file("huge_T3.mat")),
                       "Unable to load 'T3' from 'huge_T3.mat': its element 1 (9007199254740993) "
                       "cannot be held exactly as a double."});
    refused.push_back({"sparse_pe.mat", read(dir.file("sparse_pe.mat")),
                       "Unable to load 'pe' from 'sparse_pe.mat': class sparse is not supported."});
    refused.push_back({"logical_s.mat", read(dir.file("logical_s.mat")),
                       samplesNeeded("logical_s.mat", "its 's' is a value of class logical")});
  }
  for (const Case& c : refused) {
    EXPECT_EQ(open(c.bytes, c.name), c.reason) << c.name;
    EXPECT_EQ(difference(before, session()), "") << c.name;
  }
}

TEST_F(OpenRecord, TheEdgesTheEditorTakesOpenAlsoWithNumbersOfOtherClasses) {
  const std::vector<double> w = wave(6000);
  const struct {
    const char* what;
    NamedValues vars;
    double cl;
  } taken[] = {
      {"the first click", record(w, 21), 21},
      {"the last click", record(w, 3450), 3450},
      {"an Inf past the first 5000", record(with(w, 5001, kInf), 1000), 1000},
      {"two values only", record(with(std::vector<double>(5000, 1.0), 9, -2), 1000), 1000},
  };
  for (const auto& c : taken) {
    EXPECT_EQ(open(c.vars), "") << c.what;
    EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5}) << c.what;
    EXPECT_EQ(eval("[T1 T2 T3]"), (std::vector<double>{c.cl, c.cl + 500, c.cl + 1550})) << c.what;
  }
  // A page export that SciPy read and saved again (its settings come back
  // as int64, pf too) opens as it was saved: its markers, windows, block
  // length and fit switch applied after the load, controls and all. A
  // record of 8-bit samples opens as any record does.
  if (!python(R"(
import numpy as np, scipy.io
t = np.arange(6000)
w = 0.3 * np.sin(0.013 * t) + 0.05 * np.cos(0.7 * t)
scipy.io.savemat('resaved.mat', {'s': w.reshape(-1, 1), 'cl': np.int64(1200), 'T1': np.int64(1200),
    'T2': np.int64(2000), 'T3': np.int64(2750), 'Nsmall': np.int64(35), 'Nmedium': np.int64(101),
    'Nlarge': np.int64(401), 'Lpoly': np.int64(40), 'pf': np.int64(1), 'estimate': w.reshape(-1, 1)})
scipy.io.savemat('bytes.mat', {'s': np.round(128 + 100 * np.sin(0.02 * t)).astype(np.uint8), 'cl': np.uint16(900)})
)"))
    GTEST_SKIP() << "scipy is not available";
  ASSERT_EQ(open(read(dir.file("resaved.mat")), "resaved.mat"), "");
  EXPECT_EQ(eval("[T1 T2 T3 Nsmall Nmedium Nlarge Lpoly pf]"),
            (std::vector<double>{1200, 2000, 2750, 35, 101, 401, 40, 1}));
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'edit1'), 'String')"), "35");
  EXPECT_EQ(text("get(findobj(gcf, 'Tag', 'edit4'), 'String')"), "40");
  EXPECT_EQ(eval("get(findobj(gcf, 'Tag', 'radiobutton1'), 'Value')"), std::vector<double>{1});
  EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5});
  ASSERT_EQ(open(read(dir.file("bytes.mat")), "bytes.mat"), "");
  EXPECT_EQ(eval("T1"), std::vector<double>{900});
  EXPECT_EQ(eval("seg(1:2)'"), (std::vector<double>{128, 130}));
  EXPECT_EQ(eval("length(get(gca, 'Children'))"), std::vector<double>{5});
}

// A load that fails after the checks (the figure was changed under the
// editor) is undone: the figure and the globals are as they were, and the
// error says so, naming the file.
TEST_F(OpenRecord, ALoadThatFailsEvenSoIsUndone) {
  ASSERT_EQ(open(record(wave(6000), 1200), "first.mat"), "");
  const NamedValues good = record(wave(5000), 800);
  // After the whole load and its redraw: the button runs more that fails.
  ok("set(findobj(gcf, 'Tag', 'pushbutton1'), 'Callback', "
     "'kestrel loadpulse; kestrel_sync load; error(''the figure broke'')');");
  Session before = session();
  EXPECT_EQ(open(good, "good.mat"),
            "The editor's load of 'good.mat' failed, and the editor is as it was before: the "
            "figure broke");
  EXPECT_EQ(difference(before, session()), "");
  // Half-way: a slider without a value fails the estimate inside the load,
  // after the load has read the file into the globals.
  ok("set(findobj(gcf, 'Tag', 'pushbutton1'), 'Callback', 'kestrel loadpulse; kestrel_sync load');"
     "set(findobj(gcf, 'Tag', 'slider9'), 'Value', []);");
  before = session();
  const std::string why = open(good, "good.mat");
  EXPECT_EQ(why.rfind("The editor's load of 'good.mat' failed, and the editor is as it was "
                      "before: ",
                      0),
            0u)
      << why;
  EXPECT_EQ(difference(before, session()), "");
  // Mended, the same file opens.
  ok("set(findobj(gcf, 'Tag', 'slider9'), 'Value', 21);");
  EXPECT_EQ(open(good, "good.mat"), "");
  EXPECT_EQ(eval("[T1 length(get(gca, 'Children'))]"), (std::vector<double>{800, 5}));
  // Before the first record, too: nothing is drawn and the globals stay unset.
  kh::gfx::resetGraphics();
  ok("clear global; global seg ppulse; kestrel_figure;"
     "set(findobj(gcf, 'Tag', 'slider9'), 'Value', []);");
  EXPECT_NE(open(good, "good.mat"), "");
  EXPECT_EQ(eval("[length(get(gca, 'Children')) isempty(seg) isempty(ppulse)]"),
            (std::vector<double>{0, 1, 1}));
}

TEST_F(OpenRecord, ExportsAreNamedAfterTheRecord) {
  using kh::editor::exportBase;
  EXPECT_EQ(exportBase("pulse 7.mat"), "pulse 7");
  EXPECT_EQ(exportBase("PULSE.MAT"), "PULSE");
  EXPECT_EQ(exportBase("/data/run3/a.b.mat"), "a.b");
  EXPECT_EQ(exportBase("C:\\rec\\x.mat"), "x");
  EXPECT_EQ(exportBase("say \"hi\";\r\n.mat"), "say _hi____");
  EXPECT_EQ(exportBase("Messung_\xc3\xa4.mat"), "Messung___");
  EXPECT_EQ(exportBase(".mat"), "record");
  EXPECT_EQ(exportBase(""), "record");
  EXPECT_EQ(kh::editor::shownName("/home/a/x\ny.mat"), "xy.mat");
  EXPECT_EQ(kh::editor::shownName(""), "the record");

  // The sample, loaded by the button: ex_pulse.
  ok("uiclick pushbutton1;");
  Session s = session();
  EXPECT_EQ(s.matName, "ex_pulse.mat");
  EXPECT_EQ(s.csvName, "ex_pulse.csv");
  EXPECT_EQ(s.figureName, "ex_pulse");
  // A record opened from the page: its name.
  ASSERT_EQ(open(record(wave(5000), 1200), "run 12.mat"), "");
  s = session();
  EXPECT_EQ(s.matName, "run 12.mat");
  EXPECT_EQ(s.csvName, "run 12.csv");
  EXPECT_EQ(s.figureName, "run 12");
  // A refused one changes no name.
  EXPECT_NE(open(record(wave(10), 1200), "bad.mat"), "");
  EXPECT_EQ(session().matName, "run 12.mat");
  // A record that "ex_pulse" means (--record), loaded by the button again.
  const std::string mine = dir.file("mine.mat");
  kh::saveMatFile(mine, record(wave(5000), 300));
  kh::setRecordAlias("ex_pulse", mine);
  ok("set(findobj(gcf, 'Tag', 'pushbutton1'), 'Enable', 'on'); uiclick pushbutton1;");
  EXPECT_EQ(session().matName, "mine.mat");
  EXPECT_EQ(session().figureName, "mine");
  // Another figure keeps its number.
  ok("f = figure; plot(1:3);");
  EXPECT_EQ(kh::editor::figureFileName(kh::gfx::currentFigure(false)),
            "figure" + std::to_string(static_cast<long>(eval("f")[0])));
}

TEST_F(OpenRecord, TheClicksBoundsAreThoseOfTheEstimateWhereverTheMarkersStand) {
  const Value seg = Value::column(wave(5000));
  // The markers' distances after the click: the editor's, the nearest and
  // farthest --markers allows, and two beyond it that move the bound.
  const struct {
    int t2, t3;
  } markers[] = {{500, 1550}, {50, 100}, {4949, 4999}, {4965, 4999}, {4990, 4999}};
  for (const auto& m : markers) {
    const kh::editor::ClickRange r = kh::editor::clickRange(m.t2, m.t3);
    EXPECT_EQ(r.last, 5000);
    const std::string what = std::to_string(m.t2) + "," + std::to_string(m.t3);
    auto estimate = [&](double cl) {
      return kt::callError("kestrel/pulse_estimate", 1,
                           {seg, Value::scalar(401), Value::scalar(101), Value::scalar(21),
                            Value::scalar(cl), Value::scalar(cl + m.t2), Value::scalar(cl + m.t3),
                            Value::scalar(100), Value::scalar(0)});
    };
    for (double cl : {1.0, r.first - 1.0, static_cast<double>(r.first), 21.0, 4999.0, 5000.0}) {
      if (cl < 1) continue;
      const std::string error = estimate(cl);
      EXPECT_EQ(error.empty(), cl >= r.first) << what << " at " << cl << ": " << error;
    }
    // The batch's check with these markers refuses exactly the clicks before.
    const Value s = seg;
    for (double cl : {r.first - 1.0, static_cast<double>(r.first)}) {
      if (cl < 1) continue;
      const Value c = Value::scalar(cl);
      std::string why;
      EXPECT_EQ(kh::protect([&] { kh::editor::checkRecordInputs(&s, &c, m.t2, m.t3); }, &why),
                cl >= r.first)
          << what << " at " << cl << ": " << why;
    }
  }
  EXPECT_EQ(kh::editor::clickRange().first, 21);
  EXPECT_EQ(kh::editor::clickRange(4949, 4999).first, 21);
  EXPECT_EQ(kh::editor::clickRange(4990, 4999).first, 1);
  // The editor's: the estimate's first, and the last that keeps the third
  // marker on the record.
  EXPECT_EQ(kh::editor::editorClickRange().first, 21);
  EXPECT_EQ(kh::editor::editorClickRange().last, 3450);
}

}  // namespace
