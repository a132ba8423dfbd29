// The folder where a review and a batch leave their results, one layout for
// both: NAME.mat for each record (the variables of the page's MAT export,
// the record's source and offset, and its history of settings for undo),
// and summary.csv, the table of all records. Every file is written whole
// under a temporary name, synced and renamed into place, and the folder
// synced, so a host killed at any instant leaves each file as it was
// before or as it is after.
//
// A review holds the folder alone for as long as it runs; batch runs may
// share it with each other (tasks of one large run), never with a review.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_settings.h"
#include "editor/results/summary_file.h"
#include "host/datafile/matfile.h"

namespace kh::editor {

// What a results file holds of a record beyond the page's MAT export.
struct RecordResults {
  NamedValues exportVars;         // s, cl, T1..pf, estimate, as recordVariables makes them
  std::string source;             // the record's file
  double offset = 0;              // where the record starts in its source
  std::vector<Settings> history;  // every state since the first opening, oldest first
  std::size_t historyAt = 0;      // the state shown, an index into history
};

// What a results file says, read back.
struct SavedRecord {
  Value s;              // the record as the results hold it
  Settings settings{};  // the settings shown when it was saved
  std::string source;
  double offset = 0;
  std::vector<Settings> history;  // at least the settings themselves
  std::size_t historyAt = 0;
};

class ResultsFolder {
 public:
  enum class Use { Review, Batch };
  // Makes dir (and its parents) when missing, checks that files can be
  // written there, and takes its lock. Raises, naming the folder, when it
  // cannot be made or written, or when a review (or, for a review, a batch
  // run) uses it: the message names that host's process.
  ResultsFolder(const std::string& dir, Use use);
  ~ResultsFolder();
  ResultsFolder(const ResultsFolder&) = delete;
  ResultsFolder& operator=(const ResultsFolder&) = delete;

  const std::string& path() const { return dir_; }
  std::string fileOf(const std::string& name) const { return dir_ + "/" + name + ".mat"; }

  // Writes NAME.mat. Raises with the reason (a full disk among them); the
  // file that was there stays as it was.
  void saveRecord(const std::string& name, const RecordResults& r) const;
  // Reads NAME.mat back; raises when it is missing or is not a results file.
  SavedRecord readRecord(const std::string& name) const;

  // summary.csv, as read (no rows when there is none) and written whole.
  std::vector<SummaryRow> readSummary() const;
  void saveSummary(const std::vector<SummaryRow>& rows) const;
  // The same from the file's text, made by the caller (summaryHeader and a
  // summaryLine per row).
  void saveSummaryText(const std::string& text) const;
  // Puts these rows into summary.csv in place of the rows of the same names
  // (others kept, new ones added in name order), under a short lock, for
  // batch runs that share the folder.
  void mergeSummary(const std::vector<SummaryRow>& rows) const;

  // The record a review showed last ("" when none).
  std::string lastViewed() const;
  void setLastViewed(const std::string& name) const;

 private:
  void writeWhole(const std::string& file, const std::string& bytes) const;

  std::string dir_;
  int lockFd_ = -1;
  int dirFd_ = -1;
};

// Writes all the bytes to an open file and syncs it; 0, or the errno of
// the first failure.
int writeAllSynced(int fd, std::string_view bytes);

// The variables of a results file, in file order.
NamedValues resultsVariables(const RecordResults& r);

// Orders names as a person counts: runs of digits by their value
// ("rec2" before "rec10"), the rest byte by byte.
bool naturalLess(const std::string& a, const std::string& b);

// A record file's path as the results name it (`source`): absolute and
// lexically normal, symbolic links left as they are.
std::string recordSource(const std::string& file);

// Whether a file name in a results folder is one of the folder's own files
// (summary.csv, its locks, the record a review showed last), which no
// record's result may take or remove.
bool isFolderFile(const std::string& fileName);

}  // namespace kh::editor
