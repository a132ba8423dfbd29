#include "host/shell/prompt/signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <stdexcept>

#include "host/core/interrupt.h"

namespace kh {
namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
int pipeFds[2] = {-1, -1};
struct sigaction saved[3];

void onSignal(int sig) {
  // Every one of them stops a running statement: Ctrl-C to get the prompt
  // back, SIGTERM and SIGHUP (the terminal is gone) to leave.
  requestInterrupt();
  const unsigned char s = static_cast<unsigned char>(sig);
  [[maybe_unused]] ssize_t n = write(pipeFds[1], &s, 1);
}

}  // namespace

SignalPipe::SignalPipe() {
  if (pipeFds[0] >= 0) throw std::logic_error("one signal pipe at a time");
  if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe failed");
  struct sigaction sa = {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  // No SA_RESTART: a wait in progress returns, and the loop looks at the pipe.
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &sa, &saved[i]);
}

SignalPipe::~SignalPipe() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved[i], nullptr);
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

int SignalPipe::fd() const { return pipeFds[0]; }

int SignalPipe::next() {
  unsigned char sig = 0;
  return read(pipeFds[0], &sig, 1) == 1 ? sig : 0;
}

}  // namespace kh
