// Cells to and from arrays as host built-ins: num2cell and cell2mat.
#include "host/builtins/arrays/cells.h"

#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/concat.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {
namespace {}  // namespace

// Each element of x in a cell of its own, the cell array of x's size.
void num2cell(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  const Value& x = args[0];
  if (x.isPlaceholder()) raise("Undefined value used in num2cell.");
  Value r = Value::cell(x.dims());
  for (std::size_t k = 0; k < x.numel(); ++k) r.mutCellAt(k) = elementAt(x, k);
  return giveAll(call, {r});
}

namespace {

// The numbers of rows and columns of the blocks must make a grid: every
// non-empty block of a row of the cell has that row's height, and every
// non-empty block of a column that column's width.
void checkGrid(const Value& c) {
  const std::size_t m = c.rows(), n = c.cols();
  auto check = [&](std::size_t count, std::size_t along, bool byRow) {
    for (std::size_t a = 0; a < count; ++a) {
      bool seen = false;
      std::size_t size = 0;
      for (std::size_t b = 0; b < along; ++b) {
        const Value& e = byRow ? c.cellAt(a + b * m) : c.cellAt(b + a * m);
        if (e.isEmpty()) continue;
        const std::size_t s = byRow ? e.dim(0) : e.dim(1);
        if (seen && s != size)
          raise("The blocks of cell2mat do not fit together: the cells of " +
                std::string(byRow ? "row " : "column ") + std::to_string(a + 1) +
                " hold different numbers of " + (byRow ? "rows." : "columns."));
        seen = true;
        size = s;
      }
    }
  };
  check(m, n, true);
  check(n, m, false);
}

}  // namespace

// The blocks of a two-dimensional cell of numbers, or of texts, joined into
// one array: each row of blocks side by side, the rows stacked.
void cell2mat(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  const Value& c = args[0];
  if (!c.isCell()) raise("The argument of cell2mat must be a cell.");
  if (c.isEmpty()) return giveAll(call, {Value::empty()});
  if (c.ndims() > 2) raise("cell2mat joins the blocks of two-dimensional cells only.");
  bool numbers = false, texts = false;
  for (std::size_t k = 0; k < c.numel(); ++k) {
    const Value& e = c.cellAt(k);
    if (e.isDouble()) {
      numbers = true;
    } else if (e.isChar()) {
      texts = true;
    } else {
      raise("cell2mat joins cells of numbers or of texts; cell " + std::to_string(k + 1) +
            " holds a value of class '" + className(e) + "'.");
    }
  }
  if (numbers && texts) raise("cell2mat joins cells that all hold numbers or all hold texts.");
  if (c.numel() == 1) return giveAll(call, {c.cellAt(0)});
  checkGrid(c);
  const std::size_t m = c.rows(), n = c.cols();
  ValueList rows;
  for (std::size_t i = 0; i < m; ++i) {
    ValueList blocks;
    for (std::size_t j = 0; j < n; ++j) blocks.push_back(c.cellAt(i + j * m));
    rows.push_back(horzcat(blocks));
  }
  return giveAll(call, {vertcat(rows)});
}

namespace {

const bool kRegistered = [] {
  registerBuiltin("num2cell", num2cell);
  registerBuiltin("cell2mat", cell2mat);
  return true;
}();

}  // namespace
}  // namespace kh::builtin
