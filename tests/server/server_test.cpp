// The figure server as a page sees it: who is let in, how pointer motions
// are coalesced, and a page's whole conversation over a real WebSocket
// (tree, event, changes, acknowledgement) with the host's thread pumping.
#include <gtest/gtest.h>
#include <poll.h>

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
