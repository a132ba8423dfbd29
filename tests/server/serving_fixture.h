// A figure server on a free port of 127.0.0.1 with its host side pumped by
// the test's thread, and a page's WebSocket that a test drives from another.
#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "editor/page_addon.h"
#include "host/server/access_check.h"
#include "host/server/beast.h"
#include "host/server/figure_service.h"
#include "host/server/inbox.h"
#include "host/server/web_server.h"
#include "tests/graphics/figure_fixture.h"

namespace kt {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = boost::asio::ip::tcp;
using nlohmann::json;

// A raw connection to the server on 127.0.0.1 (-1 when refused).
inline int rawConnect(unsigned short port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

inline bool sendAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// What a client reads until the server ends the connection. `guard` only
// keeps a failing test from hanging: a read that waits that long stops,
// and `closed` stays false.
struct ReadToEnd {
  std::string text;
  bool closed = false;
};
inline ReadToEnd readToEnd(int fd, std::chrono::seconds guard) {
  const timeval tv{static_cast<time_t>(guard.count()), 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ReadToEnd r;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) != 0;) {
    if (n < 0) return r;
    r.text.append(buf, static_cast<std::size_t>(n));
  }
  r.closed = true;
  return r;
}

// A page's WebSocket, let in with the token, its first two messages (the
// tree and the editor's state) read.
class PageSocket {
 public:
  PageSocket(unsigned short port, const std::string& token) : ws_(ioc_) {
    ws_.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), port});
    ws_.handshake("127.0.0.1:" + std::to_string(port), "/ws?token=" + token);
    read();
    read();
  }
  json read() {
    beast::flat_buffer b;
    ws_.read(b);
    return json::parse(beast::buffers_to_string(b.data()));
  }
  void send(const json& m) { ws_.write(boost::asio::buffer(m.dump())); }
  // Sends m (with this id) and reads up to its acknowledgement.
  json call(json m, double id) {
    m["id"] = id;
    send(m);
    for (;;) {
      json r = read();
      if (r["type"] == "ack" && r["id"] == id) return r;
    }
  }
  websocket::stream<tcp::socket>& ws() { return ws_; }

 private:
  boost::asio::io_context ioc_;
  websocket::stream<tcp::socket> ws_;
};

class Serving : public FigureTest {
 protected:
  void SetUp() override {
    FigureTest::SetUp();
    web.start();
  }
  // Handles what the pages send until the future is ready.
  template <class T>
  T pumpUntil(std::future<T>& done) {
    while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
      pollfd fd{inbox.wakeFd(), POLLIN, 0};
      if (poll(&fd, 1, 20) > 0)
        for (kh::server::Work& w : inbox.takeAll()) service.handle(w);
    }
    return done.get();
  }
  std::string host() { return "127.0.0.1:" + std::to_string(web.port()); }

  const std::string token = kh::server::makeToken();
  kh::server::Inbox inbox;
  kh::server::WebServer web{{0, token, KESTREL_SOURCE_DIR "/web"}, inbox};
  kh::editor::EditorAddOn editor;
  kh::server::FigureService service{web, &editor};
};

}  // namespace kt
