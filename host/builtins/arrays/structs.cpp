// Structures as host built-ins: struct, fieldnames, isfield and rmfield.
#include "host/builtins/arrays/structs.h"

#include <cctype>
#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"

namespace kh::builtin {
namespace {

bool validFieldName(const std::string& s) {
  if (s.empty() || s.size() > 63 || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

}  // namespace

// struct(), struct(s), and struct(name, value, ...): a cell value gives
// each element of the structure array its own element of the cell (a cell
// of one element gives its content to every element); any other value is
// every element's. The cells that are not of one element must all be of
// one size, the array's; without such a cell the array is 1-by-1.
void structure(Call& call) {
  const Values args = call.args();
  call.counts(0, SIZE_MAX);
  if (args.size() == 1 && args[0].isStruct()) return giveAll(call, {args[0]});
  if (args.size() % 2) raise("Field and value input arguments must come in pairs.");
  std::vector<std::string> names;
  const Value* shapeOf = nullptr;
  for (std::size_t k = 0; k < args.size(); k += 2) {
    const Value& name = args[k];
    if (!name.isChar() || name.rows() > 1) raise("A field name must be a text.");
    const std::string n = name.utf8();
    if (!validFieldName(n)) raise("Invalid field name '" + n + "'.");
    for (const std::string& seen : names)
      if (seen == n) raise("Duplicate field name '" + n + "'.");
    names.push_back(n);
    const Value& v = args[k + 1];
    if (!v.isCell() || v.numel() == 1) continue;
    if (shapeOf && shapeOf->dims() != v.dims())
      raise("The cell values of struct must all be of one size (or hold one value).");
    shapeOf = &v;
  }
  const Dims dims = shapeOf ? shapeOf->dims() : Dims{1, 1};
  Value s = Value::structArray(dims, names);
  for (std::size_t f = 0; f < names.size(); ++f) {
    const Value& v = args[2 * f + 1];
    for (std::size_t e = 0; e < s.numel(); ++e) {
      if (!v.isCell())
        s.mutFieldAt(e, f) = v;
      else
        s.mutFieldAt(e, f) = v.cellAt(v.numel() == 1 ? 0 : e);
    }
  }
  return giveAll(call, {s});
}

namespace {

const Value& structArg(Values args, const char* fn) {
  if (!args[0].isStruct())
    raise(std::string(fn) + " works on structures; the argument is of class '" +
          className(args[0]) + "'.");
  return args[0];
}

}  // namespace

// The field names as a column cell of texts.
void fieldnames(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  const std::vector<std::string>& names = structArg(args, "fieldnames").fieldNames();
  Value r = Value::cell({names.size(), 1});
  for (std::size_t k = 0; k < names.size(); ++k)
    r.mutCellAt(k) = Value::str(std::string_view(names[k]));
  return giveAll(call, {r});
}

// isfield(s, name) for one name, or a logical array of the size of a cell
// of names; false for anything that is not a structure or not a text.
void isfield(Call& call) {
  const Values args = call.args();
  call.counts(2, 2);
  const Value& s = args[0];
  auto has = [&](const Value& name) {
    return s.isStruct() && name.isChar() && s.fieldIndex(name.utf8()) >= 0;
  };
  if (!args[1].isCell()) return giveAll(call, {Value::logicalScalar(has(args[1]))});
  Value r = Value::numeric(args[1].dims());
  for (std::size_t k = 0; k < r.numel(); ++k) r.mutRe()[k] = has(args[1].cellAt(k)) ? 1 : 0;
  r.setLogical(true);
  return giveAll(call, {r});
}

// rmfield(s, name) and rmfield(s, names): the structure without those
// fields; every name must be one of its fields.
void rmfield(Call& call) {
  const Values args = call.args();
  call.counts(2, 2);
  const Value& s = structArg(args, "rmfield");
  std::vector<std::string> drop;
  auto take = [&](const Value& name) {
    if (!name.isChar()) raise("The field names given to rmfield must be texts.");
    const std::string n = name.utf8();
    if (s.fieldIndex(n) < 0) raise("Reference to non-existent field '" + n + "'.");
    drop.push_back(n);
  };
  if (args[1].isCell()) {
    for (std::size_t k = 0; k < args[1].numel(); ++k) take(args[1].cellAt(k));
  } else {
    take(args[1]);
  }
  std::vector<std::string> keep;
  std::vector<std::size_t> from;
  const std::vector<std::string>& names = s.fieldNames();
  for (std::size_t f = 0; f < names.size(); ++f) {
    bool dropped = false;
    for (const std::string& d : drop) dropped = dropped || d == names[f];
    if (dropped) continue;
    keep.push_back(names[f]);
    from.push_back(f);
  }
  Value r = Value::structArray(s.dims(), keep);
  for (std::size_t e = 0; e < s.numel(); ++e)
    for (std::size_t f = 0; f < from.size(); ++f) r.mutFieldAt(e, f) = s.fieldAt(e, from[f]);
  return giveAll(call, {r});
}

namespace {

const bool kRegistered = [] {
  registerBuiltin("struct", structure);
  registerBuiltin("fieldnames", fieldnames);
  registerBuiltin("isfield", isfield);
  registerBuiltin("rmfield", rmfield);
  return true;
}();

}  // namespace
}  // namespace kh::builtin
