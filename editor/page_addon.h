// The pulse editor's part of the figure page: the editor's markers and
// settings sent to every page when they change, the record's exports
// (NAME.mat, NAME.csv) and pictures named after the record, "Open record…",
// and the review of many records when one is open.
#pragma once

#include "host/server/service_addon.h"

namespace kh::editor {

class Review;

class EditorAddOn : public server::ServiceAddOn {
 public:
  // `review`, when given, outlives the add-on.
  explicit EditorAddOn(Review* review = nullptr) : review_(review) {}

  bool takes(const std::string& type) const override;
  void message(const nlohmann::json& msg) override;
  bool request(const server::HttpRequest& r, server::HttpReply* reply) override;
  std::vector<std::string> changed() override;
  bool settle() override;
  std::vector<std::string> current() const override;
  std::string pictureName(gfx::Object* fig) const override;

 private:
  Review* review_;
  std::string lastState_;
};

}  // namespace kh::editor
