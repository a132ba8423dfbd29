#include "apps/batch/worker_pool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/shell/prompt/signal_pipe.h"

namespace khost::batch {
namespace {

constexpr std::uint64_t kNoTask = ~std::uint64_t{0};
// How long a stopped run waits for its workers to end before it kills them:
// a worker holds a stop off only while it puts a result in place.
constexpr auto kStopGrace = std::chrono::seconds(5);
// A reason longer than this is cut; it is one line of a report.
constexpr std::uint32_t kMaxMessage = 64 * 1024;

bool writeAll(int fd, const void* data, std::size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool readAll(int fd, void* data, std::size_t n) {
  char* p = static_cast<char*>(data);
  while (n > 0) {
    const ssize_t r = ::read(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

struct Worker {
  pid_t pid = -1;
  int taskFd = -1;    // this process writes task numbers
  int resultFd = -1;  // this process reads outcomes
  std::uint64_t task = kNoTask;
};

// The message a worker sends back: task number, success, reason.
bool sendOutcome(int fd, std::uint64_t task, const TaskOutcome& o) {
  const std::uint8_t ok = o.ok ? 1 : 0;
  const std::uint32_t len =
      static_cast<std::uint32_t>(std::min<std::size_t>(o.message.size(), kMaxMessage));
  std::string frame(sizeof task + sizeof ok + sizeof len, '\0');
  std::memcpy(frame.data(), &task, sizeof task);
  std::memcpy(frame.data() + sizeof task, &ok, sizeof ok);
  std::memcpy(frame.data() + sizeof task + sizeof ok, &len, sizeof len);
  frame.append(o.message, 0, len);
  return writeAll(fd, frame.data(), frame.size());
}

bool receiveOutcome(int fd, std::uint64_t* task, TaskOutcome* o) {
  std::uint8_t ok = 0;
  std::uint32_t len = 0;
  if (!readAll(fd, task, sizeof *task) || !readAll(fd, &ok, sizeof ok) ||
      !readAll(fd, &len, sizeof len) || len > kMaxMessage)
    return false;
  o->ok = ok != 0;
  o->message.assign(len, '\0');
  return len == 0 || readAll(fd, o->message.data(), len);
}

sigset_t stopSignals() {
  sigset_t s;
  sigemptyset(&s);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&s, sig);
  return s;
}

[[noreturn]] void workerLoop(int taskFd, int resultFd, const PoolCallbacks& cb) {
  const sigset_t stop = stopSignals();
  ::pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
  for (;;) {
    std::uint64_t task = 0;
    if (!readAll(taskFd, &task, sizeof task)) _exit(0);  // no more work
    const TaskOutcome o = cb.run(static_cast<std::size_t>(task));
    const bool sent = sendOutcome(resultFd, task, o);
    // A stop the task held off lands here, between tasks.
    ::pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
    if (!sent) _exit(1);
  }
}

// Why a worker that stopped without reporting its task did so (one that
// broke the protocol instead is ended first).
std::string deathReason(pid_t pid) {
  ::kill(pid, SIGKILL);  // nothing to a worker that is gone already
  int status = 0;
  pid_t r;
  do r = ::waitpid(pid, &status, 0);
  while (r < 0 && errno == EINTR);
  if (r < 0) return "its worker process vanished";
  if (WIFSIGNALED(status))
    return "its worker process was killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
           strsignal(WTERMSIG(status)) + ")";
  if (WIFEXITED(status))
    return "its worker process exited with status " + std::to_string(WEXITSTATUS(status));
  return "its worker process stopped";
}

class Pool {
 public:
  Pool(const PoolCallbacks& cb, kh::SignalPipe& signals) : cb_(cb), signals_(signals) {}
  ~Pool() { endAll(SIGKILL); }

  // A new worker in slot w; false when the system refuses one.
  bool spawn(Worker& w) {
    int task[2], result[2];
    if (::pipe2(task, O_CLOEXEC) != 0) {
      spawnError_ = errno;
      return false;
    }
    if (::pipe2(result, O_CLOEXEC) != 0) {
      spawnError_ = errno;
      ::close(task[0]);
      ::close(task[1]);
      return false;
    }
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
      spawnError_ = errno;
      for (int fd : {task[0], task[1], result[0], result[1]}) ::close(fd);
      return false;
    }
    if (pid == 0) {
      // Only this process stops the workers: a Ctrl-C at the terminal goes
      // to it alone, and a worker dies with it.
      ::setpgid(0, 0);
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) _exit(1);
      for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(sig, SIG_DFL);
      ::close(signals_.fd());
      for (const Worker& other : workers_)
        if (other.pid > 0) {
          ::close(other.taskFd);
          ::close(other.resultFd);
        }
      ::close(task[1]);
      ::close(result[0]);
      workerLoop(task[0], result[1], cb_);
    }
    ::setpgid(pid, pid);
    ::close(task[0]);
    ::close(result[1]);
    w = Worker{pid, task[1], result[0], kNoTask};
    return true;
  }

  void give(Worker& w, std::uint64_t task) {
    w.task = task;
    if (!writeAll(w.taskFd, &task, sizeof task)) {
      // The worker is gone already; its pipe reports the end.
      ::close(w.taskFd);
      w.taskFd = -1;
    }
  }

  // No more work for w: it exits when it reads the end of its pipe.
  void release(Worker& w) {
    if (w.taskFd >= 0) ::close(w.taskFd);
    w.taskFd = -1;
  }

  void reap(Worker& w) {
    if (w.taskFd >= 0) ::close(w.taskFd);
    ::close(w.resultFd);
    w = Worker{};
  }

  // Ends every worker with sig (0: lets them finish, their pipes closed)
  // and waits for it.
  void endAll(int sig) {
    for (Worker& w : workers_)
      if (w.pid > 0) {
        release(w);
        if (sig != 0) ::kill(w.pid, sig);
      }
    for (Worker& w : workers_)
      if (w.pid > 0) {
        int status;
        while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        reap(w);
      }
  }

  // Stops the run: every worker is asked to end (SIGTERM) and waited for,
  // until kStopGrace has passed or another stop signal comes; then those
  // left are killed. A worker that holds stop signals off ends its task
  // first, and its outcome goes to done like any other.
  void stopAll() {
    for (Worker& w : workers_)
      if (w.pid > 0) {
        release(w);
        ::kill(w.pid, SIGTERM);
      }
    const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
    for (;;) {
      std::vector<pollfd> fds{{signals_.fd(), POLLIN, 0}};
      std::vector<Worker*> polled;
      for (Worker& w : workers_)
        if (w.pid > 0) {
          fds.push_back({w.resultFd, POLLIN, 0});
          polled.push_back(&w);
        }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (polled.empty() || left <= 0) break;
      if (::poll(fds.data(), fds.size(), static_cast<int>(left)) < 0 && errno != EINTR) break;
      if (fds[0].revents & POLLIN) {
        while (signals_.next() != 0) {
        }
        break;  // asked again: no more waiting
      }
      for (std::size_t k = 0; k < polled.size(); ++k) {
        if (!(fds[k + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        Worker& w = *polled[k];
        if (takeOutcome(w)) continue;
        ::kill(w.pid, SIGKILL);  // ended already, or it broke the protocol
        int status;
        while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        reap(w);
      }
    }
    endAll(SIGKILL);
  }

  // Takes the outcome the worker sent for its task and reports it; false
  // when it sent none (it stopped, or broke the protocol).
  bool takeOutcome(Worker& w) {
    std::uint64_t task = 0;
    TaskOutcome o;
    if (!receiveOutcome(w.resultFd, &task, &o) || task != w.task) return false;
    w.task = kNoTask;
    cb_.done(static_cast<std::size_t>(task), o);
    return true;
  }

  int run(std::size_t tasks, int jobs) {
    workers_.assign(static_cast<std::size_t>(std::min<std::size_t>(jobs, tasks)), Worker{});
    std::uint64_t next = 0;
    std::size_t outstanding = tasks;
    auto fail = [&](std::uint64_t task, const std::string& why, bool lost = false) {
      cb_.done(static_cast<std::size_t>(task), TaskOutcome{false, why, lost});
      --outstanding;
    };
    auto feed = [&](Worker& w) {
      if (next < tasks)
        give(w, next++);
      else
        release(w);
    };
    for (Worker& w : workers_) {
      if (!spawn(w)) break;
      feed(w);
    }
    if (workers_.empty() || workers_[0].pid <= 0) {
      const std::string why =
          std::string("cannot start a worker process: ") + std::strerror(spawnError_);
      while (next < tasks) fail(next++, why);
      return 0;
    }
    while (outstanding > 0) {
      std::vector<pollfd> fds{{signals_.fd(), POLLIN, 0}};
      std::vector<Worker*> polled;
      for (Worker& w : workers_)
        if (w.pid > 0) {
          fds.push_back({w.resultFd, POLLIN, 0});
          polled.push_back(&w);
        }
      if (::poll(fds.data(), fds.size(), cb_.tickMs) < 0 && errno != EINTR) {
        // Nothing more can be waited for: what is left fails with the reason.
        const std::string why = std::string("cannot wait for the workers: ") + std::strerror(errno);
        std::vector<std::uint64_t> lost;
        for (Worker& w : workers_)
          if (w.pid > 0 && w.task != kNoTask) lost.push_back(w.task);
        endAll(SIGKILL);
        for (std::uint64_t task : lost) fail(task, why, true);
        while (next < tasks) fail(next++, why);
        return 0;
      }
      if (fds[0].revents & POLLIN)
        for (int sig; (sig = signals_.next()) != 0;) {
          stopAll();
          return sig;
        }
      for (std::size_t k = 0; k < polled.size(); ++k) {
        if (!(fds[k + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        Worker& w = *polled[k];
        if (takeOutcome(w)) {
          --outstanding;
          feed(w);
          continue;
        }
        // The worker stopped: its task fails, and a new worker takes over
        // when work is left.
        const std::uint64_t lost = w.task;
        const std::string why = deathReason(w.pid);
        reap(w);
        if (lost != kNoTask) fail(lost, why, true);
        if (next < tasks) {
          if (spawn(w))
            feed(w);
          else if (std::none_of(workers_.begin(), workers_.end(),
                                [](const Worker& x) { return x.pid > 0; }))
            while (next < tasks)
              fail(next++,
                   std::string("cannot start a worker process: ") + std::strerror(spawnError_));
        }
      }
      cb_.tick();
    }
    endAll(0);  // every one has its pipe closed and exits
    return 0;
  }

 private:
  const PoolCallbacks& cb_;
  kh::SignalPipe& signals_;
  int spawnError_ = 0;
  std::vector<Worker> workers_;
};

}  // namespace

void holdStopSignalsUntilReported() {
  const sigset_t stop = stopSignals();
  ::pthread_sigmask(SIG_BLOCK, &stop, nullptr);
}

int runInWorkers(std::size_t tasks, int jobs, const PoolCallbacks& callbacks,
                 kh::SignalPipe& signals) {
  if (tasks == 0) return 0;
  // A worker that dies just as it is handed a task must not take this
  // process with it: the write fails instead, and its pipe reports the end.
  struct sigaction ignore = {}, saved = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, &saved);
  int stoppedBy = 0;
  {
    Pool pool(callbacks, signals);
    stoppedBy = pool.run(tasks, jobs);
  }
  ::sigaction(SIGPIPE, &saved, nullptr);
  return stoppedBy;
}

}  // namespace khost::batch
