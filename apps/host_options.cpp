#include "apps/host_options.h"

#include <cstdlib>
#include <string>

namespace khost {

bool parseOptions(int argc, char** argv, Options* opts, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= argc) {
        *error = "option " + a + " needs a value";
        return false;
      }
      *into = argv[++i];
      return true;
    };
    if (a == "--library") {
      if (!value(&opts->library)) return false;
    } else if (a.rfind("--library=", 0) == 0) {
      opts->library = a.substr(10);
    } else if (a == "--eval" || a == "-e") {
      std::string text;
      if (!value(&text)) return false;
      opts->actions.push_back({Action::kEval, text});
    } else if (a == "--path") {
      std::string dir;
      if (!value(&dir)) return false;
      opts->paths.push_back(dir);
    } else if (a == "--record") {
      if (!value(&opts->record)) return false;
    } else if (a == "--review") {
      // The words up to the next option; a review is served.
      while (i + 1 < argc && argv[i + 1][0] != '-') opts->review.push_back(argv[++i]);
      if (opts->review.empty()) {
        *error = "--review needs folders or files of records";
        return false;
      }
      opts->serve = true;
    } else if (a == "--results") {
      if (!value(&opts->results)) return false;
    } else if (a == "--clicks") {
      if (!value(&opts->clicks)) return false;
    } else if (a == "--channel") {
      std::string n;
      if (!value(&n)) return false;
      char* end = nullptr;
      const long c = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || *end != 0 || c < 1 || c > 1024) {
        *error = "--channel needs a channel number from 1";
        return false;
      }
      opts->channel = static_cast<int>(c);
    } else if (a == "--serve") {
      opts->serve = true;
    } else if (a == "--port") {
      std::string n;
      if (!value(&n)) return false;
      char* end = nullptr;
      const long p = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || *end != 0 || p < 0 || p > 65535) {
        *error = "--port needs a number from 0 to 65535";
        return false;
      }
      opts->port = static_cast<int>(p);
    } else if (a == "--no-prompt") {
      opts->prompt = false;
    } else if (a == "--describe") {
      opts->describe = true;
    } else if (a == "--check-leaks") {
      opts->checkLeaks = true;
    } else if (a == "--estimate") {
      // Everything after it is the batch's own command line.
      opts->estimate = true;
      opts->estimateArgs.assign(argv + i + 1, argv + argc);
      break;
    } else if (a == "--help" || a == "-h") {
      opts->help = true;
    } else if (a.size() > 1 && a[0] == '-') {
      *error = "unknown option " + a;
      return false;
    } else {
      opts->actions.push_back({Action::kFile, a});
    }
  }
  if (opts->estimate && (opts->serve || opts->describe || opts->checkLeaks ||
                         !opts->actions.empty() || !opts->record.empty())) {
    *error = "--estimate takes no scripts, --eval, --serve, --describe, --check-leaks or --record";
    return false;
  }
  if ((!opts->results.empty() || !opts->clicks.empty() || opts->channel != 1) &&
      opts->review.empty()) {
    *error = "--results, --clicks and --channel go with --review (a batch run takes its own)";
    return false;
  }
  if (!opts->review.empty() && !opts->record.empty()) {
    *error = "--review and --record do not go together: the review opens its own records";
    return false;
  }
  if ((opts->port != 0 || !opts->prompt) && !opts->serve) {
    *error = "--port and --no-prompt go with --serve";
    return false;
  }
  return true;
}

std::string libraryPath(const Options& opts, const char* builtinDefault) {
  if (!opts.library.empty()) return opts.library;
  if (const char* env = std::getenv("KESTREL_LIBRARY"); env && *env) return env;
  return builtinDefault;
}

const char* usageText() {
  return "Usage: kestrel-host [options] [SCRIPT.m ...]\n"
         "       kestrel-host --serve [--port N] [--record FILE.mat] [--no-prompt] [SCRIPT.m]\n"
         "       kestrel-host --review PATH... [--results DIR] [--port N] [--no-prompt]\n"
         "       kestrel-host --estimate FILE.mat... --out DIR [options]   (see below)\n"
         "\n"
         "Loads an extension library and runs commands against it. Without --eval\n"
         "or scripts it opens an interactive prompt on standard input.\n"
         "\n"
         "Options:\n"
         "  --library PATH   the library to load (default: $KESTREL_LIBRARY, else the\n"
         "                   library built with this host)\n"
         "  --describe       print the library's descriptor: version, counts,\n"
         "                   functions, globals and init/term rows\n"
         "  --eval TEXT      run TEXT as commands (may be repeated)\n"
         "  --check-leaks    after unloading, report arrays still alive (exit status 3)\n"
         "  --path DIR       also look in DIR for data files and scripts (may be\n"
         "                   repeated; after the current folder and before the\n"
         "                   sample data that comes with the host)\n"
         "  --record FILE    the pulse editor's record \"ex_pulse\" means FILE\n"
         "  --serve          after the scripts and --eval texts, serve the open figures\n"
         "                   to a web page on this machine (the address is printed)\n"
         "                   and keep the prompt; errors in the scripts do not stop it\n"
         "  --port N         the port to serve on (default 0: any free port)\n"
         "  --review PATH... review many records in the pulse editor, served as with\n"
         "                   --serve: folders of record files (.mat, in name order)\n"
         "                   and single files; every change is saved at once, with\n"
         "                   its undo history, and the review resumes where it was\n"
         "                   and of recordings: a MAT file whose cl lists clicks, or\n"
         "                   a sound file (WAV, FLAC, ...) with NAME.clicks.csv\n"
         "                   beside it, give a record of 5000 samples per click\n"
         "  --results DIR    where the review saves (default: kestrel-results beside\n"
         "                   the first PATH); one review at a time per folder\n"
         "  --clicks FILE    the click list of the one sound file reviewed\n"
         "  --channel N      the channel of sound files used (default 1)\n"
         "  --no-prompt      serve without reading commands from standard input;\n"
         "                   stop with Ctrl-C or SIGTERM\n"
         "  --estimate ...   batch estimation of record files (see below)\n"
         "  --help           show this text\n"
         "\n"
         "Exit status: 0 success, 1 a command failed, 2 bad usage or the library\n"
         "could not be loaded, 3 arrays leaked.\n";
}

}  // namespace khost
