// What a product built on the figure server adds to it: page messages and
// requests of its own, state that every page is sent when it changes, and
// the names its exported pictures take. The server itself serves any
// figure; it knows no product's actions or globals.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/graphics/object.h"
#include "host/server/inbox.h"

namespace kh::server {

class ServiceAddOn {
 public:
  virtual ~ServiceAddOn() = default;

  // Whether page messages of this type are the add-on's.
  virtual bool takes(const std::string& type) const = 0;
  // Carries out one of its page messages (already known to be a JSON object
  // with a "type" it takes). Raises with the reason when it fails; what it
  // prints reaches the terminal and the pages as a callback's output does.
  virtual void message(const nlohmann::json& msg) = 0;
  // Answers a request the server has no answer for; false when the path is
  // not the add-on's either. Raises with the reason when it fails.
  virtual bool request(const HttpRequest& r, HttpReply* reply) = 0;
  // After every event, page message and prompt line: the messages every
  // page is to get now because the add-on's state changed (none when it
  // did not).
  virtual std::vector<std::string> changed() = 0;
  // Work that may wait until the page has its answer (the add-on's saves):
  // done after the acknowledgement of each event and message, and after
  // each prompt line. True when it changed what changed() reports.
  virtual bool settle() { return false; }
  // The whole state, for a page that opens.
  virtual std::vector<std::string> current() const = 0;
  // The file name (without extension) of a figure's exported picture.
  virtual std::string pictureName(gfx::Object* fig) const = 0;
};

}  // namespace kh::server
