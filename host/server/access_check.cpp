#include "host/server/access_check.h"

#include <sys/random.h>

#include <cstdio>
#include <stdexcept>

namespace kh::server {
namespace {

// Compares without stopping at the first difference, so the time taken
// tells nothing about how much of a guess was right.
bool sameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecode(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const int hi = hexDigit(s[i + 1]), lo = hexDigit(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += s[i] == '+' ? ' ' : s[i];
  }
  return out;
}

std::string cookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const std::size_t semi = header.find(';');
    std::string_view part = header.substr(0, semi);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    if (part.size() > name.size() && part.substr(0, name.size()) == name &&
        part[name.size()] == '=')
      return std::string(part.substr(name.size() + 1));
    if (semi == std::string_view::npos) break;
    header.remove_prefix(semi + 1);
  }
  return {};
}

}  // namespace

std::string makeToken() {
  unsigned char bytes[32];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) throw std::runtime_error("the system's random source failed");
    got += static_cast<std::size_t>(n);
  }
  std::string out;
  char hex[3];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    out += hex;
  }
  return out;
}

std::string cookieName(unsigned short port) { return "kestrel_token_" + std::to_string(port); }

std::string queryValue(std::string_view target, std::string_view key) {
  const std::size_t q = target.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view rest = target.substr(q + 1);
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view part = rest.substr(0, amp);
    const std::size_t eq = part.find('=');
    if (percentDecode(part.substr(0, eq)) == key)
      return eq == std::string_view::npos ? std::string() : percentDecode(part.substr(eq + 1));
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return {};
}

std::string refusal(const RequestFacts& r, std::string_view token, unsigned short port) {
  const std::string p = std::to_string(port);
  if (r.host != "127.0.0.1:" + p && r.host != "localhost:" + p)
    return "Forbidden: the Host header does not name this server.";
  if (!r.origin.empty() && r.origin != "http://127.0.0.1:" + p &&
      r.origin != "http://localhost:" + p)
    return "Forbidden: requests from another origin are refused.";
  const std::string given = queryValue(r.target, "token");
  const std::string kept = cookieValue(r.cookie, cookieName(port));
  if (!sameSecret(given, token) && !sameSecret(kept, token))
    return "Forbidden: the session token is missing or wrong.";
  return {};
}

}  // namespace kh::server
