// Texts: joining, replacing, splitting and trimming (strcat, strrep,
// strsplit, strtrim), case (lower, upper), character arrays (char,
// deblank), search (strmatch), and numbers read from and written as text
// (sscanf, str2double, mat2str), read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void strcat(Call& c);    // strcat(a, b, ...) of texts or cells of texts
void strrep(Call& c);    // strrep(s, from, to)
void strsplit(Call& c);  // [parts, matches] = strsplit(s, delimiters, options)
void strtrim(Call& c);   // strtrim(s)
void lower(Call& c);     // lower(s)
void upper(Call& c);     // upper(s)
// char(a, b, ...): the texts as the rows of one character array; char()
// is the 0-by-0 text.
void chars(Call& c);
void deblank(Call& c);   // deblank(s)
void strmatch(Call& c);  // strmatch(str, strs), strmatch(str, strs, 'exact')
// [values, count, errmsg, next] = sscanf(s, format, size)
void sscanf(Call& c);
void str2double(Call& c);  // str2double(s)
void mat2str(Call& c);     // mat2str(x), mat2str(x, n)

}  // namespace kh::builtin
