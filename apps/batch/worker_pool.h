// Tasks numbered 0 .. n-1 run in forked worker processes, one task at a time
// per worker, each handed out when a worker asks for more, so a slow task
// holds back only its own worker. The workers are copies of this process
// made after it is set up (the library loaded), one thread each. A worker
// that dies fails its task with the reason and is replaced. SIGINT, SIGTERM
// and SIGHUP stop the run: every worker is asked to end (SIGTERM), and one
// that holds stop signals off (see holdStopSignalsUntilReported) first
// finishes its task and reports it; the workers are waited for (and killed
// when they take too long) before the call returns.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kh {
class SignalPipe;
}

namespace khost::batch {

struct TaskOutcome {
  bool ok = true;
  std::string message;  // why it failed
  bool lost = false;    // its worker died before it reported (the pool sets this)
};

// In a worker, within a task: holds SIGINT, SIGTERM and SIGHUP off from now
// until the task's outcome has been sent, so that a stop by signal cannot
// come between what the task has done and its report.
void holdStopSignalsUntilReported();

struct PoolCallbacks {
  // Runs in a worker; must not throw. Stop signals are let through again
  // after its outcome is sent.
  std::function<TaskOutcome(std::size_t task)> run;
  // Run in this process as outcomes arrive, in the order they arrive.
  std::function<void(std::size_t task, const TaskOutcome&)> done;
  // Run in this process at least every tickMs while the workers work.
  std::function<void()> tick;
  int tickMs = 200;
};

// Runs every task in `jobs` workers (at most one per task). Returns 0 when
// every task got its outcome, or the number of the signal that came through
// `signals` and stopped the run; either way no worker is left.
int runInWorkers(std::size_t tasks, int jobs, const PoolCallbacks& callbacks,
                 kh::SignalPipe& signals);

}  // namespace khost::batch
