// Stopping a running statement from outside it. Ctrl-C at the prompt asks
// for a stop from a signal handler; a statement budget (for a fuzzer or an
// unattended run) stops the work after that many statements. The command
// window's evaluator polls at every statement it starts, so a long loop
// stops within one statement; the stop is an ordinary error that unwinds
// to the nearest protected point and releases everything on the way.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kh {

inline constexpr const char* kInterrupted = "Interrupted.";
inline constexpr const char* kBudgetSpent = "Statement budget exhausted.";

namespace detail {
extern std::atomic<bool> g_interruptRequested;
extern std::uint64_t g_statementsLeft;  // 0: no budget
[[noreturn]] void stopForPoll();
}  // namespace detail

// Async-signal-safe: the next poll raises kInterrupted.
inline void requestInterrupt() noexcept {
  detail::g_interruptRequested.store(true, std::memory_order_relaxed);
}
// Forgets a request not yet seen (the prompt is back).
void clearInterrupt() noexcept;

// At most n more statements run before a poll raises kBudgetSpent; 0
// removes the budget.
void setStatementBudget(std::uint64_t n) noexcept;

// One statement starts: raises when a stop was asked for or the budget is
// spent.
inline void pollInterrupt() {
  if (detail::g_interruptRequested.load(std::memory_order_relaxed) ||
      (detail::g_statementsLeft != 0 && --detail::g_statementsLeft == 0))
    detail::stopForPoll();
}

// The i-th step of a long loop inside one statement (the display of a large
// array): polls every 256 steps, and each such poll counts against the
// budget as a statement does.
inline void pollEvery(std::size_t i) {
  if ((i & 255) == 255) pollInterrupt();
}

}  // namespace kh
