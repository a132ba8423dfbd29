// Where the records of a review or a batch come from. A record is 5000
// samples and a click, as the editor shows it: either a whole record file
// (a MAT file with `s` and a single click `cl` the editor takes), or a cut
// of a longer recording around one of its clicks: a MAT file whose `cl` is
// a vector of clicks (or a single click the editor could not show at the
// start of `s`), or a sound file (WAV and the other formats libsndfile
// reads) with a list of clicks beside it (NAME.clicks.csv, or a file named
// on the command line). Sample numbers count from 1, as `cl` does; a
// record's offset is the number of source samples before its first.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh::editor {

struct SourceOptions {
  std::string clicks;  // the click list of a single sound input ("": NAME.clicks.csv)
  int channel = 1;     // the channel of a sound file used (1 is the first)
};

// One record of a review or a batch.
struct RecordRef {
  std::string source;  // the input file, as recordSource() names it
  std::string name;    // the name of its results (NAME.mat): the file's stem, or STEM-cK
  std::string label;   // as the record list shows it: "rec1", "dive3.wav, click 42 of 20000"
  bool cut = false;    // a cut of a recording; else the record is the file itself
  std::size_t clickNumber = 0;  // a cut's click: its place in the click list (1 is the first)
  double click = 0;             // the click in the source's samples (0: not known)
  double offset = 0;            // source samples before the record's first
  std::string refused;          // why it cannot be a record, when known from the list alone
};

// The records of one input file, in click order. A click the list or `cl`
// gives badly (text, not a whole number, NaN, below 1, beyond the source,
// a repeat, out of order) is reported in `problems` with its line or entry
// number and left out; a click too near either end of the source for the
// editor's markers is a record refused with its reason. Raises, naming the
// file, when the file itself cannot be read as a record or a source (a
// damaged or truncated sound file, one without channels or samples, no
// click list, a channel it does not have).
std::vector<RecordRef> recordsOfFile(const std::string& file, const SourceOptions& options,
                                     std::vector<std::string>* problems);

// Whether a file name is one recordsOfFile takes as a sound file.
bool isSoundFile(const std::string& file);

// The offset of the record cut around a click (in the source's samples,
// from 1) from a source of `length` samples: the click lands on the
// record's sample kCutClick when it can; near either end the cut shifts to
// stay inside the source. Raises with the reason when no cut holds the click
// where the editor's markers fit (on samples 21 to 3450 of the record).
inline constexpr std::size_t kRecordLength = 5000;
inline constexpr double kCutClick = 1001;
double cutOffset(double click, double length);

// Reads the samples of sources, holding what it read of the last source
// (a MAT recording's `s` whole; a sound file's channel a block at a time)
// until another source is asked for or forget() is called, so that records
// taken in order read each source once.
class SourceReader {
 public:
  explicit SourceReader(const SourceOptions& options = {});
  ~SourceReader();
  SourceReader(const SourceReader&) = delete;
  SourceReader& operator=(const SourceReader&) = delete;

  // The samples offset+1 .. offset+count of the source, as a column.
  // Raises, naming the source, when it cannot be read or is too short.
  Value samples(const std::string& source, double offset, std::size_t count);
  // The source's length in samples.
  double length(const std::string& source);
  void forget();

 private:
  struct Held;
  std::unique_ptr<Held> held_;
  SourceOptions options_;
};

}  // namespace kh::editor
