#include "editor/sources/record_source.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "editor/record_check.h"
#include "editor/results/results_folder.h"
#include "editor/sources/click_list.h"
#include "editor/sources/sound_file.h"
#include "host/core/errors.h"
#include "host/datafile/matfile.h"

namespace kh::editor {
namespace fs = std::filesystem;

namespace {

// The frames of a sound file's channel a reader holds at a time (8 MiB):
// records taken in order are cut from it, and the next block is read when a
// record reaches past it.
constexpr std::size_t kBlockFrames = std::size_t{1} << 20;

const Value* named(const NamedValues& vars, const char* name) {
  for (const auto& [n, v] : vars)
    if (n == name) return &v;
  return nullptr;
}

// A value that can hold clicks: real numbers, at least one.
bool holdsNumbers(const Value* v) {
  return v && v->isDouble() && !v->isLogical() && !v->isComplex() && v->numel() > 0;
}

// The samples `s` of a MAT recording: a real vector. Raises naming the file.
Value recordingSamples(const std::string& file) {
  const NamedValues vars = loadMatFile(file, {"s"});
  const Value* s = named(vars, "s");
  if (!s) raise("The recording '" + file + "' holds clicks 'cl' but no samples 's'.");
  if (!s->isDouble() || s->isLogical() || s->isComplex() || s->ndims() > 2 ||
      std::min(s->rows(), s->cols()) != 1)
    raise("The samples 's' of the recording '" + file + "' must be a real vector of numbers.");
  return *s;
}

// The records cut from a source around the clicks of its list.
std::vector<RecordRef> cutsOf(const std::string& file, const ClickList& list, double length) {
  const fs::path path(file);
  const std::string source = recordSource(file);
  const std::string stem = path.stem().string();
  const std::string shown = path.filename().string();
  const std::string total = std::to_string(list.entries);
  std::vector<RecordRef> out;
  out.reserve(list.clicks.size());
  for (const ListedClick& c : list.clicks) {
    RecordRef r;
    r.source = source;
    r.cut = true;
    r.clickNumber = c.number;
    r.click = c.sample;
    std::string number = std::to_string(c.number);
    number.insert(0, total.size() - std::min(total.size(), number.size()), '0');
    r.name = stem + "-c" + number;
    r.label = shown + " #" + std::to_string(c.number);
    try {
      r.offset = cutOffset(c.sample, length);
    } catch (const MError& e) {
      r.refused = e.message();
    }
    out.push_back(std::move(r));
  }
  return out;
}

std::vector<RecordRef> soundRecords(const std::string& file, const SourceOptions& options,
                                    std::vector<std::string>* problems) {
  double length = 0;
  {
    const SoundFile sound(file, options.channel);  // refuses a damaged file whole
    length = sound.frames();
  }
  std::string list = options.clicks;
  if (list.empty()) {
    const fs::path path(file);
    list = (path.parent_path() / (path.stem().string() + ".clicks.csv")).string();
    std::error_code ec;
    if (!fs::exists(list, ec))
      raise("The sound file '" + file + "' has no click list: put its clicks in '" + list +
            "' (one sample number a line), or give its list.");
  }
  return cutsOf(file, readClickList(list, length, problems), length);
}

}  // namespace

bool isSoundFile(const std::string& file) {
  std::string ext = fs::path(file).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* sound :
       {".wav", ".wave", ".flac", ".aif", ".aiff", ".au", ".caf", ".w64", ".rf64"})
    if (ext == sound) return true;
  return false;
}

double cutOffset(double click, double length) {
  const double n = static_cast<double>(kRecordLength);
  if (!(length >= n))
    raise("The source has " + numberText(length) + " samples, fewer than the " + numberText(n) +
          " of a record.");
  if (!(click >= 1 && click <= length && click == std::floor(click)))
    raise("The click " + numberText(click) + " is not a sample of the source (1 to " +
          numberText(length) + ").");
  const double offset = std::clamp(click - kCutClick, 0.0, length - n);
  const ClickRange fits = editorClickRange();  // where the record's click may be
  const double at = click - offset;
  if (at < fits.first)
    raise("The click at sample " + numberText(click) +
          " is too near the start of the source: a record needs " + std::to_string(fits.first - 1) +
          " samples before its click (the estimate fades in over them), and there are " +
          numberText(click - 1) + ".");
  if (at > fits.last)
    raise("The click at sample " + numberText(click) +
          " is too near the end of the source: a record needs " + numberText(n - fits.last) +
          " samples after its click (the editor's last marker stands there), and there are " +
          numberText(length - click) + ".");
  return offset;
}

std::vector<RecordRef> recordsOfFile(const std::string& file, const SourceOptions& options,
                                     std::vector<std::string>* problems) {
  if (isSoundFile(file)) return soundRecords(file, options, problems);

  // A MAT file: a record file unless its `cl` says it is a recording. Only
  // `cl` is read to tell, and `s` only when `cl` asks for it.
  const NamedValues vars = loadMatFile(file, {"cl"});
  const Value* cl = named(vars, "cl");
  RecordRef whole;
  whole.source = recordSource(file);
  whole.name = fs::path(file).stem().string();
  whole.label = whole.name;
  if (holdsNumbers(cl) && cl->numel() == 1) whole.click = cl->at(0);
  if (!holdsNumbers(cl)) return {whole};
  double length = 0;
  if (cl->numel() == 1) {
    // A single click the editor could not show at the start of `s`, in a
    // recording longer than a record, is a recording's one click. A click
    // that is no sample of `s` at all stays the record's fault.
    const double c = cl->at(0);
    if (!(c == std::floor(c) && c > editorClickRange().last)) return {whole};
    const NamedValues s = loadMatFile(file, {"s"});
    const Value* v = named(s, "s");
    if (!v || !v->isDouble() || v->isLogical() || v->isComplex() || v->ndims() > 2 ||
        std::min(v->rows(), v->cols()) != 1 || v->numel() <= kRecordLength ||
        c > static_cast<double>(v->numel()))
      return {whole};
    length = static_cast<double>(v->numel());
  } else {
    length = static_cast<double>(recordingSamples(file).numel());
  }
  return cutsOf(file, clicksOfVector(*cl, length, problems), length);
}

// What a reader holds of the last source asked for.
struct SourceReader::Held {
  std::string source;
  Value s;                           // a MAT recording's samples
  std::unique_ptr<SoundFile> sound;  // or a sound file, open
  std::vector<double> block;         // its channel's samples blockStart+1 ..
  std::size_t blockStart = 0;
  double length() const { return sound ? sound->frames() : static_cast<double>(s.numel()); }
};

SourceReader::SourceReader(const SourceOptions& options) : options_(options) {}
SourceReader::~SourceReader() = default;

void SourceReader::forget() { held_.reset(); }

double SourceReader::length(const std::string& source) {
  if (!held_ || held_->source != source) {
    held_.reset();
    auto h = std::make_unique<Held>();
    h->source = source;
    if (isSoundFile(source))
      h->sound = std::make_unique<SoundFile>(source, options_.channel);
    else
      h->s = recordingSamples(source);
    held_ = std::move(h);
  }
  return held_->length();
}

Value SourceReader::samples(const std::string& source, double offset, std::size_t count) {
  const double length = this->length(source);
  if (!(offset >= 0 && offset == std::floor(offset)) ||
      offset + static_cast<double>(count) > length)
    raise("The source '" + source + "' has " + numberText(length) + " samples, not samples " +
          numberText(offset + 1) + " to " + numberText(offset + static_cast<double>(count)) + ".");
  Held& h = *held_;
  const auto first = static_cast<std::size_t>(offset);
  Value out = Value::numericForWrite({count, 1});
  double* to = out.mutRe();
  if (!h.sound) {
    std::copy_n(h.s.re() + first, count, to);
    return out;
  }
  if (first < h.blockStart || first + count > h.blockStart + h.block.size()) {
    // The next block from `first` on; what the last one holds of it is kept,
    // so records taken in order read each part of the file once.
    const std::size_t end = h.blockStart + h.block.size();
    const std::size_t want =
        std::min(std::max(kBlockFrames, count), static_cast<std::size_t>(length) - first);
    try {
      if (first >= h.blockStart && first < end) {
        const std::size_t keep = end - first;
        std::memmove(h.block.data(), h.block.data() + (first - h.blockStart),
                     keep * sizeof(double));
        h.block.resize(want);
        h.sound->read(end, want - keep, h.block.data() + keep);
      } else {
        h.block.resize(want);
        h.sound->read(first, want, h.block.data());
      }
      h.blockStart = first;
    } catch (...) {
      held_.reset();  // nothing half-read stays
      throw;
    }
  }
  std::copy_n(h.block.data() + (first - h.blockStart), count, to);
  return out;
}

}  // namespace kh::editor
