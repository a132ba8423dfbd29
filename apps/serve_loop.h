// The host's thread while the figure server runs: it waits on the prompt's
// input, the server's inbox and the stop signals at once, and runs each in
// turn, so the library and the host only ever run on this one thread. What
// a prompt line changes reaches the pages as soon as the line has run.
#pragma once

#include <string>

namespace kh {
class Shell;
}

namespace kh::server {

class ServiceAddOn;

struct ServeOptions {
  unsigned short port = 0;        // 0: any free port
  bool prompt = true;             // read command lines from standard input
  bool showPrompt = true;         // print ">> " (standard input is a terminal)
  std::string webDir;             // the page's files
  ServiceAddOn* addOn = nullptr;  // what a product adds to the page (outlives the server)
};

// Serves until `exit`/`quit` or the end of input at the prompt, or SIGTERM,
// SIGHUP (and SIGINT without a prompt; at the prompt Ctrl-C drops the line
// being typed). Prints the page's address as the first line on standard
// output. Returns false, with the reason printed, when the server cannot start.
bool serve(Shell& shell, const ServeOptions& options);

}  // namespace kh::server
