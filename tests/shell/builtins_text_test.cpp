// The text built-ins through the command window: strcat, strrep, strsplit,
// strtrim, upper and lower, str2double and mat2str (also read back by the
// command window itself).
#include "tests/shell/statement_cases.h"

namespace {

using kt::StatementCase;

class TextBuiltins : public ::testing::TestWithParam<StatementCase> {};

TEST_P(TextBuiltins, Give) { kt::checkStatementCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Editing, TextBuiltins,
    ::testing::Values(
        StatementCase{
            "strcat_drops_trailing_blanks", "s = strcat('a ', 'b  ', ' c');", {{"s", "'ab c'"}}},
        StatementCase{"strcat_trailing_tabs_and_newlines",
                      "s = strcat(sprintf('a\\t\\n'), 'b');",
                      {{"s", "'ab'"}}},
        StatementCase{"strcat_empty_parts", "s = strcat('', 'a', []);", {{"s", "'a'"}}},
        StatementCase{"strcat_rows", "s = strcat(['a ';'bb'], 'c');", {{"s", "['a c'; 'bbc']"}}},
        StatementCase{"strcat_cell_keeps_blanks", "s = strcat({'a '}, 'b ');", {{"s", "{'a b '}"}}},
        StatementCase{"strcat_cells_elementwise",
                      "s = strcat({'x', 'y'}, '_', {'1', '2'});",
                      {{"s", "{'x_1', 'y_2'}"}}},
        StatementCase{"strcat_cell_sizes",
                      "s = strcat({'a', 'b'}, {'c', 'd', 'e'});",
                      {{"", "The cells given to strcat must be of one size (or hold one text)."}}},
        StatementCase{"strcat_number",
                      "s = strcat('a', 1);",
                      {{"",
                        "strcat joins texts and cells of texts; an argument is of class "
                        "'double'."}}},
        StatementCase{"strcat_row_counts",
                      "s = strcat(['a';'b'], ['a';'b';'c']);",
                      {{"", "The texts given to strcat must have the same number of rows."}}},
        StatementCase{"strrep", "s = strrep('hello world', 'o', '0');", {{"s", "'hell0 w0rld'"}}},
        StatementCase{"strrep_overlapping",
                      "s = strrep('abc 2 def 22 ghi 222 jkl 2222', '22', '*');",
                      {{"s", "'abc 2 def * ghi ** jkl ***'"}}},
        StatementCase{
            "strrep_cell", "s = strrep({'aa', 'ba'}, 'a', 'x');", {{"s", "{'xx', 'bx'}"}}},
        StatementCase{"strrep_empty_pattern", "s = strrep('abc', '', 'x');", {{"s", "'abc'"}}},
        StatementCase{"strrep_to_nothing", "s = strrep('abc', 'abc', '');", {{"s", "''"}}},
        StatementCase{"strsplit_white_space",
                      "c = strsplit(sprintf('a b \\t c'));",
                      {{"c", "{'a', 'b', 'c'}"}}},
        StatementCase{"strsplit_ends", "c = strsplit(' a ');", {{"c", "{'', 'a', ''}"}}},
        StatementCase{
            "strsplit_collapses", "c = strsplit('a,b,,c', ',');", {{"c", "{'a', 'b', 'c'}"}}},
        StatementCase{"strsplit_no_collapse",
                      "c = strsplit('a,b,,c', ',', 'CollapseDelimiters', false);",
                      {{"c", "{'a', 'b', '', 'c'}"}}},
        StatementCase{
            "strsplit_several", "c = strsplit('a-b_c', {'-', '_'});", {{"c", "{'a', 'b', 'c'}"}}},
        StatementCase{"strsplit_longest_first",
                      "[c, m] = strsplit('a::b:c', {':', '::'}, 'CollapseDelimiters', false);",
                      {{"c", "{'a', 'b', 'c'}"}, {"m", "{'::', ':'}"}}},
        StatementCase{"strsplit_escaped_delimiter",
                      "c = strsplit(sprintf('a\\tb'), '\\t');",
                      {{"c", "{'a', 'b'}"}}},
        StatementCase{"strsplit_empty", "c = strsplit('');", {{"c", "{''}"}}},
        StatementCase{"strsplit_matrix",
                      "c = strsplit(['ab';'cd']);",
                      {{"", "The text of strsplit must be a text of one row."}}},
        StatementCase{"strtrim", "s = strtrim(sprintf(' \\t a b \\n'));", {{"s", "'a b'"}}},
        StatementCase{
            "strtrim_cell", "s = strtrim({' a', 'b  '; '', 'c'});", {{"s", "{'a', 'b'; '', 'c'}"}}},
        StatementCase{"strtrim_all_blank", "s = strtrim('   ');", {{"s", "char(zeros(1, 0))"}}},
        StatementCase{"strtrim_matrix", "s = strtrim([' a ';'  b']);", {{"s", "['a '; ' b']"}}},
        StatementCase{"strtrim_cell_of_number",
                      "s = strtrim({'a', 1});",
                      {{"", "strtrim works on texts and cells of texts."}}},
        StatementCase{"upper_lower",
                      "a = upper('abC1'); b = lower('ABc'); c = upper({'a', 'B'}); d = upper(5);",
                      {{"a", "'ABC1'"}, {"b", "'abc'"}, {"c", "{'A', 'B'}"}, {"d", "5"}}}),
    kt::caseName);

INSTANTIATE_TEST_SUITE_P(
    Numbers, TextBuiltins,
    ::testing::Values(
        StatementCase{"str2double_forms",
                      "x = [str2double('3.25') str2double(' -1.5e3 ') str2double('+2') "
                      "str2double('.5') str2double('5.') str2double('1d2') str2double('1,000.5') "
                      "str2double('1E-2')];",
                      {{"x", "[3.25 -1500 2 0.5 5 100 1000.5 0.01]"}}},
        StatementCase{"str2double_special",
                      "x = [str2double('Inf') str2double('-inf') str2double('NaN') "
                      "str2double('nan') str2double('+INF')];",
                      {{"x", "[Inf -Inf NaN NaN Inf]"}}},
        StatementCase{"str2double_not_numbers",
                      "x = [str2double('abc') str2double('1 2') str2double('') str2double('1e') "
                      "str2double('0x10') str2double('--1') str2double(',5') str2double('1..2') "
                      "str2double('.') str2double('e5') str2double('1+') str2double('1i2')];",
                      {{"x", "NaN(1, 12)"}}},
        StatementCase{"str2double_complex",
                      "x = [str2double('1+2i') str2double('3 - 4j') str2double('-2.5i') "
                      "str2double('i') str2double('1e1+1e1i') str2double('-1-i')];",
                      {{"x", "[1+2i, 3-4i, -2.5i, 1i, 10+10i, -1-1i]"}}},
        StatementCase{"str2double_cell",
                      "x = str2double({'1', 'x'; '2.5', 7});",
                      {{"x", "[1 NaN; 2.5 NaN]"}}},
        StatementCase{"str2double_rows", "x = str2double(['12';'3x']);", {{"x", "[12; NaN]"}}},
        StatementCase{"str2double_number", "x = str2double(5);", {{"x", "NaN"}}},
        StatementCase{"mat2str_matrix", "s = mat2str([1 2; 3 4]);", {{"s", "'[1 2;3 4]'"}}},
        StatementCase{"mat2str_column", "s = mat2str([1; 2]);", {{"s", "'[1;2]'"}}},
        StatementCase{"mat2str_digits",
                      "a = mat2str(pi); b = mat2str(pi, 4); c = mat2str(0.1);",
                      {{"a", "'3.14159265358979'"}, {"b", "'3.142'"}, {"c", "'0.1'"}}},
        StatementCase{"mat2str_logical",
                      "s = mat2str([true false; false true]); t = mat2str(true);",
                      {{"s", "'[true false;false true]'"}, {"t", "'true'"}}},
        StatementCase{"mat2str_text",
                      "s = mat2str('it''s'); t = mat2str(['ab';'cd']);",
                      {{"s", "'''it''''s'''"}, {"t", "'[''ab'';''cd'']'"}}},
        StatementCase{
            "mat2str_complex", "s = mat2str([1+2i, 3-4i, -1i]);", {{"s", "'[1+2i 3-4i 0-1i]'"}}},
        StatementCase{"mat2str_special",
                      "s = mat2str([Inf -Inf NaN -0 1e20]);",
                      {{"s", "'[Inf -Inf NaN 0 1e+20]'"}}},
        StatementCase{"mat2str_empty",
                      "a = mat2str([]); b = mat2str(zeros(0, 3)); c = mat2str('');",
                      {{"a", "'[]'"}, {"b", "'zeros(0,3)'"}, {"c", "''''''"}}}),
    kt::caseName);

// What mat2str writes, read back by the command window, is the value again:
// exactly with 17 digits.
TEST(TextBuiltinsRoundTrip, Mat2strReadsBack) {
  for (const char* x : {"[0.1 1/3 -2e-300 1e300 pi]", "[1+1/3i; -Inf; NaN]", "[true false]",
                        "['a''b'; 'c d']", "-7", "zeros(0, 2)"}) {
    kh::Shell sh;
    ASSERT_TRUE(kt::runIn(sh, std::string("x = ") + x + "; t = mat2str(x, 17);").ok) << x;
    const std::string text = sh.workspace().get("t")->utf8();
    const kt::Ran r = kt::runIn(sh, "y = " + text + ";");
    ASSERT_TRUE(r.ok) << text << ": " << r.err;
    // (mat2str of a logical array reads back as logical, of a text as text.)
    EXPECT_EQ(kt::valueDifference(*sh.workspace().get("x"), *sh.workspace().get("y")), "")
        << x << " -> " << text;
  }
}

}  // namespace
