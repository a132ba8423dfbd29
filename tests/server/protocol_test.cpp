// The figure server's messages: the whole tree, the changes taken from the
// journal (with the axes' derived values), the checks of page events, and
// their delivery to the object under the pointer.
#include "host/server/protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "host/graphics/geometry.h"
#include "host/graphics/tree.h"
#include "tests/graphics/figure_fixture.h"

namespace {

using nlohmann::json;

std::vector<double> floats(const json& v) {
  static const std::string digits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  const std::string s = v.at("f64");
  for (std::size_t i = 0; i + 3 < s.size(); i += 4) {
    unsigned n = 0;
    for (int k = 0; k < 4; ++k) n = n * 64 + (s[i + k] == '=' ? 0 : digits.find(s[i + k]));
    bytes += char(n >> 16), bytes += char(n >> 8), bytes += char(n);
  }
  std::vector<double> out(bytes.size() / 8);
  std::memcpy(out.data(), bytes.data(), out.size() * 8);
  return out;
}

class Protocol : public kt::FigureTest {};

TEST_F(Protocol, TreeThenOnlyWhatChanged) {
  ok("f = figure; ax = axes; h = line(1:20, (1:20) * 2, 'Tag', 'l', 'Color', 'r');");
  kh::server::ChangeEncoder page;
  const json tree = json::parse(kh::server::snapshotMessage());
  ASSERT_EQ(tree["type"], "tree");
  const double h = eval("h")[0];
  json line;
  for (const json& o : tree["objects"])
    if (o["h"] == h) line = o;
  ASSERT_FALSE(line.is_null());
  EXPECT_EQ(line["type"], "line");
  EXPECT_EQ(line["props"]["Tag"], "l");
  EXPECT_EQ(line["props"]["Color"], json::array({1, 0, 0}));
  EXPECT_EQ(floats(line["props"]["YData"])[19], 40);  // 20 values travel as float64
  EXPECT_TRUE(page.take().empty());

  ok("set(h, 'YData', (1:20) * 10, 'LineWidth', 2); set(h, 'LineWidth', 3); k = line([0 1], [0 1]);"
     "delete(k);");
  const json changes = json::parse(page.take());
  ASSERT_EQ(changes["type"], "changes");
  std::map<double, json> set;
  for (const json& s : changes["set"]) set[s["h"]] = s["props"];
  EXPECT_EQ(set[h]["LineWidth"], 3);  // the value now, once
  EXPECT_EQ(floats(set[h]["YData"])[19], 200);
  EXPECT_EQ(set[eval("ax")[0]]["YLim"], json::array({0, 200}));  // derived, sent again
  EXPECT_TRUE(changes["created"].empty());                       // made and deleted in between
  EXPECT_EQ(changes["deleted"].size(), 1u);
}

TEST_F(Protocol, PageEventsAreCheckedBeforeAnythingRuns) {
  struct Case {
    std::string text;
    const char* error;  // "" for a good event
  } cases[] = {
      {R"({"type":"motion","figure":1,"x":10,"y":20})", ""},
      {R"({"type":"value","handle":101.5,"value":"57"})", ""},
      {R"({"type":"click","handle":101.5})", ""},
      {R"({"type":"motion","figure":1,"x":"10","y":20})", "'x' must be a finite number"},
      {R"({"type":"press","figure":1,"x":1e999,"y":2})", "not a JSON object"},
      {R"({"type":"value","handle":1,"value":[1]})", "'value' must be a finite number or a text"},
      {R"({"type":"launch"})", "unknown event type 'launch'"},
      {R"({"id":3,"type":"ping"})", ""},
      {R"({"id":-1,"type":"ping"})", "'id' must be a number of at least 0"},
      {R"({"type":"limits","axes":1,"xlim":[0,5],"ylim":[-1,1]})", ""},
      {R"({"type":"limits","axes":1,"reset":true})", ""},
      {R"({"type":"limits","axes":1,"xlim":[5,0],"ylim":[-1,1]})",
       "'xlim' must be two increasing finite numbers"},
      // A page never sets a figure's size: every window scales it for itself.
      {R"({"type":"resize","figure":1,"width":800,"height":600})", "unknown event type 'resize'"},
      {R"([1,2])", "not a JSON object"},
      {"{\"type\":", "not a JSON object"},
      {std::string(70000, ' '), "message too large"},
  };
  for (const Case& c : cases) {
    kh::server::PageEvent e;
    std::string error;
    EXPECT_EQ(kh::server::decodeEvent(c.text, &e, &error), !*c.error) << c.text.substr(0, 60);
    if (*c.error) {
      EXPECT_EQ(error, c.error) << c.text.substr(0, 60);
    }
  }
}

TEST_F(Protocol, APressReachesTheLineUnderThePointer) {
  ok("f = figure('Position', [0 0 500 400]); ax = axes('Units', 'pixels', 'Position', "
     "[50 50 400 300], 'XLim', [0 100], 'YLim', [0 10]);"
     "h = line([20 20], [0 10], 'ButtonDownFcn', 'hit = gcbo;'); hit = 0;");
  kh::gfx::Object* ax = kh::gfx::tree().find(eval("ax")[0]);
  const auto on = kh::gfx::dataToPixel(ax, 20, 5);
  std::string error;
  kh::server::PageEvent e;
  for (double dx : {3.0, 9.0}) {
    ok("hit = 0;");
    ASSERT_TRUE(kh::server::decodeEvent(
        json{{"type", "press"}, {"figure", 1}, {"x", on[0] + dx}, {"y", on[1]}}.dump(), &e,
        &error));
    kh::server::deliver(e);
    // Within a few pixels the line is grabbed; further away the axes are.
    EXPECT_EQ(eval("hit"), dx < 4 ? eval("h") : std::vector<double>{0}) << dx;
  }
  EXPECT_EQ(eval("get(f, 'CurrentObject')"), eval("ax"));
}

TEST_F(Protocol, ZoomSetsTheHostsOwnLimits) {
  ok("f = figure('Position', [10 20 500 400]); ax = axes; plot(1:10);");
  auto run = [&](const json& m) {
    kh::server::PageEvent e;
    std::string error;
    ASSERT_TRUE(kh::server::decodeEvent(m.dump(), &e, &error)) << error;
    kh::server::deliver(e);
  };
  const double ax = eval("ax")[0];
  run({{"type", "limits"}, {"axes", ax}, {"xlim", {2, 4}}, {"ylim", {3, 5}}});
  EXPECT_EQ(eval("[get(ax, 'XLim') get(ax, 'YLim')]"), (std::vector<double>{2, 4, 3, 5}));
  EXPECT_EQ(text("get(ax, 'XLimMode')"), "manual");
  run({{"type", "limits"}, {"axes", ax}, {"reset", true}});
  EXPECT_EQ(eval("get(ax, 'XLim')"), (std::vector<double>{1, 10}));
  EXPECT_EQ(eval("get(f, 'Position')"), (std::vector<double>{10, 20, 500, 400}));
}

}  // namespace
