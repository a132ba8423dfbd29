// The readers of the MAT-file forms the host loads, behind loadMatFile.
// Each one checks every size it is told against the bytes that are really
// there before it reads or allocates anything, and reports a damaged or
// unsupported file by throwing FileFault; nothing is returned in part.
#pragma once

#include <cstdint>
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

// What a reader hands its variables to, in file order: it refuses invalid
// names, passes over the variables not asked for (every one is asked for when
// the list is empty) and any later one of the same name, and puts the name of
// the variable on a fault raised while its value is made.
class Collector {
 public:
  explicit Collector(const std::vector<std::string>& names) : names_(names) {}
  // Whether the variable called name is to be read; refuses an invalid name.
  bool wants(const std::string& name) const;
  template <typename Make>
  void add(const std::string& name, Make&& make) {
    try {
      out_.emplace_back(name, make());
    } catch (FileFault& f) {
      f.variable = name;
      throw;
    }
  }
  NamedValues take() { return std::move(out_); }

 private:
  const std::vector<std::string>& names_;
  NamedValues out_;
};

// A 64-bit whole number as a double, which must hold it exactly: a double
// holds every whole number up to 2^53 in magnitude, beyond that only some.
// Otherwise a fault naming element `index` (counted from 0) of the variable.
double exactDouble(std::int64_t v, std::size_t index);
double exactDouble(std::uint64_t v, std::size_t index);

// Raises a fault unless every field name is a valid name, each given once.
void checkFieldNames(const std::vector<std::string>& fields);

// Version 5 (and 7, which is 5 with compressed variables): the file's bytes.
void readMat5(std::string_view bytes, Collector& out);
// Version 4: the file's bytes.
void readMat4(std::string_view bytes, Collector& out);
// Version 7.3 (HDF5), read through libmatio.
void readMat73(const std::string& file, Collector& out);

// Whether the bytes look like a version 4 file (a plausible first header).
bool looksLikeMat4(std::string_view bytes);

}  // namespace kh::matfile
