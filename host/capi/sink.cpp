#include "host/capi/sink.h"

#include <cstdarg>

#include "host/values/handle.h"

namespace kh {
namespace {
mlfVarargoutList_tag g_valueSink{true, {}};
mlfVarargoutList_tag* g_outstanding = nullptr;  // newest first
// Consumed sinks, kept for the next ones (linked through next). A sink is
// never given back to the allocator, so a stale pointer to one that was
// already consumed still finds it marked as not outstanding.
mlfVarargoutList_tag* g_spareSinks = nullptr;

void track(mlfVarargoutList* s) {
  s->outstanding = true;
  s->next = g_outstanding;
  if (g_outstanding) g_outstanding->prev = s;
  g_outstanding = s;
}

void untrack(mlfVarargoutList* s) {
  if (s->prev)
    s->prev->next = s->next;
  else
    g_outstanding = s->next;
  if (s->next) s->next->prev = s->prev;
  s->prev = s->next = nullptr;
  s->outstanding = false;
}
}  // namespace

int sinkCount(const mlfVarargoutList* sink) {
  if (!sink || sink->valueOnly) return 1;
  return static_cast<int>(sink->targets.size());
}

void discardSink(mlfVarargoutList* sink) {
  if (!sink || sink == &g_valueSink || !sink->outstanding) return;
  untrack(sink);
  sink->targets.clear();
  sink->next = g_spareSinks;
  g_spareSinks = sink;
}

mxArray* deliver(mlfVarargoutList* sink, Value* results, std::size_t n) {
  if (!sink || sink->valueOnly) {
    discardSink(sink);
    return newTemp(n == 0 ? Value() : std::move(results[0]));
  }
  // Nothing here reaches the sink list, so the targets are read in place
  // and the sink is given back after.
  const auto& targets = sink->targets;
  for (std::size_t k = 0; k < targets.size() && k < n; ++k) {
    if (!targets[k]) continue;
    destroyHandle(*targets[k]);
    *targets[k] = newHandle(std::move(results[k]), false);
  }
  discardSink(sink);
  return nullptr;
}

void freeOutstandingSinks() {
  while (g_outstanding) discardSink(g_outstanding);
}

}  // namespace kh

extern "C" {

mlfVarargoutList* mlfVarargout(mxArray** first, ...) {
  mlfVarargoutList_tag* s = kh::g_spareSinks;
  if (s)
    kh::g_spareSinks = s->next;
  else
    s = new mlfVarargoutList_tag;
  s->next = nullptr;
  if (first) {
    s->targets.push_back(first);
    va_list ap;
    va_start(ap, first);
    while (mxArray** p = va_arg(ap, mxArray**)) s->targets.push_back(p);
    va_end(ap);
  }
  kh::track(s);
  return s;
}

mlfVarargoutList* mclValueVarargout(void) { return &kh::g_valueSink; }

}  // extern "C"
