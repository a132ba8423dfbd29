// Command-line options of kestrel-host.
#pragma once

#include <string>
#include <vector>

namespace khost {

struct Action {
  enum Kind { kEval, kFile } kind;
  std::string text;  // the text to run, or the script's path
};

struct Options {
  std::string library;  // empty: the environment or the built-in default
  bool describe = false;
  bool checkLeaks = false;
  bool help = false;
  std::vector<Action> actions;            // run in order; none means an interactive prompt
  std::vector<std::string> paths;         // --path: folders searched for data files and scripts
  std::string record;                     // --record: the file that "ex_pulse" means
  bool serve = false;                     // --serve: the figure window in a browser page
  int port = 0;                           // --port: the server's port (0: any free one)
  bool prompt = true;                     // --no-prompt: serve without reading commands
  std::vector<std::string> review;        // --review: folders and files of records to review
  std::string results;                    // --results: the review's results folder
  std::string clicks;                     // --clicks: the click list of a sound file reviewed
  int channel = 1;                        // --channel: the channel of sound files reviewed
  bool estimate = false;                  // --estimate: batch estimation of record files
  std::vector<std::string> estimateArgs;  // the words after --estimate
};

// Parses argv; on a bad command line returns false with the reason in *error.
bool parseOptions(int argc, char** argv, Options* opts, std::string* error);
// The library to load: --library, else $KESTREL_LIBRARY, else the default.
std::string libraryPath(const Options& opts, const char* builtinDefault);
const char* usageText();

}  // namespace khost
