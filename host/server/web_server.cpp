#include "host/server/web_server.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <vector>

#include "host/server/access_check.h"
#include "host/server/beast.h"
#include "host/server/protocol.h"

namespace kh::server {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using namespace std::chrono_literals;

// A page that takes in messages slower than the host makes them is closed
// once this much waits for it; it reconnects and gets the whole tree again.
constexpr std::size_t kMaxQueuedBytes = 64u << 20;

// The answer to a request for the host that comes as the server stops.
constexpr const char* kStopping = "The host is stopping; the request was not carried out.\n";

const char* contentTypeOf(const std::filesystem::path& p) {
  const std::string ext = p.extension().string();
  if (ext == ".html") return "text/html; charset=utf-8";
  if (ext == ".js") return "text/javascript; charset=utf-8";
  if (ext == ".css") return "text/css; charset=utf-8";
  if (ext == ".svg") return "image/svg+xml";
  if (ext == ".png") return "image/png";
  return nullptr;
}

// A file of the page, or nullopt: only plain names of known kinds under
// the page's folder are served.
std::optional<std::string> pageFile(const std::string& dir, std::string path) {
  if (path == "/") path = "/index.html";
  if (path.size() < 2 || path[0] != '/' || path.find("..") != std::string::npos) return {};
  for (char c : path)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '_' ||
          c == '-'))
      return {};
  const std::filesystem::path file = std::filesystem::path(dir) / path.substr(1);
  if (!contentTypeOf(file)) return {};
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string pathOf(std::string_view target) {
  return std::string(target.substr(0, target.find('?')));
}

std::map<std::string, std::string> queryOf(std::string_view target) {
  std::map<std::string, std::string> out;
  const std::size_t q = target.find('?');
  if (q == std::string_view::npos) return out;
  std::string_view rest = target.substr(q + 1);
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view part = rest.substr(0, amp);
    const std::string key(part.substr(0, part.find('=')));
    if (!key.empty() && key != "token") out[key] = queryValue(target, key);
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return out;
}

}  // namespace

struct WebServer::Impl {
  struct Page;
  struct Connection;

  // Where the host's answer to a request goes: to the socket thread while
  // the server runs, nowhere once it has stopped. An answer may come from
  // any thread at any time, even after the server has gone; it holds only
  // this and a weak reference to its connection.
  struct ReplyGate {
    std::mutex mu;
    net::io_context* ioc = nullptr;
  };

  ServerConfig config;
  Inbox& inbox;
  // The page's module of line styles and markers, made from the host's
  // tables once, on the host's thread.
  const std::string styleTable = styleTableModule();
  const std::shared_ptr<ReplyGate> gate = std::make_shared<ReplyGate>();
  // What the connections' destructors touch comes before the io_context:
  // the handlers it still holds when it goes own connections.
  std::atomic<std::size_t> connections{0};
  std::mutex countMu;
  std::condition_variable countCv;  // a connection has gone
  std::uint64_t nextPage = 1;
  std::uint64_t nextConnection = 1;
  std::unordered_map<std::uint64_t, std::weak_ptr<Page>> pages;  // socket thread only
  // Every HTTP connection, oldest first (the socket thread's; after it is
  // joined, the destructors of what stop() and the io_context let go).
  std::map<std::uint64_t, std::weak_ptr<Connection>> http;
  // Set on the socket thread as stopping begins: from then on no request
  // goes to the inbox and no connection is kept alive.
  bool stopping = false;
  net::io_context ioc{1};
  // The socket thread runs until stop() ends it, even when no operation is
  // under way (a connection waiting for the host has none).
  net::executor_work_guard<net::io_context::executor_type> running{ioc.get_executor()};
  tcp::acceptor acceptor{ioc};
  // Connections whose request is in the host's hands, held until it
  // answers (socket thread only; emptied by stop() once that thread is
  // joined). After the io_context, as their sockets must go before it.
  std::unordered_map<std::uint64_t, std::shared_ptr<Connection>> waiting;
  std::thread thread;

  Impl(ServerConfig c, Inbox& in) : config(std::move(c)), inbox(in) { gate->ioc = &ioc; }

  // Any thread, from a connection's destructor.
  void released() {
    {
      std::lock_guard<std::mutex> lock(countMu);
      --connections;
    }
    countCv.notify_all();
  }

  // One open page: its WebSocket, read and written on the socket thread.
  struct Page : std::enable_shared_from_this<Page> {
    Impl& server;
    websocket::stream<beast::tcp_stream> ws;
    std::uint64_t id = 0;
    beast::flat_buffer buffer;
    std::deque<std::shared_ptr<const std::string>> out;
    std::size_t queued = 0;
    bool writing = false, closed = false;

    Page(Impl& s, beast::tcp_stream&& stream) : server(s), ws(std::move(stream)) {
      ++server.connections;
    }
    ~Page() { server.released(); }

    void accept(http::request<http::string_body> req) {
      beast::get_lowest_layer(ws).expires_never();
      ws.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
      ws.read_message_max(kMaxEventBytes);
      // A change message goes out as one frame, not in pieces of 4 KiB.
      ws.auto_fragment(false);
      ws.set_option(websocket::stream_base::decorator(
          [](websocket::response_type& res) { res.set(http::field::server, "kestrel"); }));
      ws.async_accept(req, [self = shared_from_this()](beast::error_code ec) {
        if (ec || self->server.stopping) return;
        self->id = self->server.nextPage++;
        self->server.pages[self->id] = self;
        self->server.inbox.push({Work::Kind::Opened, self->id, {}, {}, {}});
        self->read();
      });
    }

    void read() {
      ws.async_read(buffer, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) return self->gone();
        if (self->ws.got_text())
          self->server.inbox.push({Work::Kind::Message,
                                   self->id,
                                   beast::buffers_to_string(self->buffer.data()),
                                   {},
                                   {}});
        self->buffer.consume(self->buffer.size());
        self->read();
      });
    }

    void gone() {
      if (closed) return;
      closed = true;
      server.pages.erase(id);
      server.inbox.push({Work::Kind::Closed, id, {}, {}, {}});
    }

    void send(std::shared_ptr<const std::string> text) {
      if (closed) return;
      queued += text->size();
      out.push_back(std::move(text));
      if (queued > kMaxQueuedBytes) {
        gone();
        beast::get_lowest_layer(ws).socket().close();
        return;
      }
      if (!writing) write();
    }

    void write() {
      writing = true;
      ws.text(true);
      ws.async_write(net::buffer(*out.front()),
                     [self = shared_from_this()](beast::error_code ec, std::size_t) {
                       self->queued -= self->out.front()->size();
                       self->out.pop_front();
                       if (ec) return self->gone();
                       if (self->out.empty())
                         self->writing = false;
                       else
                         self->write();
                     });
    }
  };

  // One HTTP connection: requests in turn, each checked before its body is
  // read. Until one request has passed the access check, the connection may
  // be closed to make room for a newcomer.
  struct Connection : std::enable_shared_from_this<Connection> {
    enum class State { Header, Body, Host, Writing, Draining };
    Impl& server;
    beast::tcp_stream stream;
    const std::uint64_t id;
    beast::flat_buffer buffer;
    std::optional<http::request_parser<http::string_body>> parser;
    State state = State::Header;
    bool letIn = false, closed = false;
    // The request's version and whether it wants the connection kept.
    unsigned version = 11;
    bool keepAlive = true;

    Connection(Impl& s, tcp::socket&& socket)
        : server(s), stream(std::move(socket)), id(s.nextConnection++) {
      ++server.connections;
    }
    ~Connection() {
      server.http.erase(id);
      server.released();
    }

    void readHeader() {
      state = State::Header;
      parser.emplace();
      parser->header_limit(16 * 1024);
      // Each path's limit of the body is set, and checked against the
      // declared length, once the header is in and the request allowed.
      parser->body_limit(std::numeric_limits<std::uint64_t>::max());
      // A connection that has shown no token yet gets a few seconds for its
      // header; a page's connection may wait for its next request longer.
      stream.expires_after(letIn ? 30s : 5s);
      http::async_read_header(stream, buffer, *parser,
                              [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                if (ec) return self->close();
                                self->checked();
                              });
    }

    void checked() {
      const auto& req = parser->get();
      version = req.version() == 10 ? 10 : 11;
      keepAlive = req.keep_alive();
      const std::string why = refusal({req[http::field::host], req[http::field::origin],
                                       req[http::field::cookie], req.target()},
                                      server.config.token, server.config.port);
      if (!why.empty()) return reply({403, "text/plain; charset=utf-8", why + "\n", {}}, false);
      letIn = true;
      const std::string path = pathOf(req.target());
      const bool upload = path.rfind("/upload/", 0) == 0;  // a file the page sends
      const std::uint64_t limit = upload ? server.config.maxUpload : kMaxEventBytes;
      if (parser->content_length().value_or(0) > limit) return tooLarge();
      parser->body_limit(limit);
      if (parser->is_done()) return route();
      state = State::Body;
      stream.expires_after(30s);
      http::async_read(stream, buffer, *parser,
                       [self = shared_from_this()](beast::error_code ec, std::size_t) {
                         if (ec == http::error::body_limit) return self->tooLarge();
                         if (ec) return self->close();
                         self->route();
                       });
    }

    void tooLarge() {
      reply(
          {413, "text/plain; charset=utf-8", "The request is larger than the server takes.\n", {}},
          false);
    }

    void route() {
      http::request<http::string_body> req = parser->release();
      const std::string path = pathOf(req.target());
      const bool forHost =
          path.rfind("/upload/", 0) == 0 || path == "/event" || path.rfind("/export/", 0) == 0;
      if (server.stopping && (forHost || websocket::is_upgrade(req)))
        return reply({503, "text/plain; charset=utf-8", kStopping, {}}, false);
      if (websocket::is_upgrade(req)) {
        if (path != "/ws")
          return reply({404, "text/plain; charset=utf-8", "Not found.\n", {}}, false);
        std::make_shared<Page>(server, std::move(stream))->accept(std::move(req));
        return;
      }
      const bool post = req.method() == http::verb::post;
      const bool wantsPost = path.rfind("/upload/", 0) == 0 || path == "/event";
      if (forHost) {
        if (post != wantsPost)
          return reply({405, "text/plain; charset=utf-8", "Method not allowed.\n", {}}, true);
        auto job = std::make_shared<HttpJob>();
        job->request = {post ? "POST" : "GET", path, queryOf(req.target()), std::move(req.body())};
        state = State::Host;
        server.waiting[id] = shared_from_this();
        job->reply = [gate = server.gate, weak = weak_from_this()](HttpReply r) {
          std::lock_guard<std::mutex> lock(gate->mu);
          if (!gate->ioc) return;  // the server has stopped
          net::post(*gate->ioc, [weak, r = std::move(r)]() mutable {
            if (auto self = weak.lock()) self->answered(std::move(r));
          });
        };
        server.inbox.push({Work::Kind::Request, 0, {}, {}, job});
        return;
      }
      if (req.method() != http::verb::get)
        return reply({405, "text/plain; charset=utf-8", "Method not allowed.\n", {}}, true);
      if (path == "/style_table.js")
        return reply({200, contentTypeOf(path), server.styleTable, {}}, true);
      const std::optional<std::string> body = pageFile(server.config.webDir, path);
      if (!body) return reply({404, "text/plain; charset=utf-8", "Not found.\n", {}}, true);
      HttpReply r{200, contentTypeOf(path == "/" ? "index.html" : path), *body, {}};
      reply(std::move(r), true, path == "/" || path == "/index.html");
    }

    // The socket thread: the host's answer to the request it was handed.
    void answered(HttpReply r) {
      if (state != State::Host) return;
      server.waiting.erase(id);
      reply(std::move(r), true);
    }

    // The connection is kept for the next request when the request asked
    // for that, `keep` allows it and the server is not stopping.
    void reply(HttpReply r, bool keep, bool setCookie = false) {
      keep = keep && keepAlive && !server.stopping;
      state = State::Writing;
      auto res = std::make_shared<http::response<http::string_body>>(
          static_cast<http::status>(r.status), version);
      res->set(http::field::server, "kestrel");
      res->set(http::field::content_type, r.contentType);
      res->set(http::field::cache_control, "no-store");
      res->set("X-Content-Type-Options", "nosniff");
      res->set("X-Frame-Options", "DENY");
      res->set("Referrer-Policy", "no-referrer");
      res->set(
          "Content-Security-Policy",
          "default-src 'self'; img-src 'self' blob: data:; connect-src 'self' ws://127.0.0.1:" +
              std::to_string(server.config.port) +
              " ws://localhost:" + std::to_string(server.config.port) + "; frame-ancestors 'none'");
      if (!r.fileName.empty())
        res->set(http::field::content_disposition, "attachment; filename=\"" + r.fileName + "\"");
      if (setCookie)
        res->set(http::field::set_cookie, cookieName(server.config.port) + "=" +
                                              server.config.token +
                                              "; HttpOnly; SameSite=Strict; Path=/");
      res->body() = std::move(r.body);
      res->keep_alive(keep);
      res->prepare_payload();
      stream.expires_after(60s);
      http::async_write(stream, *res,
                        [self = shared_from_this(), res, keep](beast::error_code ec, std::size_t) {
                          if (ec) return self->close();
                          if (!keep || self->server.stopping) return self->drain();
                          self->readHeader();
                        });
    }

    // After the last reply the client may still be sending (a refused
    // body): take in and drop what comes for a moment, so that it reads the
    // reply and then the end instead of a reset connection.
    void drain() {
      state = State::Draining;
      beast::error_code ec;
      stream.socket().shutdown(tcp::socket::shutdown_send, ec);
      stream.expires_after(2s);
      auto scratch = std::make_shared<std::array<char, 16384>>();
      stream.async_read_some(net::buffer(*scratch), [self = shared_from_this(), scratch](
                                                        beast::error_code ec, std::size_t) {
        if (ec) return self->close();
        self->drain();
      });
    }

    void close() {
      if (closed) return;
      closed = true;
      beast::error_code ec;
      stream.socket().shutdown(tcp::socket::shutdown_send, ec);
      stream.close();
    }
  };

  // At the limit, the oldest connection that has not shown the token makes
  // room for the newcomer, so idle or refused sockets cannot keep a page
  // out; false when every connection is let in.
  bool makeRoom() {
    for (auto& [id, weak] : http)
      if (auto c = weak.lock(); c && !c->letIn && !c->closed) {
        c->close();
        return true;
      }
    return false;
  }

  void acceptNext() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (!acceptor.is_open()) return;
      if (!ec) {
        if (connections.load() >= config.maxConnections && !makeRoom()) {
          beast::error_code ignored;
          socket.close(ignored);
        } else {
          // Small messages (an acknowledgement after a large change) go
          // out at once instead of waiting for the peer's delayed ACK.
          socket.set_option(tcp::no_delay(true), ec);
          auto c = std::make_shared<Connection>(*this, std::move(socket));
          http[c->id] = c;
          c->readHeader();
        }
      }
      acceptNext();
    });
  }

  // The socket thread, as stopping begins: no new connections, the pages
  // closed, and so are the connections that wait for a request.
  void beginStop() {
    stopping = true;
    beast::error_code ec;
    acceptor.close(ec);
    for (auto& [id, weak] : pages)
      if (auto p = weak.lock()) beast::get_lowest_layer(p->ws).socket().close(ec);
    pages.clear();
    std::vector<std::shared_ptr<Connection>> idle;
    for (auto& [id, weak] : http)
      if (auto c = weak.lock(); c && c->state == Connection::State::Header) idle.push_back(c);
    for (auto& c : idle) c->close();
  }

  // The socket thread, as it ends: whatever is still open is closed.
  void closeAll() {
    std::vector<std::shared_ptr<Connection>> open;
    for (auto& [id, weak] : http)
      if (auto c = weak.lock()) open.push_back(c);
    for (auto& c : open) c->close();
  }
};

WebServer::WebServer(ServerConfig config, Inbox& inbox)
    : impl_(std::make_unique<Impl>(std::move(config), inbox)) {}

WebServer::~WebServer() { stop(); }

std::size_t WebServer::connectionCount() const { return impl_->connections.load(); }

void WebServer::start() {
  Impl& s = *impl_;
  beast::error_code ec;
  const tcp::endpoint at(net::ip::make_address("127.0.0.1"), s.config.port);
  s.acceptor.open(at.protocol(), ec);
  if (!ec) s.acceptor.set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) s.acceptor.bind(at, ec);
  if (!ec) s.acceptor.listen(net::socket_base::max_listen_connections, ec);
  if (ec)
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(s.config.port) + ": " +
                             ec.message());
  s.config.port = s.acceptor.local_endpoint().port();
  s.acceptNext();
  s.thread = std::thread([&s] { s.ioc.run(); });
}

unsigned short WebServer::port() const { return impl_->config.port; }

void WebServer::send(std::uint64_t page, std::shared_ptr<const std::string> text) {
  net::post(impl_->ioc, [this, page, text = std::move(text)]() mutable {
    auto it = impl_->pages.find(page);
    if (it == impl_->pages.end()) return;
    if (auto p = it->second.lock()) p->send(std::move(text));
  });
}

void WebServer::stop() {
  Impl& s = *impl_;
  if (!s.thread.joinable()) return;
  // Once the socket thread has begun stopping, nothing more comes to the
  // inbox but pages' messages and closes.
  std::promise<void> begun;
  net::post(s.ioc, [&s, &begun] {
    s.beginStop();
    begun.set_value();
  });
  begun.get_future().wait();
  // What still waits for the host is answered here, on its thread; the rest
  // of the inbox no longer matters.
  for (Work& w : s.inbox.takeAll())
    if (w.job) w.job->reply({503, "text/plain; charset=utf-8", kStopping, {}});
  // The replies under way get a moment to be written, then the rest is cut.
  {
    std::unique_lock<std::mutex> lock(s.countMu);
    s.countCv.wait_for(lock, 2s, [&s] { return s.connections.load() == 0; });
  }
  net::post(s.ioc, [&s] {
    s.closeAll();
    s.ioc.stop();
  });
  s.thread.join();
  {
    std::lock_guard<std::mutex> lock(s.gate->mu);
    s.gate->ioc = nullptr;
  }
  s.inbox.takeAll();
  s.waiting.clear();
}

}  // namespace kh::server
