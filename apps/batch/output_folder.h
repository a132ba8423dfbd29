// The folder that receives the results. Each result is written whole under a
// temporary name inside a private hidden folder of its own (made in the
// results' folder, hence on the same file system) and renamed into place, so
// a result is either complete or absent. Whatever a stopped run leaves behind
// is in that hidden folder, DIR/.kestrel-partial-*, never under a result's
// name.
#pragma once

#include <string>

#include "host/datafile/matfile.h"

namespace khost::batch {

class OutputFolder {
 public:
  // Makes dir (and its parents) when missing and the private folder in it.
  // Raises an MError with the reason when either cannot be made.
  explicit OutputFolder(const std::string& dir);
  ~OutputFolder();  // removes the private folder and anything left in it
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  // Writes NAME.mat (and, with csv, NAME.csv, as the figure page's CSV
  // export writes it), replacing a result of an earlier run. The CSV file is
  // renamed into place first, so a present NAME.mat means both are. Raises an
  // MError naming the result when a write fails; neither file of it is left.
  void publish(const std::string& name, const kh::NamedValues& vars, bool csv) const;

  const std::string& path() const { return dir_; }

 private:
  std::string dir_;
  std::string private_;
};

}  // namespace khost::batch
