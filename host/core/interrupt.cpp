#include "host/core/interrupt.h"

#include "host/core/errors.h"

namespace kh {
namespace detail {

std::atomic<bool> g_interruptRequested{false};
std::uint64_t g_statementsLeft = 0;

void stopForPoll() {
  if (g_interruptRequested.exchange(false, std::memory_order_relaxed)) raise(kInterrupted);
  // The budget stays spent: every later statement stops too, until it is set again.
  g_statementsLeft = 1;
  raise(kBudgetSpent);
}

}  // namespace detail

void clearInterrupt() noexcept {
  detail::g_interruptRequested.store(false, std::memory_order_relaxed);
}

// Kept one above the statements left: the poll that takes it to zero stops.
void setStatementBudget(std::uint64_t n) noexcept { detail::g_statementsLeft = n == 0 ? 0 : n + 1; }

}  // namespace kh
