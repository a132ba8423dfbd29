#include "host/capi/sink.h"

#include <cstdarg>
#include <set>

#include "host/array/handle.h"

namespace kh {
namespace {
mlfVarargoutList_tag g_valueSink{true, {}};
std::set<mlfVarargoutList*>& outstanding() {
  static std::set<mlfVarargoutList*> s;
  return s;
}
}  // namespace

int sinkCount(const mlfVarargoutList* sink) {
  if (!sink || sink->valueOnly) return 1;
  return static_cast<int>(sink->targets.size());
}

void discardSink(mlfVarargoutList* sink) {
  if (!sink || sink == &g_valueSink) return;
  if (outstanding().erase(sink)) delete sink;
}

mxArray* deliver(mlfVarargoutList* sink, std::vector<Value> results) {
  if (!sink || sink->valueOnly) {
    discardSink(sink);
    return newTemp(results.empty() ? Value() : std::move(results[0]));
  }
  std::vector<mxArray**> targets = sink->targets;
  discardSink(sink);
  for (std::size_t k = 0; k < targets.size() && k < results.size(); ++k) {
    if (!targets[k]) continue;
    destroyHandle(*targets[k]);
    *targets[k] = newHandle(std::move(results[k]), false);
  }
  return nullptr;
}

void freeOutstandingSinks() {
  for (auto* s : outstanding()) delete s;
  outstanding().clear();
}

}  // namespace kh

extern "C" {

mlfVarargoutList* mlfVarargout(mxArray** first, ...) {
  auto* s = new mlfVarargoutList_tag;
  if (first) {
    s->targets.push_back(first);
    va_list ap;
    va_start(ap, first);
    while (mxArray** p = va_arg(ap, mxArray**)) s->targets.push_back(p);
    va_end(ap);
  }
  kh::outstanding().insert(s);
  return s;
}

mlfVarargoutList* mclValueVarargout(void) { return &kh::g_valueSink; }

}  // extern "C"
