// The figure server as a page sees it: who is let in, how pointer motions
// are coalesced, and a page's whole conversation over a real WebSocket
// (tree, event, changes, acknowledgement) with the host's thread pumping;
// how connections end, and what the requests waiting for the host get when
// the server stops.
#include <gtest/gtest.h>
#include <poll.h>

#include <deque>
#include <memory>
#include <vector>

#include "tests/server/serving_fixture.h"

namespace {

using nlohmann::json;
namespace server = kh::server;

TEST(AccessCheck, HostOriginAndTokenAreAllRequired) {
  const std::string t = server::makeToken();
  EXPECT_EQ(t.size(), 64u);  // 256 bits
  EXPECT_NE(t, server::makeToken());
  const std::string q = "/?token=" + t;
  const std::string cookie = server::cookieName(8123) + "=" + t;
  struct Case {
    std::string host, origin, cookie, target;
    const char* refused;  // a word of the refusal, or "" when let in
  } cases[] = {
      {"127.0.0.1:8123", "", "", q, ""},
      {"localhost:8123", "http://localhost:8123", "", q, ""},
      {"127.0.0.1:8123", "http://127.0.0.1:8123", cookie, "/app.js", ""},
      {"127.0.0.1:8123", "", "a=b; " + cookie + "; c=d", "/ws", ""},
      {"127.0.0.1:8123", "", "", "/", "token"},
      {"127.0.0.1:8123", "", "", "/?token=" + t.substr(1), "token"},
      {"127.0.0.1:8123", "", server::cookieName(8124) + "=" + t, "/", "token"},
      {"evil.example:8123", "", "", q, "Host"},
      {"127.0.0.1:8124", "", "", q, "Host"},
      {"", "", "", q, "Host"},
      {"127.0.0.1:8123", "http://evil.example", "", q, "origin"},
      {"127.0.0.1:8123", "http://127.0.0.1:8124", cookie, q, "origin"},
  };
  for (const Case& c : cases) {
    const std::string why = server::refusal({c.host, c.origin, c.cookie, c.target}, t, 8123);
    if (!*c.refused)
      EXPECT_EQ(why, "") << c.host << " " << c.target;
    else
      EXPECT_NE(why.find(c.refused), std::string::npos) << c.host << " " << c.target << ": " << why;
  }
  EXPECT_EQ(server::queryValue("/x?a=1&token=a%2Fb+c", "token"), "a/b c");
}

TEST(Inbox, AQueuedMotionIsReplacedByTheNextOfTheSamePage) {
  server::Inbox in;
  auto message = [&](std::uint64_t page, const std::string& type, int id) {
    in.push({server::Work::Kind::Message,
             page,
             json{{"id", id}, {"type", type}, {"figure", 1}, {"x", id}, {"y", 0}}.dump(),
             {},
             {}});
  };
  message(1, "press", 1);
  message(1, "motion", 2);
  message(1, "motion", 3);
  message(2, "motion", 4);  // another page: its own
  message(1, "motion", 5);
  message(1, "motion", 6);
  message(1, "release", 7);  // never dropped, and ends the run
  message(1, "motion", 8);
  const std::deque<server::Work> q = in.takeAll();
  std::vector<double> ids, replaced;
  for (const server::Work& w : q) {
    ids.push_back(server::peekMessage(w.text).id);
    replaced.insert(replaced.end(), w.replaced.begin(), w.replaced.end());
  }
  EXPECT_EQ(ids, (std::vector<double>{1, 3, 4, 6, 7, 8}));
  EXPECT_EQ(replaced, (std::vector<double>{2, 5}));
  pollfd fd{in.wakeFd(), POLLIN, 0};
  EXPECT_EQ(poll(&fd, 1, 0), 0);  // taken: nothing wakes the host any more
}

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = boost::asio::ip::tcp;
using kt::Serving;
using namespace std::chrono_literals;

std::string eventPost(unsigned short port, const std::string& token, const std::string& headers) {
  const std::string body = R"({"id":1,"type":"ping"})";
  return "POST /event?token=" + token + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Requests for the host when the server stops: the one still in the inbox
// is answered 503 and its connection closed; the one the host had already
// taken is closed, and the host's late answer to it, after the server has
// gone, is dropped without touching the server.
TEST(ServerStop, WaitingRequestsAreAnsweredOrClosedAndLateAnswersAreDropped) {
  const std::string token = server::makeToken();
  server::Inbox inbox;
  auto web = std::make_unique<server::WebServer>(
      server::ServerConfig{0, token, KESTREL_SOURCE_DIR "/web"}, inbox);
  web->start();
  const unsigned short port = web->port();
  auto queued = [&] {
    pollfd p{inbox.wakeFd(), POLLIN, 0};
    return poll(&p, 1, 10000) == 1;
  };
  const int taken = kt::rawConnect(port);
  ASSERT_TRUE(kt::sendAll(taken, eventPost(port, token, "")));
  ASSERT_TRUE(queued());
  std::deque<server::Work> held = inbox.takeAll();
  ASSERT_EQ(held.size(), 1u);
  ASSERT_EQ(held.front().kind, server::Work::Kind::Request);
  const int waiting = kt::rawConnect(port);
  ASSERT_TRUE(kt::sendAll(waiting, eventPost(port, token, "")));
  ASSERT_TRUE(queued());

  web.reset();
  const kt::ReadToEnd a = kt::readToEnd(waiting, 10s);
  EXPECT_EQ(a.text.rfind("HTTP/1.1 503", 0), 0u) << a.text;
  EXPECT_NE(a.text.find("The host is stopping; the request was not carried out."),
            std::string::npos)
      << a.text;
  EXPECT_TRUE(a.closed);
  const kt::ReadToEnd b = kt::readToEnd(taken, 10s);
  EXPECT_EQ(b.text, "");
  EXPECT_TRUE(b.closed);
  held.front().job->reply({200, "text/plain; charset=utf-8", "Too late.\n", {}});
  held.clear();
  close(taken);
  close(waiting);
}

// A client that asks for the connection to end after the reply (HTTP/1.0,
// or Connection: close) gets the reply in its own version and then the end
// of the connection; one that keeps it alive sends its next request on it.
TEST_F(Serving, ARequestThatAsksForCloseGetsItsReplyAndThenTheEnd) {
  const std::string get = "GET /?token=" + token;
  const std::string h = "Host: " + host() + "\r\n";
  struct Case {
    std::string request;
    std::vector<std::string> statuses;
  } cases[] = {
      {get + " HTTP/1.0\r\n" + h + "\r\n", {"HTTP/1.0 200"}},
      {get + " HTTP/1.1\r\n" + h + "Connection: close\r\n\r\n", {"HTTP/1.1 200"}},
      {"GET /missing.js HTTP/1.0\r\n" + h + "Cookie: " + server::cookieName(web.port()) + "=" +
           token + "\r\n\r\n",
       {"HTTP/1.0 404"}},
      {get + " HTTP/1.0\r\n" + h + "Connection: keep-alive\r\n\r\n" + get + " HTTP/1.0\r\n" + h +
           "\r\n",
       {"HTTP/1.0 200", "HTTP/1.0 200"}},
      {get + " HTTP/1.1\r\n" + h + "\r\n" + eventPost(web.port(), token, "Connection: close\r\n"),
       {"HTTP/1.1 200", "HTTP/1.1 200"}},
  };
  for (const Case& c : cases) {
    auto reply = std::async(std::launch::async, [&] {
      const int fd = kt::rawConnect(web.port());
      kt::ReadToEnd r;
      if (kt::sendAll(fd, c.request)) r = kt::readToEnd(fd, 10s);
      close(fd);
      return r;
    });
    const kt::ReadToEnd r = pumpUntil(reply);
    std::vector<std::string> statuses;
    for (std::size_t at = 0; (at = r.text.find("HTTP/1.", at)) != std::string::npos; at += 12)
      statuses.push_back(r.text.substr(at, 12));
    EXPECT_EQ(statuses, c.statuses) << c.request;
    EXPECT_TRUE(r.closed) << c.request;
  }
}

TEST_F(Serving, APageGetsTheTreeItsEventsChangesAndAcknowledgements) {
  ok("f = figure; s = uicontrol('Style', 'slider', 'Min', 0, 'Max', 10, 'Value', 2, "
     "'Callback', 'got = get(gcbo, ''Value'');');");
  const double slider = eval("s")[0];
  auto page = std::async(std::launch::async, [&] {
    boost::asio::io_context ioc;
    websocket::stream<tcp::socket> ws(ioc);
    ws.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), web.port()});
    ws.set_option(websocket::stream_base::decorator(
        [&](websocket::request_type& r) { r.set(http::field::origin, "http://" + host()); }));
    ws.handshake(host(), "/ws?token=" + token);
    std::vector<json> got;
    auto next = [&] {
      beast::flat_buffer b;
      ws.read(b);
      got.push_back(json::parse(beast::buffers_to_string(b.data())));
      return got.back();
    };
    next();  // the tree
    next();  // the editor's state
    ws.write(boost::asio::buffer(
        json{{"id", 7}, {"type", "value"}, {"handle", slider}, {"value", 6.5}}.dump()));
    ws.write(boost::asio::buffer(std::string(R"({"id":8,"type":"click","handle":"x"})")));
    while (got.back()["type"] != "ack" || got.back()["id"] != 8) next();
    return got;
  });
  const std::vector<json> got = pumpUntil(page);
  ASSERT_EQ(got[0]["type"], "tree");
  bool sawSlider = false;
  for (const json& o : got[0]["objects"])
    if (o["h"] == slider) {
      sawSlider = true;
      EXPECT_EQ(o["props"]["Value"], 2);
      EXPECT_EQ(o["props"]["_rect"].size(), 4u);
    }
  EXPECT_TRUE(sawSlider);
  EXPECT_EQ(got[1]["type"], "editor");
  // The slider's change comes before its acknowledgement; the bad message
  // is answered with the reason and changes nothing.
  ASSERT_EQ(got.size(), 5u) << json(got).dump();
  EXPECT_EQ(got[2]["type"], "changes");
  json sliderNow;
  for (const json& o : got[2]["set"])
    if (o["h"] == slider) sliderNow = o["props"];
  EXPECT_EQ(sliderNow["Value"], 6.5);
  EXPECT_EQ(got[3]["type"], "ack");
  EXPECT_EQ(got[3]["id"], 7);
  EXPECT_FALSE(got[3].contains("error"));
  EXPECT_EQ(got[4]["error"], "Malformed message: 'handle' must be a finite number.");
  EXPECT_EQ(eval("got")[0], 6.5);  // the callback ran on this thread
}

TEST_F(Serving, ASocketWithoutTheTokenIsRefused) {
  auto page = std::async(std::launch::async, [&] {
    boost::asio::io_context ioc;
    websocket::stream<tcp::socket> ws(ioc);
    ws.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), web.port()});
    websocket::response_type res;
    beast::error_code ec;
    ws.handshake(res, host(), "/ws?token=guess", ec);
    return ec == websocket::error::upgrade_declined;
  });
  EXPECT_TRUE(pumpUntil(page));
}

TEST_F(Serving, AnOversizedMessageClosesThatPageOnly) {
  auto page = std::async(std::launch::async, [&] {
    boost::asio::io_context ioc;
    websocket::stream<tcp::socket> ws(ioc);
    ws.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), web.port()});
    ws.handshake(host(), "/ws?token=" + token);
    beast::flat_buffer b;
    ws.read(b);  // the tree
    ws.write(boost::asio::buffer(std::string(70000, ' ')));
    beast::error_code ec;
    while (!ec) ws.read(b, ec);
    return ws.reason().code;
  });
  EXPECT_EQ(pumpUntil(page), websocket::close_code::too_big);
}

}  // namespace
