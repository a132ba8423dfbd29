// The figure server's work on the host's thread: a page that opens gets
// the whole tree; a page's event goes through event delivery, then every
// page gets the changes and the sender its acknowledgement; exports and
// uploads are answered. Whatever page events print goes to the terminal as
// always, and to the pages too, so no callback error goes unseen.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "host/server/inbox.h"
#include "host/server/protocol.h"
#include "host/server/service_addon.h"
#include "host/server/web_server.h"

namespace kh::server {

class FigureService {
 public:
  // `addOn`, when given, outlives the service.
  explicit FigureService(WebServer& server, ServiceAddOn* addOn = nullptr);

  // Everything the inbox holds, in order.
  void handle(Work& w);
  // The changes since the last flush to every page, then the add-on's state
  // when it changed. Called after each event and after each prompt line.
  void flush();
  // Whether handling printed to the terminal since the last call (the
  // prompt is then shown again).
  bool takePrinted();

 private:
  void message(std::uint64_t page, const std::string& text, const std::vector<double>& replaced);
  void request(HttpJob& job);
  // Delivers one event with its output captured; "" or the delivery's error.
  std::string run(const PageEvent& e, double* ms);
  // Runs one piece of work with its output captured and shown as run()
  // shows a callback's; "" or its error.
  std::string captured(const std::function<void()>& work);
  void toAll(const std::string& text);
  // flush() in two halves: what changed, sent at once; then the add-on's
  // work that waits until the sender has its answer.
  void sendChanges();
  void settle();

  WebServer& server_;
  ServiceAddOn* addOn_;
  ChangeEncoder changes_;
  std::set<std::uint64_t> pages_;
  // Pages whose pointer is down (a press not yet released), with where it
  // last was: a page that goes away mid-drag is released there, so no drag
  // stays armed for the next page's motions.
  std::map<std::uint64_t, PageEvent> down_;
  bool printed_ = false;
};

}  // namespace kh::server
