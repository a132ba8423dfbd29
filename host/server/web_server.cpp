#include "host/server/web_server.h"

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_map>

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
  ServerConfig config;
  Inbox& inbox;
  net::io_context ioc{1};
  tcp::acceptor acceptor{ioc};
  std::thread thread;
  std::atomic<std::size_t> connections{0};
  std::uint64_t nextPage = 1;

  struct Page;
  std::unordered_map<std::uint64_t, std::weak_ptr<Page>> pages;  // socket thread only

  Impl(ServerConfig c, Inbox& in) : config(std::move(c)), inbox(in) {}

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
    ~Page() { --server.connections; }

    void accept(http::request<http::string_body> req) {
      beast::get_lowest_layer(ws).expires_never();
      ws.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
      ws.read_message_max(kMaxEventBytes);
      // A change message goes out as one frame, not in pieces of 4 KiB.
      ws.auto_fragment(false);
      ws.set_option(websocket::stream_base::decorator(
          [](websocket::response_type& res) { res.set(http::field::server, "kestrel"); }));
      ws.async_accept(req, [self = shared_from_this()](beast::error_code ec) {
        if (ec) return;
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

  // One HTTP connection: requests in turn, each checked before its body is read.
  struct Connection : std::enable_shared_from_this<Connection> {
    Impl& server;
    beast::tcp_stream stream;
    beast::flat_buffer buffer;
    std::optional<http::request_parser<http::string_body>> parser;

    Connection(Impl& s, tcp::socket&& socket) : server(s), stream(std::move(socket)) {
      ++server.connections;
    }
    ~Connection() { --server.connections; }

    void readHeader() {
      parser.emplace();
      parser->header_limit(16 * 1024);
      // Each path's limit of the body is set, and checked against the
      // declared length, once the header is in and the request allowed.
      parser->body_limit(std::numeric_limits<std::uint64_t>::max());
      stream.expires_after(30s);
      http::async_read_header(stream, buffer, *parser,
                              [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                if (ec) return self->close();
                                self->checked();
                              });
    }

    void checked() {
      const auto& req = parser->get();
      const std::string why = refusal({req[http::field::host], req[http::field::origin],
                                       req[http::field::cookie], req.target()},
                                      server.config.token, server.config.port);
      if (!why.empty()) return reply({403, "text/plain; charset=utf-8", why + "\n", {}}, false);
      const std::string path = pathOf(req.target());
      const std::uint64_t limit = path == "/open-record" ? server.config.maxUpload : kMaxEventBytes;
      if (parser->content_length().value_or(0) > limit) return tooLarge();
      parser->body_limit(limit);
      if (parser->is_done()) return route();
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
      if (websocket::is_upgrade(req)) {
        if (path != "/ws")
          return reply({404, "text/plain; charset=utf-8", "Not found.\n", {}}, false);
        std::make_shared<Page>(server, std::move(stream))->accept(std::move(req));
        return;
      }
      const bool post = req.method() == http::verb::post;
      const bool wantsPost = path == "/open-record" || path == "/event";
      if (wantsPost || path.rfind("/export/", 0) == 0) {
        if (post != wantsPost)
          return reply({405, "text/plain; charset=utf-8", "Method not allowed.\n", {}}, true);
        auto job = std::make_shared<HttpJob>();
        job->request = {post ? "POST" : "GET", path, queryOf(req.target()), std::move(req.body())};
        stream.expires_after(300s);
        job->reply = [self = shared_from_this()](HttpReply r) {
          net::post(self->stream.get_executor(),
                    [self, r = std::move(r)]() mutable { self->reply(std::move(r), true); });
        };
        server.inbox.push({Work::Kind::Request, 0, {}, {}, job});
        return;
      }
      if (req.method() != http::verb::get)
        return reply({405, "text/plain; charset=utf-8", "Method not allowed.\n", {}}, true);
      const std::optional<std::string> body = pageFile(server.config.webDir, path);
      if (!body) return reply({404, "text/plain; charset=utf-8", "Not found.\n", {}}, true);
      HttpReply r{200, contentTypeOf(path == "/" ? "index.html" : path), *body, {}};
      reply(std::move(r), true, path == "/" || path == "/index.html");
    }

    void reply(HttpReply r, bool keepAlive, bool setCookie = false) {
      auto res = std::make_shared<http::response<http::string_body>>(
          static_cast<http::status>(r.status), 11);
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
      res->keep_alive(keepAlive);
      res->prepare_payload();
      stream.expires_after(60s);
      http::async_write(
          stream, *res,
          [self = shared_from_this(), res, keepAlive](beast::error_code ec, std::size_t) {
            if (ec) return self->close();
            if (!keepAlive) return self->drain();
            self->readHeader();
          });
    }

    // After a refusal the client may still be sending a body: take in and
    // drop what comes for a moment, so that it reads the reply instead of a
    // reset connection.
    void drain() {
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
      beast::error_code ec;
      stream.socket().shutdown(tcp::socket::shutdown_send, ec);
      stream.close();
    }
  };

  void acceptNext() {
    acceptor.async_accept(net::make_strand(ioc), [this](beast::error_code ec, tcp::socket socket) {
      if (!acceptor.is_open()) return;
      if (!ec) {
        if (connections.load() >= config.maxConnections) {
          beast::error_code ignored;
          socket.close(ignored);
        } else {
          // Small messages (an acknowledgement after a large change) go
          // out at once instead of waiting for the peer's delayed ACK.
          socket.set_option(tcp::no_delay(true), ec);
          std::make_shared<Connection>(*this, std::move(socket))->readHeader();
        }
      }
      acceptNext();
    });
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
  net::post(s.ioc, [&s] {
    beast::error_code ec;
    s.acceptor.close(ec);
    for (auto& [id, weak] : s.pages)
      if (auto p = weak.lock()) beast::get_lowest_layer(p->ws).socket().close(ec);
    s.pages.clear();
    s.ioc.stop();
  });
  s.thread.join();
}

}  // namespace kh::server
