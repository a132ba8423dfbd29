#include "apps/serve_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "host/context/output.h"
#include "host/core/interrupt.h"
#include "host/server/access_check.h"
#include "host/server/figure_service.h"
#include "host/server/inbox.h"
#include "host/server/web_server.h"
#include "host/shell/prompt/signal_pipe.h"
#include "host/shell/prompt/terminal_prompt.h"
#include "host/shell/shell.h"

namespace kh::server {

bool serve(Shell& shell, const ServeOptions& options) {
  Inbox inbox;
  const std::string token = makeToken();
  WebServer server({options.port, token, options.webDir}, inbox);
  try {
    server.start();
  } catch (const std::exception& e) {
    emitError(std::string("kestrel-host: ") + e.what() + "\n");
    return false;
  }
  FigureService service(server, options.addOn);
  SignalPipe signals;
  emit("kestrel: open http://127.0.0.1:" + std::to_string(server.port()) + "/?token=" + token +
       "\n");

  service.flush();  // what the scripts before the server made is the first tree
  if (options.prompt && options.showPrompt) {
    // A person at a terminal: the line editor waits for the terminal, the
    // pages and the signals at once.
    bool stop = false;
    TerminalPrompt* current = nullptr;
    TerminalPrompt prompt(
        shell,
        [&]() -> LineEditor::Wake {
          for (;;) {
            if (stop) return LineEditor::Wake::Stop;
            pollfd fds[3] = {
                {inbox.wakeFd(), POLLIN, 0}, {signals.fd(), POLLIN, 0}, {0, POLLIN, 0}};
            if (poll(fds, 3, -1) < 0 && errno != EINTR) return LineEditor::Wake::Stop;
            bool interrupted = false;
            for (int sig; (sig = signals.next()) != 0;) {
              if (sig == SIGINT)
                interrupted = true;
              else
                stop = true;
            }
            if (stop) return LineEditor::Wake::Stop;
            if (interrupted) {
              clearInterrupt();
              return LineEditor::Wake::Interrupt;
            }
            if (fds[0].revents & POLLIN) {
              current->beforeOutput();
              for (Work& w : inbox.takeAll()) service.handle(w);
              service.takePrinted();
              takeSignalsAfterLine(signals, &stop);  // a Ctrl-C in a callback is spent
              if (current->afterOutput()) return LineEditor::Wake::Printed;
            }
            if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) return LineEditor::Wake::Input;
          }
        },
        [&] {
          service.flush();
          takeSignalsAfterLine(signals, &stop);
        });
    current = &prompt;
    prompt.run();
    service.flush();
    server.stop();
    return true;
  }

  // Without a terminal: lines are read as they come (a pipe, a file), without
  // a prompt, or not at all.
  const bool reading = options.prompt;
  bool stop = false;
  std::string typed;  // input read but not yet a whole line
  while (!stop) {
    pollfd fds[3] = {{inbox.wakeFd(), POLLIN, 0}, {signals.fd(), POLLIN, 0}, {0, POLLIN, 0}};
    if (poll(fds, reading ? 3 : 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    // A Ctrl-C stops a statement that runs; between statements it drops a
    // half-read block when lines are read, and stops the server otherwise,
    // as SIGTERM and SIGHUP do.
    auto takeSignals = [&](bool spent) {
      for (int sig; (sig = signals.next()) != 0;) {
        if (sig != SIGINT || !reading) {
          stop = true;
        } else if (!spent) {
          clearInterrupt();
          shell.dropPendingLines();
          typed.clear();
        }
      }
    };
    takeSignals(false);
    if (fds[0].revents & POLLIN) {
      for (Work& w : inbox.takeAll()) service.handle(w);
      service.takePrinted();
      takeSignals(true);
    }
    if (reading && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
      char buf[4096];
      const ssize_t n = read(0, buf, sizeof buf);
      if (n <= 0) {
        // The end of input leaves, as at the plain prompt.
        if (!typed.empty()) shell.feedLine(typed);
        service.flush();
        break;
      }
      typed.append(buf, static_cast<std::size_t>(n));
      for (std::size_t nl; (nl = typed.find('\n')) != std::string::npos;) {
        const std::string line = typed.substr(0, nl);
        typed.erase(0, nl + 1);
        shell.feedLine(line);
        service.flush();
        takeSignals(true);
        if (shell.exitRequested()) {
          stop = true;
          break;
        }
      }
    }
  }
  server.stop();
  return true;
}

}  // namespace kh::server
