// The hand-over between the server's socket thread and the host's thread.
// The socket thread only reads, parses requests and queues work here; the
// host's thread takes it in order and does everything that touches host
// state. A motion queued behind another motion of the same page replaces
// it: however slow the host, no backlog of pointer positions forms.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kh::server {

struct HttpRequest {
  std::string method;  // "GET", "POST"
  std::string path;    // without the query
  std::map<std::string, std::string> query;
  std::string body;
};

struct HttpReply {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  std::string fileName;  // non-empty: sent as an attachment of that name
};

// A request only the host's thread can answer; reply may be called from
// any thread, once. Called after the server has stopped, it does nothing.
struct HttpJob {
  HttpRequest request;
  std::function<void(HttpReply)> reply;
};

struct Work {
  enum class Kind { Opened, Message, Closed, Request } kind = Kind::Message;
  std::uint64_t page = 0;        // the page's connection
  std::string text;              // a message
  std::vector<double> replaced;  // ids of the motions this message replaced
  std::shared_ptr<HttpJob> job;
};

// The message's "id" and whether it is a pointer motion, read without
// checking anything else (the host's thread checks the whole message).
struct MessagePeek {
  double id = 0;
  bool motion = false;
  double figure = 0;
};
MessagePeek peekMessage(const std::string& text);

class Inbox {
 public:
  Inbox();
  ~Inbox();
  Inbox(const Inbox&) = delete;
  Inbox& operator=(const Inbox&) = delete;

  // Any thread: queues the work and wakes the host's thread.
  void push(Work w);
  // The host's thread: everything queued, in order.
  std::deque<Work> takeAll();
  // Readable while work is queued (an eventfd to poll).
  int wakeFd() const { return fd_; }

 private:
  std::mutex mu_;
  std::deque<Work> q_;
  int fd_ = -1;
};

}  // namespace kh::server
