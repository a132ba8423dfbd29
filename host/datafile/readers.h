// The readers of the MAT-file forms the host loads, behind loadMatFile.
// Each one checks every size it is told against the bytes that are really
// there before it reads or allocates anything, and reports a damaged or
// unsupported file by throwing FileFault; nothing is returned in part.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/datafile/matfile.h"

namespace kh::matfile {

// Why a file cannot be loaded: `variable` names the variable concerned (empty
// when the fault is not in one), `what` says what is wrong, in words that
// finish the sentence "Unable to load 'x' from 'f.mat': ...".
struct FileFault {
  std::string variable;
  std::string what;
};

// How deeply cells and structures may nest inside one variable.
inline constexpr int kMaxNesting = 256;

// Which variables a reader should convert: every one when the list is empty.
class Wanted {
 public:
  explicit Wanted(const std::vector<std::string>& names) : names_(names) {}
  bool operator()(std::string_view name) const;

 private:
  const std::vector<std::string>& names_;
};

// Version 5 (and 7, which is 5 with compressed variables): the file's bytes.
NamedValues readMat5(std::string_view bytes, const Wanted& wanted);
// Version 4: the file's bytes.
NamedValues readMat4(std::string_view bytes, const Wanted& wanted);
// Version 7.3 (HDF5), read through libmatio.
NamedValues readMat73(const std::string& file, const Wanted& wanted);

// Whether the bytes look like a version 4 file (a plausible first header).
bool looksLikeMat4(std::string_view bytes);

}  // namespace kh::matfile
