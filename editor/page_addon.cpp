#include "editor/page_addon.h"

#include "editor/editor_settings.h"
#include "editor/open_record.h"
#include "editor/record_export.h"
#include "editor/record_name.h"
#include "editor/review/review.h"
#include "host/core/errors.h"

namespace kh::editor {
namespace {

using nlohmann::json;

// {"type": "editor", "T1": ..., "pf": ..., "offset": ...}: the editor's
// markers and settings as its globals hold them (null when unset), in the
// record's samples, and in a review the source samples before the record
// (0 for a whole record file).
std::string editorState(const Review* review) {
  json state{{"type", "editor"}};
  const std::optional<Settings> now = currentSettings();
  for (std::size_t k = 0; k < kSettingNames.size(); ++k)
    state[kSettingNames[k]] = now ? json((*now)[k]) : json(nullptr);
  if (review) state["offset"] = review->offset();
  return state.dump();
}

}  // namespace

bool EditorAddOn::takes(const std::string& type) const { return type == "review"; }

void EditorAddOn::message(const json& msg) {
  if (!review_) raise("No review is open: start the host with --review PATH.");
  review_->pageAction(msg);
}

bool EditorAddOn::request(const server::HttpRequest& r, server::HttpReply* reply) {
  if (r.path == "/export/record.mat") {
    RecordExport mat = recordMat(review_ ? review_->exportExtras() : NamedValues{});
    *reply = {200, "application/octet-stream", std::move(mat.bytes), mat.fileName};
  } else if (r.path == "/export/record.csv") {
    RecordExport csv = recordCsv(review_ ? review_->exportExtras() : NamedValues{});
    *reply = {200, "text/csv; charset=utf-8", std::move(csv.bytes), csv.fileName};
  } else if (r.path == "/upload/record") {
    const auto name = r.query.find("name");
    openRecord(r.body, name == r.query.end() ? "" : name->second);
    *reply = {200, "application/json", json{{"ok", true}}.dump(), {}};
  } else {
    return false;
  }
  return true;
}

std::vector<std::string> EditorAddOn::changed() {
  std::vector<std::string> out;
  if (review_) out = review_->afterChange();
  std::string state = editorState(review_);
  if (state != lastState_) {
    out.push_back(state);
    lastState_ = std::move(state);
  }
  return out;
}

bool EditorAddOn::settle() { return review_ && review_->settle(); }

std::vector<std::string> EditorAddOn::current() const {
  std::vector<std::string> out{editorState(review_)};
  if (review_) out.push_back(review_->wholeMessage());
  return out;
}

std::string EditorAddOn::pictureName(gfx::Object* fig) const { return figureFileName(fig); }

}  // namespace kh::editor
