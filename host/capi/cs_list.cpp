#include "host/capi/cs_list.h"

namespace kh {

mxArray* newListTemp(ValueList values) {
  Value c = Value::cell({1, values.size()});
  for (std::size_t i = 0; i < values.size(); ++i) c.mutCellAt(i) = std::move(values[i]);
  mxArray* h = newTemp(std::move(c));
  h->list = true;
  return h;
}

mxArray* newListTemp(const Value& cell) {
  Value c = cell;  // shares the elements
  c.reshape({1, c.numel()});
  mxArray* h = newTemp(std::move(c));
  h->list = true;
  return h;
}

}  // namespace kh
