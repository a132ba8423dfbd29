// The cell and structure built-ins through the command window: num2cell,
// cell2mat, struct, fieldnames, isfield and rmfield.
#include "tests/shell/statement_cases.h"

namespace {

using kt::StatementCase;

class CellBuiltins : public ::testing::TestWithParam<StatementCase> {};

TEST_P(CellBuiltins, Give) { kt::checkStatementCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Cells, CellBuiltins,
    ::testing::Values(
        StatementCase{"num2cell", "c = num2cell([1 2; 3 4]);", {{"c", "{1 2; 3 4}"}}},
        StatementCase{"num2cell_text", "c = num2cell('ab');", {{"c", "{'a', 'b'}"}}},
        StatementCase{"num2cell_empty", "c = num2cell(zeros(0, 3));", {{"c", "cell(0, 3)"}}},
        StatementCase{"num2cell_cell", "c = num2cell({1, 'a'});", {{"c", "{{1}, {'a'}}"}}},
        StatementCase{"num2cell_logical", "c = num2cell([true false]);", {{"c", "{true, false}"}}},
        StatementCase{
            "cell2mat_blocks", "m = cell2mat({[1 2], 3; [4 5], 6});", {{"m", "[1 2 3; 4 5 6]"}}},
        StatementCase{"cell2mat_columns", "m = cell2mat({[1; 2], [3; 4]});", {{"m", "[1 3; 2 4]"}}},
        StatementCase{
            "cell2mat_stacked", "m = cell2mat({[1 2]; [3 4; 5 6]});", {{"m", "[1 2; 3 4; 5 6]"}}},
        StatementCase{"cell2mat_texts", "m = cell2mat({'ab', 'c'});", {{"m", "'abc'"}}},
        StatementCase{"cell2mat_one", "m = cell2mat({[1 2; 3 4]});", {{"m", "[1 2; 3 4]"}}},
        StatementCase{"cell2mat_empty", "m = cell2mat({});", {{"m", "[]"}}},
        StatementCase{"cell2mat_skips_empty", "m = cell2mat({[], [1 2]});", {{"m", "[1 2]"}}},
        StatementCase{"cell2mat_logical", "m = cell2mat({true, false});", {{"m", "[true false]"}}},
        StatementCase{"cell2mat_widths",
                      "m = cell2mat({[1 2], 3; 4, [5 6]});",
                      {{"",
                        "The blocks of cell2mat do not fit together: the cells of column 1 "
                        "hold different numbers of columns."}}},
        StatementCase{"cell2mat_heights",
                      "m = cell2mat({[1; 2], 3});",
                      {{"",
                        "The blocks of cell2mat do not fit together: the cells of row 1 hold "
                        "different numbers of rows."}}},
        StatementCase{"cell2mat_mixed",
                      "m = cell2mat({1, 'a'});",
                      {{"", "cell2mat joins cells that all hold numbers or all hold texts."}}},
        StatementCase{"cell2mat_nested",
                      "m = cell2mat({1, {2}});",
                      {{"",
                        "cell2mat joins cells of numbers or of texts; cell 2 holds a value of "
                        "class 'cell'."}}},
        StatementCase{"cell2mat_not_cell",
                      "m = cell2mat(5);",
                      {{"", "The argument of cell2mat must be a cell."}}},
        StatementCase{"cell2mat_nd",
                      "m = cell2mat(cell(1, 2, 2));",
                      {{"", "cell2mat joins the blocks of two-dimensional cells only."}}}),
    kt::caseName);

INSTANTIATE_TEST_SUITE_P(
    Structures, CellBuiltins,
    ::testing::Values(
        StatementCase{"struct_array",
                      "s = struct('a', 1, 'b', {10, 20}); n = size(s); a2 = s(2).a; b2 = s(2).b;",
                      {{"n", "[1 2]"}, {"a2", "1"}, {"b2", "20"}}},
        StatementCase{"struct_column", "n = size(struct('a', {1; 2; 3}));", {{"n", "[3 1]"}}},
        StatementCase{"struct_cell_value",
                      "s = struct('a', {{1, 2}}); c = s.a; n = size(s);",
                      {{"c", "{1, 2}"}, {"n", "[1 1]"}}},
        StatementCase{"struct_empty_array",
                      "s = struct('a', {}); n = size(s); f = fieldnames(s);",
                      {{"n", "[0 0]"}, {"f", "{'a'}"}}},
        StatementCase{"struct_no_fields",
                      "s = struct(); n = size(s); f = fieldnames(s);",
                      {{"n", "[1 1]"}, {"f", "cell(0, 1)"}}},
        StatementCase{"struct_of_struct", "s = struct(struct('a', 5)); a = s.a;", {{"a", "5"}}},
        StatementCase{"struct_pairs",
                      "s = struct('a');",
                      {{"", "Field and value input arguments must come in pairs."}}},
        StatementCase{
            "struct_bad_name", "s = struct('1a', 2);", {{"", "Invalid field name '1a'."}}},
        StatementCase{"struct_empty_name", "s = struct('', 2);", {{"", "Invalid field name ''."}}},
        StatementCase{
            "struct_duplicate", "s = struct('a', 1, 'a', 2);", {{"", "Duplicate field name 'a'."}}},
        StatementCase{"struct_sizes",
                      "s = struct('a', {1, 2}, 'b', {1, 2, 3});",
                      {{"",
                        "The cell values of struct must all be of one size (or hold one "
                        "value)."}}},
        StatementCase{"fieldnames_in_order",
                      "f = fieldnames(struct('b', 1, 'a', 2));",
                      {{"f", "{'b'; 'a'}"}}},
        StatementCase{"fieldnames_not_struct",
                      "f = fieldnames(5);",
                      {{"", "fieldnames works on structures; the argument is of class 'double'."}}},
        StatementCase{
            "isfield",
            "s = struct('a', 1); t = isfield(s, 'a'); u = isfield(s, {'a', 'b'; 'c', 'a'}); "
            "v = isfield(5, 'a'); w = isfield(s, 5); x = isfield(s, {'a', 5});",
            {{"t", "true"},
             {"u", "[true false; false true]"},
             {"v", "false"},
             {"w", "false"},
             {"x", "[true false]"}}},
        StatementCase{"rmfield",
                      "s = rmfield(struct('a', 1, 'b', 2, 'c', 3), {'a', 'c'}); f = fieldnames(s); "
                      "b = s.b;",
                      {{"f", "{'b'}"}, {"b", "2"}}},
        StatementCase{"rmfield_array",
                      "s = rmfield(struct('a', {1, 2}, 'b', 3), 'a'); n = size(s); b = s(2).b; "
                      "f = fieldnames(s);",
                      {{"n", "[1 2]"}, {"b", "3"}, {"f", "{'b'}"}}},
        StatementCase{"rmfield_missing",
                      "s = rmfield(struct('a', 1), {'a', 'zz'});",
                      {{"", "Reference to non-existent field 'zz'."}}},
        StatementCase{"rmfield_not_struct",
                      "s = rmfield(5, 'a');",
                      {{"", "rmfield works on structures; the argument is of class 'double'."}}}),
    kt::caseName);

}  // namespace
