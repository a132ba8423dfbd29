// The figure server's sockets: HTTP for the page's files, exports and
// uploads, a WebSocket per open page for the tree and its events. All of it
// runs on one thread of its own that touches no host state: requests that
// need the host go to the inbox, and the host's thread sends its replies and
// messages back through send().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/server/inbox.h"

namespace kh::server {

struct ServerConfig {
  unsigned short port = 0;  // 0: any free port
  std::string token;
  std::string webDir;  // the page's files
  std::size_t maxUpload = 64u << 20;
  // At this many, a newcomer takes the place of the oldest connection that
  // has not shown the token yet, and is refused only when all have.
  std::size_t maxConnections = 128;
};

class WebServer {
 public:
  WebServer(ServerConfig config, Inbox& inbox);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Listens on 127.0.0.1 and starts the socket thread; raises a
  // std::runtime_error naming the reason when the port cannot be had.
  void start();
  unsigned short port() const;
  // Open connections, HTTP and pages together (any thread).
  std::size_t connectionCount() const;
  // Any thread: queues a text message to one page (dropped when it has gone).
  void send(std::uint64_t page, std::shared_ptr<const std::string> text);
  // The host's thread: stops taking connections and closes the pages;
  // requests still waiting in the inbox are answered 503 (the host is
  // stopping, nothing was done) and the rest of what it holds is dropped;
  // the replies under way get up to two seconds to be written, then every
  // connection is closed and the socket thread joined. An answer to a
  // request that the host gives later goes nowhere.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kh::server
