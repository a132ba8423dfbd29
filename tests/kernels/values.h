// Small builders for test values.
#pragma once

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh::test {

// A matrix written row by row.
inline Value M(std::initializer_list<std::initializer_list<double>> rows) {
  const std::size_t m = rows.size(), n = m ? rows.begin()->size() : 0;
  Value v = Value::numeric({m, n});
  std::size_t i = 0;
  for (const auto& r : rows) {
    std::size_t j = 0;
    for (double x : r) v.mutRe()[i + j++ * m] = x;
    ++i;
  }
  return v;
}
inline Value R(std::vector<double> v) { return Value::row(v); }
inline Value C(std::vector<double> v) { return Value::column(v); }
inline Value S(double x) { return Value::scalar(x); }
inline Value T(const std::string& s) { return Value::str(std::string_view(s)); }
inline Value Z(double re, double im) { return Value::complexScalar(re, im); }
inline Value L(std::vector<double> v) {
  Value r = Value::row(v);
  r.setLogical(true);
  return r;
}

inline std::vector<double> data(const Value& v) {
  return std::vector<double>(v.re(), v.re() + v.numel());
}
inline std::vector<double> imagData(const Value& v) {
  if (!v.isComplex()) return std::vector<double>(v.numel(), 0.0);
  return std::vector<double>(v.im(), v.im() + v.numel());
}

}  // namespace kh::test
