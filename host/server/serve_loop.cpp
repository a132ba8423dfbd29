#include "host/server/serve_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "host/context/output.h"
#include "host/server/access_check.h"
#include "host/server/figure_service.h"
#include "host/server/inbox.h"
#include "host/server/web_server.h"
#include "host/shell/shell.h"

namespace kh::server {
namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int sig) {
  const unsigned char s = static_cast<unsigned char>(sig);
  [[maybe_unused]] ssize_t n = write(signalPipe[1], &s, 1);
}

// Routes SIGINT, SIGTERM and SIGHUP into a pipe while it lives.
class SignalPipe {
 public:
  SignalPipe() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe failed");
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &sa, &saved_[i]);
  }
  ~SignalPipe() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved_[i], nullptr);
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
  }
  int fd() const { return signalPipe[0]; }

 private:
  static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction saved_[3];
};

}  // namespace

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
  FigureService service(server);
  SignalPipe signals;
  emit("kestrel: open http://127.0.0.1:" + std::to_string(server.port()) + "/?token=" + token +
       "\n");

  bool reading = options.prompt, fresh = true, stop = false;
  std::string typed;  // input read but not yet a whole line
  auto prompt = [&] {
    if (reading && options.showPrompt && fresh) emit(">> ");
  };
  service.flush();  // what the scripts before the server made is the first tree
  prompt();
  while (!stop) {
    pollfd fds[3] = {{inbox.wakeFd(), POLLIN, 0}, {signals.fd(), POLLIN, 0}, {0, POLLIN, 0}};
    if (poll(fds, reading ? 3 : 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents & POLLIN) {
      unsigned char sig = 0;
      while (read(signals.fd(), &sig, 1) == 1) {
        if (sig == SIGINT && reading) {
          shell.dropPendingLines();
          typed.clear();
          fresh = true;
          emit("\n");
          prompt();
        } else {
          stop = true;
        }
      }
    }
    if (fds[0].revents & POLLIN) {
      for (Work& w : inbox.takeAll()) service.handle(w);
      if (service.takePrinted()) prompt();
    }
    if (reading && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
      char buf[4096];
      const ssize_t n = read(0, buf, sizeof buf);
      if (n <= 0) {
        // The end of input (Ctrl-D) leaves, as at the plain prompt.
        if (!typed.empty()) shell.feedLine(typed);
        service.flush();
        if (options.showPrompt) emit("\n");
        break;
      }
      typed.append(buf, static_cast<std::size_t>(n));
      for (std::size_t nl; (nl = typed.find('\n')) != std::string::npos;) {
        const std::string line = typed.substr(0, nl);
        typed.erase(0, nl + 1);
        fresh = shell.feedLine(line);
        service.flush();
        if (shell.exitRequested()) {
          stop = true;
          break;
        }
      }
      prompt();
    }
  }
  server.stop();
  return true;
}

}  // namespace kh::server
