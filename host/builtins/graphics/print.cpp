// The export commands of the command window:
//   print(h, '-dsvg', 'file.svg'), print -dpng file.png -r150 -f2
//   saveas(h, 'file.pdf'), saveas(h, 'file', 'png')
// print options: -dsvg, -dpng, -dpdf (the format; without one the file's
// extension decides, and with one a new name without extension gets it), -rN
// (dots per inch for a PNG, default 96 so that the image has the figure's
// pixel size; -r0 means the screen's 96), -fN or a leading handle (the
// figure; default the current one).
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/builtins/arguments.h"
#include "host/builtins/graphics/graphics.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/graphics/commands.h"
#include "host/graphics/render/export.h"
#include "host/graphics/tree.h"

namespace kh::builtin {
namespace {

using namespace gfx;
using namespace gfx::render;

constexpr double kDefaultDpi = 96;

Object* figureOfHandle(double h, const char* command) {
  Object* o = tree().require(h);
  if (o->type != Type::Figure) raise(std::string(command) + " takes a figure handle.");
  return o;
}

Object* figureArg(const Value& v, const char* command) {
  if (!v.isDouble() || v.numel() != 1 || v.isComplex())
    raise(std::string(command) + " takes a figure handle.");
  return figureOfHandle(v.at(0), command);
}

std::string textArg(const Value& v, const char* command) {
  if (!v.isChar() || v.rows() > 1) raise(std::string(command) + " takes its options as texts.");
  return v.utf8();
}

// The format the file's extension names; false when it names none.
bool formatOfFile(const std::string& file, Format* out) {
  std::string ext = std::filesystem::path(file).extension().string();
  return ext.size() > 1 && formatFromName(ext.substr(1), out);
}

// The name a file is written under when the format is given: a name
// without extension gets the format's, unless it already names a file
// (such as /dev/stdout) rather than a folder.
std::string withExtension(const std::string& file, Format fmt) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(file, ec);
  if (!fs::path(file).extension().empty() || (fs::exists(st) && !fs::is_directory(st))) return file;
  return file + "." + formatName(fmt);
}

// The format a file name gives, or the error that says how to choose one.
Format formatFor(const std::string& file) {
  Format f;
  if (!formatOfFile(file, &f))
    raise("Cannot tell the format of '" + file +
          "': end the name in .svg, .png or .pdf, or give the format.");
  return f;
}

// A positive number: all of s.
bool number(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

Object* currentOrError() {
  Object* fig = currentFigure(false);
  if (!fig) raise("There is no figure to export.");
  return fig;
}

void printFigure(Values args) {
  Object* fig = nullptr;
  std::string file;
  bool haveFormat = false;
  Format fmt = Format::Png;
  double dpi = kDefaultDpi;
  std::size_t k = 0;
  if (!args.empty() && !args[0].isChar()) {
    fig = figureArg(args[0], "print");
    k = 1;
  }
  for (; k < args.size(); ++k) {
    const std::string a = textArg(args[k], "print");
    if (a.size() >= 2 && a[0] == '-') {
      const std::string rest = a.substr(2);
      switch (a[1]) {
        case 'd':
          if (!formatFromName(rest, &fmt))
            raise("Unknown print format '" + a + "': use -dsvg, -dpng or -dpdf.");
          haveFormat = true;
          continue;
        case 'r': {
          double r = 0;
          if (!number(rest, &r) || r < 0)
            raise("Invalid resolution '" + a + "': give dots per inch, such as -r150.");
          dpi = r == 0 ? kDefaultDpi : r;
          continue;
        }
        case 'f': {
          double h = 0;
          if (!number(rest, &h)) raise("Invalid figure option '" + a + "': give -f and a handle.");
          fig = figureOfHandle(h, "print");
          continue;
        }
        default:
          break;
      }
    }
    if (!a.empty() && a[0] == '-') raise("Unknown print option '" + a + "'.");
    if (!file.empty()) raise("print takes one file name; '" + a + "' is a second one.");
    file = a;
  }
  if (file.empty()) raise("print needs a file name, such as print -dpng figure.png.");
  if (!fig) fig = currentOrError();
  if (haveFormat)
    file = withExtension(file, fmt);
  else
    fmt = formatFor(file);
  exportFigure(fig, file, fmt, dpi);
}

void saveFigure(Values args) {
  Object* fig = figureArg(args[0], "saveas");
  std::string file = textArg(args[1], "saveas");
  if (file.empty()) raise("saveas needs a file name.");
  Format fmt;
  if (args.size() > 2) {
    const std::string name = textArg(args[2], "saveas");
    if (!formatFromName(name, &fmt))
      raise("Unknown format '" + name + "' for saveas: use 'svg', 'png' or 'pdf'.");
    file = withExtension(file, fmt);
  } else {
    fmt = formatFor(file);
  }
  exportFigure(fig, file, fmt, kDefaultDpi);
}

}  // namespace

void print(Call& c) {
  c.counts(0, 64, 0);
  printFigure(inputsFrom(c));
}

void saveas(Call& c) {
  c.counts(2, 3, 0);
  saveFigure(inputsFrom(c));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("print", print);
  registerBuiltin("saveas", saveas);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
