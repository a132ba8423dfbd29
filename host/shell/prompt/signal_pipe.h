// The signals a waiting prompt answers (SIGINT, SIGTERM, SIGHUP), routed into
// a pipe that the prompt's loop polls beside its other inputs. Each also
// asks the running statement, if any, to stop at its next poll: Ctrl-C ends
// a long loop as well as a half-typed line, and a closed terminal or a
// SIGTERM ends the session even in the middle of a loop.
#pragma once

namespace kh {

class SignalPipe {
 public:
  SignalPipe();  // installs the handlers; the previous ones come back at destruction
  ~SignalPipe();
  SignalPipe(const SignalPipe&) = delete;
  SignalPipe& operator=(const SignalPipe&) = delete;

  int fd() const;  // readable when a signal came
  // The signals that came since the last call, in order (0 when none left).
  int next();
};

}  // namespace kh
