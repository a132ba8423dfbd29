// What belongs to the command window: disp, error, warning, lasterr and
// format, read once for every door (the named constants pi, Inf, NaN, eps,
// i, j, true and false are registered beside them).
#pragma once

#include "host/builtins/call.h"
#include "host/context/warnings.h"

namespace kh::builtin {

void disp(Call& c);  // disp(x)
// error(message), error(format, values...), error(identifier, format,
// values...), error(s)
void error(Call& c);
namespace detail {
// The two states of all warnings as warning(...) gives them; every saved
// state shares the data of one of them.
extern const Value kWarningsOn, kWarningsOff;
// warning(...) in any form but the one below.
void warningForms(Call& c);
}  // namespace detail

// warning(message), warning(identifier, format, values...), warning('on' |
// 'off'), warning(state, identifier), warning(s), s = warning(...).
// Inline for warning('on') and warning('off'): a body turns the warnings
// off and on around its steps at a high rate.
inline void warning(Call& c) {
  if (c.nargin() == 1 && c.nargout() <= 1) {
    const Value& v = c.arg(0);
    if (v.isChar() && (v.numel() == 2 || v.numel() == 3)) {
      const char16_t* t = v.chr();
      const bool on = v.numel() == 2 && t[0] == u'o' && t[1] == u'n';
      if (on || (v.numel() == 3 && t[0] == u'o' && t[1] == u'f' && t[2] == u'f')) {
        const bool wasOn = warningsOn();
        setWarningsOn(on);
        if (c.nargout() > 0) c.give(wasOn ? detail::kWarningsOn : detail::kWarningsOff);
        return;
      }
    }
  }
  detail::warningForms(c);
}
void lasterr(Call& c);  // lasterr, lasterr(text)
void format(Call& c);   // format short | long | short g | long g | compact | loose

}  // namespace kh::builtin
