#include "host/loader/leak_report.h"

#include "host/values/handle.h"

namespace kh {

std::string liveArrayReport() {
  std::string out;
  forEachLive([&](const mxArray& a) {
    const std::string cls = className(a.v);
    out += "  " + (cls.empty() ? std::string("(unassigned)") : cls) + " " + dimsText(a.v.dims());
    if (a.temporary) out += " (temporary)";
    out += "\n";
  });
  return out;
}

}  // namespace kh
