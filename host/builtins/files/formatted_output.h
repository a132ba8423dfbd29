// Formatted output: sprintf, fprintf, and the files fprintf writes to, which
// fopen opens and fclose closes. A file identifier is 1 for the command
// window, 2 for the error stream, and 3 and up for a file fopen opened; the
// files still open when the process ends are closed (and so flushed) then.
#pragma once

#include <string_view>

#include "host/builtins/call.h"

namespace kh::builtin {

// Writes text where identifier fid sends it. Raises "Invalid file
// identifier." for an identifier that names nothing open, and an error
// naming the file when the system refuses the write.
void writeToFile(double fid, std::string_view text);

// s = sprintf(format, values...), [s, errmsg] = sprintf(...)
void sprintf(Call& c);
// fprintf(format, values...), fprintf(fid, format, values...); with an
// output, the count of bytes written
void fprintf(Call& c);
// fid = fopen(name, permission, machinefmt), [fid, msg] = fopen(...),
// fopen('all'), [name, permission, machinefmt] = fopen(fid)
void fopen(Call& c);
void fclose(Call& c);  // fclose(fid), fclose('all')

}  // namespace kh::builtin
