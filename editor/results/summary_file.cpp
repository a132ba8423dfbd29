#include "editor/results/summary_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kh::editor {
namespace {

constexpr const char* kHeader =
    "name,source,offset,click,T1,T2,T3,Nsmall,Nmedium,Nlarge,Lpoly,pf,state,reason,changed";
constexpr std::size_t kColumns = 15;

// A text field, quoted when it holds a comma, a quote or a line break.
std::string field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// The fields of one record of the text from `at`, which moves past it.
// Quoted fields may hold line breaks. False at the end of the text.
bool nextRecord(const std::string& text, std::size_t* at, std::vector<std::string>* fields) {
  fields->clear();
  if (*at >= text.size()) return false;
  std::string cur;
  bool quoted = false;
  std::size_t i = *at;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cur += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cur += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields->push_back(std::move(cur));
      cur.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++i;
      break;
    } else {
      cur += c;
    }
  }
  fields->push_back(std::move(cur));
  *at = i;
  return true;
}

bool parseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  return end && *end == 0 && std::isfinite(*out);
}

}  // namespace

const char* stateText(RecordState s) {
  switch (s) {
    case RecordState::NotOpened:
      return "not opened";
    case RecordState::Estimated:
      return "estimated";
    case RecordState::Saved:
      return "saved";
    case RecordState::Edited:
      return "edited";
    case RecordState::Refused:
      return "refused";
  }
  return "";
}

bool stateFromText(const std::string& text, RecordState* out) {
  for (RecordState s : {RecordState::NotOpened, RecordState::Estimated, RecordState::Saved,
                        RecordState::Edited, RecordState::Refused})
    if (text == stateText(s)) {
      *out = s;
      return true;
    }
  return false;
}

std::string summaryHeader() { return std::string(kHeader) + "\n"; }

std::string summaryLine(const SummaryRow& r) {
  std::string out = field(r.name) + "," + field(r.source) + "," + number(r.offset) + "," +
                    (r.click > 0 ? number(r.click) : "");
  for (double v : r.settings) out += "," + (r.hasSettings ? number(v) : std::string());
  return out + "," + stateText(r.state) + "," + field(r.reason) + "," + r.changed + "\n";
}

std::string summaryText(const std::vector<SummaryRow>& rows) {
  std::string out = summaryHeader();
  for (const SummaryRow& r : rows) out += summaryLine(r);
  return out;
}

std::vector<SummaryRow> parseSummary(const std::string& text) {
  std::vector<SummaryRow> rows;
  std::vector<std::string> f;
  std::size_t at = 0;
  if (!nextRecord(text, &at, &f) || f.size() != kColumns || f[0] != "name") return rows;
  while (nextRecord(text, &at, &f)) {
    if (f.size() != kColumns || f[0].empty()) continue;
    SummaryRow r;
    r.name = f[0];
    r.source = f[1];
    if (!parseNumber(f[2], &r.offset)) r.offset = 0;
    if (!parseNumber(f[3], &r.click)) r.click = 0;
    r.hasSettings = true;
    for (std::size_t k = 0; k < r.settings.size(); ++k)
      if (!parseNumber(f[4 + k], &r.settings[k])) r.hasSettings = false;
    if (!r.hasSettings) r.settings = {};
    if (!stateFromText(f[12], &r.state)) continue;
    r.reason = f[13];
    r.changed = f[14];
    rows.push_back(std::move(r));
  }
  return rows;
}

std::string timeNow() {
  const std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace kh::editor
