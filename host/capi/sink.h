// Result sinks: how a run-time call with several results hands them over.
// mlfVarargout(&a, &b, NULL) names receiving variables; mclValueVarargout()
// asks for the first result as the call's value.
#pragma once

#include <boost/container/small_vector.hpp>
#include <memory>
#include <vector>

#include "host/values/handle.h"
#include "host/values/value.h"
#include "runtime/mx_types.h"

struct mlfVarargoutList_tag {
  bool valueOnly = false;
  boost::container::small_vector<mxArray**, 4> targets;
  // Sinks made and not yet consumed, linked so that making and consuming one
  // costs no search.
  mlfVarargoutList_tag* prev = nullptr;
  mlfVarargoutList_tag* next = nullptr;
  bool outstanding = false;
};

namespace kh {

// Number of results the sink asks for (1 for a value sink; a null sink counts
// as a value sink).
int sinkCount(const mlfVarargoutList* sink);

// Delivers the results of a call and releases the sink. For a value sink the
// first result is returned as a temporary (a placeholder when there is none);
// for a list of variables each result is assigned to its variable (as
// mlfAssign does) and null is returned. Surplus results are dropped; a target
// without a result is left untouched.
mxArray* deliver(mlfVarargoutList* sink, Value* results, std::size_t n);
inline mxArray* deliver(mlfVarargoutList* sink, ValueList results) {
  return deliver(sink, results.data(), results.size());
}

// Releases a sink without delivering (used when the call fails).
void discardSink(mlfVarargoutList* sink);

// Owns a sink for the duration of a call, so an error cannot leak it.
class SinkGuard {
 public:
  explicit SinkGuard(mlfVarargoutList* s) : s_(s) {}
  ~SinkGuard() { discardSink(s_); }
  SinkGuard(const SinkGuard&) = delete;
  SinkGuard& operator=(const SinkGuard&) = delete;
  int count() const { return sinkCount(s_); }
  mxArray* deliver(ValueList results) {
    mlfVarargoutList* s = s_;
    s_ = nullptr;
    return kh::deliver(s, std::move(results));
  }
  // The same for results the caller holds (moved out of them).
  mxArray* deliver(Value* results, std::size_t n) {
    mlfVarargoutList* s = s_;
    s_ = nullptr;
    return kh::deliver(s, results, n);
  }
  // The same for a call with one result.
  mxArray* deliverOne(Value result) {
    if (!s_ || s_->valueOnly) {
      discardSink(s_);
      s_ = nullptr;
      return newTemp(std::move(result));
    }
    return deliver(&result, 1);
  }

 private:
  mlfVarargoutList* s_;
};

// Frees sinks that were made but never consumed (host shut-down).
void freeOutstandingSinks();

}  // namespace kh
