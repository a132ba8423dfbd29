// Host built-ins that belong to the command window: disp, error, warning,
// lasterr, format, and the named constants (pi, Inf, NaN, eps, i, j,
// true, false).
#include "host/builtins/session/command_window.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/context/depth.h"
#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/display/display.h"
#include "host/kernels/display/display_format.h"
#include "host/kernels/text/text_format.h"
#include "host/values/handle.h"
#include "runtime/builtins.h"

namespace kh::builtin {
namespace {

std::string textOf(const Value& v, const char* fn) {
  if (!v.isChar()) raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

// Whether text is a message identifier: two or more components joined by
// colons, each a letter followed by letters, digits, underscores or hyphens
// ("kestrel:load:badFile").
bool isIdentifier(const std::string& text) {
  std::size_t parts = 0, k = 0;
  while (k <= text.size()) {
    if (k == text.size() || !std::isalpha(static_cast<unsigned char>(text[k]))) return false;
    while (k < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[k])) || text[k] == '_' || text[k] == '-'))
      ++k;
    ++parts;
    if (k == text.size()) break;
    if (text[k] != ':') return false;
    ++k;
  }
  return parts >= 2;
}

// The message of error(...) and warning(...) and its identifier: one
// argument is the message as it is; with more, a leading identifier is
// taken off and the rest is a format and its values.
struct Message {
  std::string identifier;
  std::string text;
};
Message messageOf(Values args, const char* fn) {
  if (args.size() == 1) return {"", textOf(args[0], fn)};
  std::size_t first = 0;
  Message m;
  if (args[0].isChar() && args[1].isChar() && isIdentifier(args[0].utf8())) {
    m.identifier = args[0].utf8();
    first = 1;
  }
  m.text =
      formatText(textOf(args[first], fn), Values(args.data() + first + 1, args.size() - first - 1));
  return m;
}

}  // namespace

void disp(Call& call) {
  call.counts(1, 1, 0);
  emit(formatDisp(call.arg(0)));
}

// error(message), error(format, values...), error(identifier, format,
// values...), and error(s) with a structure of fields message and
// identifier (as catch gives it). An empty message raises nothing, and
// neither does error([]).
void error(Call& call) {
  if (call.nargin() == 0) raise("Not enough input arguments.");
  const Values args = call.args();
  Message m;
  if (args.size() == 1 && args[0].isStruct()) {
    const Value& s = args[0];
    const int text = s.fieldIndex("message"), id = s.fieldIndex("identifier");
    if (s.numel() != 1 || text < 0)
      raise("The argument of error must be a text or a structure with a field 'message'.");
    m.text = textOf(s.fieldAt(0, static_cast<std::size_t>(text)), "error");
    if (id >= 0) m.identifier = textOf(s.fieldAt(0, static_cast<std::size_t>(id)), "error");
  } else if (args.size() == 1 && args[0].isEmpty()) {
    return;
  } else {
    m = messageOf(args, "error");
  }
  if (m.text.empty()) return;
  raiseWithId(m.identifier, m.text);
}

namespace {

// Turns the warnings with an identifier on or off ("all": every one).
void setWarningState(const std::string& identifier, bool on) {
  if (identifier != "all") return setWarningOn(identifier, on);
  setWarningsOn(on);
  if (on) setAllWarningIdsOn();
}

// The state of one identifier as the forms with an identifier give it: a
// structure of fields identifier and state, which warning(s) puts back. For
// 'all', the state of all and then one element for each identifier turned
// off.
Value warningState(const std::string& identifier, bool on) {
  std::vector<std::pair<std::string, bool>> states{{identifier, on}};
  if (identifier == "all")
    for (const std::string& off : warningIdsOff()) states.emplace_back(off, false);
  Value s = Value::structArray({1, states.size()}, {"identifier", "state"});
  for (std::size_t e = 0; e < states.size(); ++e) {
    s.mutFieldAt(e, 0) = Value::str(std::string_view(states[e].first));
    s.mutFieldAt(e, 1) = Value::str(states[e].second ? "on" : "off");
  }
  return s;
}

void restoreWarningStates(const Value& s) {
  const int id = s.fieldIndex("identifier"), state = s.fieldIndex("state");
  if (id < 0 || state < 0)
    raise("A structure given to warning must have the fields identifier and state.");
  for (std::size_t e = 0; e < s.numel(); ++e) {
    const std::string on = textOf(s.fieldAt(e, static_cast<std::size_t>(state)), "warning");
    if (on != "on" && on != "off") raise("The state of a warning must be 'on' or 'off'.");
    setWarningState(textOf(s.fieldAt(e, static_cast<std::size_t>(id)), "warning"), on == "on");
  }
}

const Value& allState(bool on) { return on ? detail::kWarningsOn : detail::kWarningsOff; }

}  // namespace

const Value detail::kWarningsOn = Value::str(std::string_view("on"));
const Value detail::kWarningsOff = Value::str(std::string_view("off"));

// warning(message), warning(format, values...) and warning(identifier,
// format, values...) issue a warning. warning('on'|'off') turns the
// warnings on or off as a whole (an identifier turned off stays off) and
// gives the state before as 'on' or 'off', which warning(state) puts back;
// warning('on'|'off'|'query', identifier) does so for the warnings with one
// identifier ('all' meaning every one) and gives the state before as a
// structure, which warning(s) puts back. Without arguments it shows the
// state, or with an output gives it as 'on' or 'off'.
void detail::warningForms(Call& call) {
  call.counts(0, SIZE_MAX, 1);
  const bool wasOn = warningsOn();
  if (call.nargin() == 0) {
    if (call.nargout() > 0) return call.give(allState(wasOn));
    emit(std::string("Warnings are ") + (wasOn ? "on" : "off") + ".\n");
    return;
  }
  const Value& first = call.arg(0);
  if (call.nargin() == 1 && first.isChar()) {
    const std::u16string_view chars(first.numel() ? first.chr() : u"", first.numel());
    if (chars == u"on" || chars == u"off") {
      setWarningsOn(chars == u"on");
      if (call.nargout() > 0) call.give(allState(wasOn));
      return;
    }
  }
  if (call.nargin() == 1 && first.isStruct()) {
    if (call.nargout() > 0) raise("Too many output arguments.");
    restoreWarningStates(first);
    return;
  }
  const std::string text = textOf(first, "warning");
  const bool isQuery =
      text == "query" || text == "backtrace" || text == "debug" || text == "verbose";
  const bool isState = text == "on" || text == "off";
  if ((isState || isQuery) && call.nargin() > 1) {
    if (call.nargin() > 2) raise("Too many input arguments.");
    const std::string identifier = textOf(call.arg(1), "warning");
    const bool idWasOn = identifier == "all" ? wasOn : warningOn(identifier);
    if (isState) setWarningState(identifier, text == "on");
    if (call.nargout() > 0) return call.give(warningState(identifier, idWasOn));
    if (text == "query")
      emit("Warning '" + identifier + "' is " + (idWasOn ? "on" : "off") + ".\n");
    return;
  }
  if (!isQuery) {
    // (backtrace, debug and a bare query have nothing to set.)
    const Message m = messageOf(call.args(), "warning");
    warn(m.text, m.identifier);
  }
  if (call.nargout() > 0) call.give(allState(wasOn));
}

// lasterr gives the last error's message; lasterr(text) also makes text
// the last error's message.
void lasterr(Call& call) {
  call.counts(0, 1, 1);
  Value last = Value::str(lastError());
  if (call.nargin() > 0) setLastError(textOf(call.arg(0), "lasterr"));
  call.give(std::move(last));
}

// format [short|long|short g|long g|compact|loose]: how results are shown.
void format(Call& call) {
  if (call.nargout() > 0) raise("Too many output arguments.");
  std::vector<std::string> words;
  for (std::size_t k = 0; k < call.nargin(); ++k) words.push_back(textOf(call.arg(k), "format"));
  setDisplayFormat(words);
}

namespace {

// A named constant: c, or an array of c with the size the arguments ask for.
BuiltinFn constant(const char* name, double re, double im, bool logical) {
  return [name, re, im, logical](Call& call) {
    if (call.nargout() > 1) raise("Too many output arguments.");
    Value v = call.nargin() == 0 ? Value::numeric({1, 1}, im != 0)
                                 : Value::numeric(sizeArgs(call, 0, name), im != 0);
    for (std::size_t k = 0; k < v.numel(); ++k) v.mutRe()[k] = re;
    if (im != 0)
      for (std::size_t k = 0; k < v.numel(); ++k) v.mutIm()[k] = im;
    v.setLogical(logical);
    call.give(std::move(v));
  };
}

const bool kConstants = [] {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  registerBuiltin("disp", disp);
  registerBuiltin("error", error);
  registerBuiltin("warning", warning);
  registerBuiltin("lasterr", lasterr);
  registerBuiltin("format", format);
  for (const char* n : {"Inf", "inf"}) registerBuiltin(n, constant(n, inf, 0, false));
  for (const char* n : {"NaN", "nan"}) registerBuiltin(n, constant(n, nan, 0, false));
  registerBuiltin("pi", constant("pi", M_PI, 0, false));
  registerBuiltin("eps", constant("eps", std::numeric_limits<double>::epsilon(), 0, false));
  registerBuiltin("realmax", constant("realmax", std::numeric_limits<double>::max(), 0, false));
  registerBuiltin("realmin", constant("realmin", std::numeric_limits<double>::min(), 0, false));
  for (const char* n : {"i", "j"}) registerBuiltin(n, constant(n, 0, 1, false));
  registerBuiltin("true", constant("true", 1, 0, true));
  registerBuiltin("false", constant("false", 0, 0, true));
  return true;
}();

}  // namespace
}  // namespace kh::builtin
