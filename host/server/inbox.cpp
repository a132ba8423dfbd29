#include "host/server/inbox.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace kh::server {

MessagePeek peekMessage(const std::string& text) {
  MessagePeek p;
  const nlohmann::json m = nlohmann::json::parse(text, nullptr, false);
  if (!m.is_object()) return p;
  auto number = [&](const char* key) {
    auto it = m.find(key);
    return it != m.end() && it->is_number() && std::isfinite(it->get<double>()) ? it->get<double>()
                                                                                : 0.0;
  };
  p.id = number("id");
  auto t = m.find("type");
  p.motion = t != m.end() && t->is_string() && t->get<std::string>() == "motion";
  p.figure = number("figure");
  return p;
}

Inbox::Inbox() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (fd_ < 0) throw std::runtime_error("cannot make the server's wake-up descriptor");
}

Inbox::~Inbox() { close(fd_); }

void Inbox::push(Work w) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (w.kind == Work::Kind::Message && !q_.empty()) {
      Work& last = q_.back();
      if (last.kind == Work::Kind::Message && last.page == w.page) {
        const MessagePeek now = peekMessage(w.text);
        if (now.motion) {
          const MessagePeek before = peekMessage(last.text);
          if (before.motion && before.figure == now.figure) {
            w.replaced = std::move(last.replaced);
            w.replaced.push_back(before.id);
            last = std::move(w);
            return;  // the host's thread is already woken for `last`
          }
        }
      }
    }
    q_.push_back(std::move(w));
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
}

std::deque<Work> Inbox::takeAll() {
  std::uint64_t count;
  [[maybe_unused]] ssize_t n = read(fd_, &count, sizeof count);
  std::lock_guard<std::mutex> lock(mu_);
  return std::exchange(q_, {});
}

}  // namespace kh::server
