// Who may talk to the figure server. It listens on the loopback address
// only, and every request must also:
//  - name this server in its Host header (127.0.0.1 or localhost, with the
//    port), which defeats DNS rebinding;
//  - come from no Origin, or from this server's own origin, which defeats
//    cross-site requests and WebSocket hijacking;
//  - carry the session's token, in the query (?token=) or in the cookie the
//    first page load sets.
#pragma once

#include <string>
#include <string_view>

namespace kh::server {

// A fresh random token: 32 bytes from the system's random source, in hex.
std::string makeToken();

struct RequestFacts {
  std::string_view host;    // the Host header ("" when absent)
  std::string_view origin;  // the Origin header ("" when absent)
  std::string_view cookie;  // the Cookie header
  std::string_view target;  // the request target, path and query
};

// "" when the request may proceed, else why not (the 403's text).
std::string refusal(const RequestFacts& r, std::string_view token, unsigned short port);

// The cookie that carries the token after the first load (its name has the
// port in it, so two servers on one machine keep their own).
std::string cookieName(unsigned short port);

// The value of one query parameter of a target, percent-decoded ("" when absent).
std::string queryValue(std::string_view target, std::string_view key);

}  // namespace kh::server
