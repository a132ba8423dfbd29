#include "editor/review/record_list.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "editor/results/results_folder.h"
#include "host/core/errors.h"

namespace kh::editor {
namespace fs = std::filesystem;

namespace {

bool isMatFile(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext == ".mat";
}

bool isInput(const fs::path& p) { return isMatFile(p) || isSoundFile(p.string()); }

}  // namespace

std::vector<ReviewRecord> listRecords(const std::vector<std::string>& paths,
                                      const SourceOptions& options,
                                      std::vector<std::string>* problems) {
  std::vector<ReviewRecord> out;
  std::unordered_map<std::string, std::string> named;  // name -> its first record's label
  auto add = [&](const fs::path& file) {
    // Each problem names its file, as the batch's report does.
    std::vector<std::string> found;
    std::vector<RecordRef> refs = recordsOfFile(file.string(), options, &found);
    for (const std::string& p : found) problems->push_back(file.string() + ": " + p);
    for (RecordRef& ref : refs) {
      ReviewRecord r;
      r.name = std::move(ref.name);
      r.label = std::move(ref.label);
      r.source = std::move(ref.source);
      r.cut = ref.cut;
      r.offset = ref.offset;
      r.click = ref.click;
      if (!ref.refused.empty()) {
        r.state = RecordState::Refused;
        r.reason = std::move(ref.refused);
        r.refusedByList = true;
      }
      auto [it, fresh] = named.emplace(r.name, r.label + " (" + r.source + ")");
      if (!fresh) {
        r.state = RecordState::Refused;
        r.reason = "another record of this review is named " + r.name + " (" + it->second +
                   "), and the results keep one file per name";
        r.refusedByList = true;
      }
      out.push_back(std::move(r));
    }
  };
  for (const std::string& path : paths) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (!ec && fs::is_directory(st)) {
      std::vector<fs::path> files;
      for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        if (isInput(it->path()) && it->is_regular_file(ec)) files.push_back(it->path());
      if (ec) raise("The folder '" + path + "' cannot be read: " + ec.message() + ".");
      std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
      });
      for (const fs::path& f : files) add(f);
    } else if (!ec && fs::is_regular_file(st)) {
      add(path);
    } else {
      raise("'" + path + "' is neither a record file nor a folder of them" +
            (ec ? ": " + ec.message() : std::string()) + ".");
    }
  }
  return out;
}

std::string defaultResultsFolder(const std::string& firstPath) {
  fs::path p = fs::path(firstPath).lexically_normal();
  if (p.has_filename() == false) p = p.parent_path();  // "dir/" names dir
  const fs::path parent = p.parent_path();
  return (parent.empty() ? fs::path("kestrel-results") : parent / "kestrel-results").string();
}

SummaryRow summaryRow(const ReviewRecord& r) {
  SummaryRow s;
  s.name = r.name;
  s.source = r.source;
  s.offset = r.offset;
  s.click = r.click;
  s.hasSettings = r.hasSettings;
  s.settings = r.settings;
  s.state = r.state;
  s.reason = r.reason;
  s.changed = r.changed;
  return s;
}

void takeSummary(std::vector<ReviewRecord>& records, const std::vector<SummaryRow>& rows) {
  std::unordered_map<std::string, const SummaryRow*> byName;
  for (const SummaryRow& s : rows) byName[s.name] = &s;
  for (ReviewRecord& r : records) {
    if (r.refusedByList) continue;
    auto it = byName.find(r.name);
    if (it == byName.end()) continue;
    const SummaryRow& s = *it->second;
    if (s.source != r.source || s.offset != r.offset) continue;  // another record of that name
    r.click = s.click;
    r.state = s.state;
    r.reason = s.reason;
    r.changed = s.changed;
    r.hasSettings = s.hasSettings;
    r.settings = s.settings;
  }
}

}  // namespace kh::editor
