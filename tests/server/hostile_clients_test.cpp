// The figure server under hostile use, all of it on 127.0.0.1: requests
// without the token or from a foreign page, broken frames, a crowd of idle
// connections, a client that sends a byte at a time, and a page that goes
// away in the middle of a drag. Throughout, the page that was let in keeps
// getting its answers, a new one still gets in among the idle crowd, and
// every connection the others opened is freed.
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "tests/server/serving_fixture.h"

namespace {

using kt::json;
using kt::Serving;
using kt::tcp;
namespace http = kt::http;

using kt::rawConnect;

// The status of one HTTP request sent raw (0 when the server closed without one).
int statusOf(unsigned short port, const std::string& request) {
  const int fd = rawConnect(port);
  if (fd < 0) return -1;
  if (write(fd, request.data(), request.size()) < 0) return -1;
  char buf[64] = {};
  const ssize_t n = read(fd, buf, sizeof buf - 1);
  close(fd);
  int status = 0;
  if (n > 0) std::sscanf(buf, "HTTP/1.1 %d", &status);
  return status;
}

class HostileClients : public Serving {
 protected:
  // Waits (pumping) until the server holds `n` connections.
  bool settlesAt(std::size_t n) {
    for (int k = 0; k < 300 && web.connectionCount() != n; ++k) {
      auto pause = std::async(std::launch::async, [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return 0;
      });
      pumpUntil(pause);
    }
    return web.connectionCount() == n;
  }
};

TEST_F(HostileClients, TheLetInPageKeepsItsAnswersWhateverElseComes) {
  // A press anywhere arms a drag; the release ends it.
  ok("f = figure('WindowButtonDownFcn', 'armed = 1; set(gcbo, ''WindowButtonMotionFcn'', ''moved = "
     "1;'')', "
     "'WindowButtonUpFcn', 'released = 1; set(gcbo, ''WindowButtonMotionFcn'', '''')');");
  const double fig = eval("f")[0];
  const std::string h = host();
  const unsigned short port = web.port();
  auto run = std::async(std::launch::async, [&] {
    std::vector<std::string> faults;
    auto expect = [&](bool good, const std::string& what) {
      if (!good) faults.push_back(what);
    };
    kt::PageSocket page(port, token);
    std::vector<double> roundTrips;
    double id = 0;
    auto ping = [&] {
      const auto t0 = std::chrono::steady_clock::now();
      const json a = page.call({{"type", "ping"}}, ++id);
      roundTrips.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
      return !a.contains("error");
    };
    expect(ping(), "first ping");

    // Requests that must be refused, each as a whole request on its own connection.
    const std::string q = "/?token=" + token;
    struct Refused {
      std::string request;
      int status;
    } refused[] = {
        {"GET / HTTP/1.1\r\nHost: " + h + "\r\n\r\n", 403},
        {"GET /?token=wrong HTTP/1.1\r\nHost: " + h + "\r\n\r\n", 403},
        {"GET " + q + " HTTP/1.1\r\nHost: evil.example\r\n\r\n", 403},
        {"GET " + q + " HTTP/1.1\r\nHost: " + h + "\r\nOrigin: http://evil.example\r\n\r\n", 403},
        {"GET /ws?token=wrong HTTP/1.1\r\nHost: " + h +
             "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
             "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
         403},
        {"POST /event" + q.substr(1) + " HTTP/1.1\r\nHost: " + h +
             "\r\nContent-Length: 99999999\r\n\r\n",
         413},
        {"GET " + q + " HTTP/1.1\r\nHost: " + h + "\r\nX: " + std::string(20000, 'x') + "\r\n\r\n",
         0},
        {"NONSENSE\r\n\r\n", 0},
    };
    for (const Refused& r : refused)
      expect(statusOf(port, r.request) == r.status, "refusal of " + r.request.substr(0, 40));
    expect(ping(), "ping after the refusals");

    // A page let in that sends broken frames: an unmasked frame, a reserved
    // opcode, a frame that says it is 2^63 bytes long.
    for (std::string frame :
         {std::string("\x81\x05hello", 7), std::string("\x83\x80\0\0\0\0", 6),
          std::string("\x82\xff\x7f\xff\xff\xff\xff\xff\xff\xff\0\0\0\0", 14)}) {
      kt::PageSocket bad(port, token);
      auto& s = bad.ws().next_layer();
      boost::asio::write(s, boost::asio::buffer(frame));
      char sink[256];
      boost::system::error_code ec;
      for (int k = 0; k < 100 && !ec; ++k) s.read_some(boost::asio::buffer(sink), ec);
      expect(bool(ec), "a broken frame ends its connection");
    }
    expect(ping(), "ping after the broken frames");

    // Two thousand idle connections, then a client sending a byte at a time.
    std::vector<int> idle;
    for (int k = 0; k < 2000; ++k)
      if (int fd = rawConnect(port); fd >= 0) idle.push_back(fd);
    for (int k = 0; k < 20; ++k) expect(ping(), "ping among the idle connections");
    // A request and a page that come after the crowd still get through at
    // once: the idle connections that never showed the token make room.
    expect(statusOf(port, "GET " + q + " HTTP/1.1\r\nHost: " + h + "\r\n\r\n") == 200,
           "a new request among the idle connections");
    try {
      kt::PageSocket late(port, token);
      expect(!late.call({{"type", "ping"}}, 1).contains("error"), "a new page's ping");
    } catch (const std::exception& e) {
      expect(false, std::string("a new page among the idle connections: ") + e.what());
    }
    for (int fd : idle) close(fd);
    const int slow = rawConnect(port);
    const std::string req = "GET " + q + " HTTP/1.1\r\nHost: " + h + "\r\n";
    for (std::size_t k = 0; k < 20 && k < req.size(); ++k) {
      expect(write(slow, &req[k], 1) == 1, "a slow byte");
      expect(ping(), "ping beside a slow client");
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    close(slow);

    // A second page presses and goes away mid-drag.
    {
      kt::PageSocket other(port, token);
      other.call({{"type", "press"}, {"figure", fig}, {"x", 0}, {"y", 0}}, 1);
    }
    double worst = 0;
    for (double t : roundTrips) worst = std::max(worst, t);
    std::printf("hostile clients: %zu pings, slowest round trip %.2f ms\n", roundTrips.size(),
                worst);
    return faults;
  });
  const std::vector<std::string> faults = pumpUntil(run);
  for (const std::string& f : faults) ADD_FAILURE() << f;
  // Everything the others opened is freed (the let-in page is gone too).
  EXPECT_TRUE(settlesAt(0)) << web.connectionCount() << " connections left";
  // The press armed a drag; its page's going released it. (The page's close
  // reaches the host's thread just after its connection is freed.)
  for (int k = 0; k < 300 && !sh.workspace().has("released"); ++k) {
    auto pause = std::async(std::launch::async, [] {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      return 0;
    });
    pumpUntil(pause);
  }
  EXPECT_EQ(eval("[armed released]"), (std::vector<double>{1, 1}));
  EXPECT_EQ(text("get(f, 'WindowButtonMotionFcn')"), "");
}

}  // namespace
