#include "host/server/figure_service.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/graphics/render/export.h"
#include "host/graphics/tree.h"

namespace kh::server {
namespace {

using nlohmann::json;

std::shared_ptr<const std::string> shared(std::string text) {
  return std::make_shared<const std::string>(std::move(text));
}

json ack(double id, double ms, const std::string& error) {
  json a{{"type", "ack"}, {"id", id}, {"ms", ms}};
  if (!error.empty()) a["error"] = error;
  return a;
}

HttpReply jsonReply(int status, const json& body) {
  return {status, "application/json", body.dump(), {}};
}

HttpReply textReply(int status, const std::string& text) {
  return {status, "text/plain; charset=utf-8", text + "\n", {}};
}

}  // namespace

FigureService::FigureService(WebServer& server, ServiceAddOn* addOn)
    : server_(server), addOn_(addOn) {}

void FigureService::toAll(const std::string& text) {
  if (text.empty() || pages_.empty()) return;
  auto message = shared(text);
  for (std::uint64_t p : pages_) server_.send(p, message);
}

void FigureService::flush() {
  sendChanges();
  settle();
}

void FigureService::sendChanges() {
  toAll(changes_.take());
  if (addOn_)
    for (const std::string& m : addOn_->changed()) toAll(m);
}

void FigureService::settle() {
  if (!addOn_) return;
  bool changed = false;
  const std::string error = captured([&] { changed = addOn_->settle(); });
  if (!error.empty()) emitError("??? " + error + "\n");
  if (changed) sendChanges();
}

bool FigureService::takePrinted() { return std::exchange(printed_, false); }

void FigureService::handle(Work& w) {
  switch (w.kind) {
    case Work::Kind::Opened:
      flush();  // the pages open before this one are brought up to now first
      pages_.insert(w.page);
      server_.send(w.page, shared(snapshotMessage()));
      if (addOn_)
        for (const std::string& m : addOn_->current()) server_.send(w.page, shared(m));
      break;
    case Work::Kind::Closed:
      pages_.erase(w.page);
      if (auto d = down_.find(w.page); d != down_.end()) {
        PageEvent release = d->second;
        down_.erase(d);
        release.kind = PageEvent::Kind::Release;
        double ms = 0;
        run(release, &ms);
        flush();
      }
      break;
    case Work::Kind::Message:
      message(w.page, w.text, w.replaced);
      break;
    case Work::Kind::Request:
      request(*w.job);
      break;
  }
}

std::string FigureService::run(const PageEvent& e, double* ms) {
  const auto start = std::chrono::steady_clock::now();
  std::string error = captured([&] { deliver(e); });
  *ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return error;
}

std::string FigureService::captured(const std::function<void()>& work) {
  std::string error, text, errors;
  {
    OutputCapture capture;
    protect(work, &error);
    text = capture.text();
    errors = capture.errors();
  }
  // Shown where they always are, and on the pages.
  if (!text.empty()) emit(text);
  if (!errors.empty()) emitError(errors);
  if (!text.empty() || !errors.empty()) printed_ = true;
  if (!text.empty()) toAll(json{{"type", "output"}, {"text", text}, {"error", false}}.dump());
  if (!errors.empty()) toAll(json{{"type", "output"}, {"text", errors}, {"error", true}}.dump());
  return error;
}

void FigureService::message(std::uint64_t page, const std::string& text,
                            const std::vector<double>& replaced) {
  for (double id : replaced) {
    json a = ack(id, 0, "");
    a["replaced"] = true;
    server_.send(page, shared(a.dump()));
  }
  PageEvent e;
  std::string error;
  double ms = 0;
  if (addOn_ && text.size() <= kMaxEventBytes) {
    // A message of the add-on's own.
    const json m = json::parse(text, nullptr, false);
    auto type = m.is_object() ? m.find("type") : m.end();
    if (m.is_object() && type != m.end() && type->is_string() &&
        addOn_->takes(type->get<std::string>())) {
      const auto start = std::chrono::steady_clock::now();
      error = captured([&] { addOn_->message(m); });
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
      sendChanges();
      auto id = m.find("id");
      server_.send(
          page,
          shared(ack(id != m.end() && id->is_number() ? id->get<double>() : 0, ms, error).dump()));
      settle();
      return;
    }
  }
  if (!decodeEvent(text, &e, &error)) {
    error = "Malformed message: " + error + ".";
    e.id = peekMessage(text).id;
  } else {
    if (e.kind == PageEvent::Kind::Press ||
        (e.kind == PageEvent::Kind::Motion && down_.count(page)))
      down_[page] = e;
    else if (e.kind == PageEvent::Kind::Release)
      down_.erase(page);
    error = run(e, &ms);
  }
  const auto start = std::chrono::steady_clock::now();
  sendChanges();
  json a = ack(e.id, ms, error);
  a["encodeMs"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  server_.send(page, shared(a.dump()));
  settle();
}

void FigureService::request(HttpJob& job) {
  const HttpRequest& r = job.request;
  HttpReply reply;
  std::string error;
  const bool ok = protect(
      [&] {
        if (r.path == "/event") {
          PageEvent e;
          if (!decodeEvent(r.body, &e, &error)) {
            reply =
                jsonReply(400, {{"type", "ack"}, {"error", "Malformed message: " + error + "."}});
            error.clear();
            return;
          }
          double ms = 0;
          const std::string failed = run(e, &ms);
          sendChanges();
          reply = jsonReply(failed.empty() ? 200 : 409, ack(e.id, ms, failed));
        } else if (r.path == "/export/figure.svg" || r.path == "/export/figure.png" ||
                   r.path == "/export/plot.svg" || r.path == "/export/plot.png") {
          // The whole figure, or its plots alone without the controls.
          const bool svg = r.path.ends_with(".svg");
          const bool plots = r.path.starts_with("/export/plot.");
          auto it = r.query.find("figure");
          gfx::Object* fig = nullptr;
          if (it != r.query.end()) {
            char* end = nullptr;
            const double h = std::strtod(it->second.c_str(), &end);
            if (end && *end == 0) fig = gfx::tree().find(h);
          }
          if (!fig || fig->type != gfx::Type::Figure) raise("Name an open figure: ?figure=N.");
          const std::string name =
              addOn_ ? addOn_->pictureName(fig) : "figure" + std::to_string(int(fig->handle));
          reply = {200, svg ? "image/svg+xml" : "image/png",
                   gfx::render::renderFigure(
                       fig, svg ? gfx::render::Format::Svg : gfx::render::Format::Png, 96,
                       plots ? gfx::render::Content::PlotsAlone : gfx::render::Content::Whole),
                   name + (plots ? "-plot" : "") + (svg ? ".svg" : ".png")};
        } else if (addOn_ && addOn_->request(r, &reply)) {
          sendChanges();
        } else {
          reply = textReply(404, "Not found.");
        }
      },
      &error);
  if (!ok) {
    // A request with a body answers in JSON, as the page reads it.
    reply = r.method == "POST" ? jsonReply(400, {{"error", error}}) : textReply(409, error);
    sendChanges();  // a failed load may have changed the figure before failing
  }
  job.reply(std::move(reply));
  settle();
}

}  // namespace kh::server
