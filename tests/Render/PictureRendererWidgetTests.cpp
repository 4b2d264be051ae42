// Tests of whole widget pictures: the widget's real content for a few accounts, laid out and drawn in every
// family, language and scheme.
#include <gtest/gtest.h>

#include <filesystem>

#include "PictureRenderer.h"
#include "PixelImage.h"
#include "SnapshotJson.h"
#include "TestFiles.h"
#include "UsageWidgetContent.h"

namespace velto::render {
namespace {

using namespace toolkit;
using testing::grown;
using testing::near;
using testing::over;
using testing::Pixel;
using testing::PixelImage;

constexpr Instant now = 1796126460;  // a minute after the sample was captured

/// Three accounts: one with three windows and recorded output, one with two windows, one with balances.
UsageWidgetSnapshot sample() {
  return decodeSnapshot(testing_support::readFile(std::filesystem::path(VELTO_FIXTURES_DIR) / "json" / "pass" /
                                                      "three-accounts.json"));
}

/// One account of the sample without windows: recorded output only (0), or a balance only (2).
UsageWidgetSnapshot single(std::size_t index) {
  UsageWidgetSnapshot snapshot = sample();
  UsageWidgetAccount account = snapshot.accounts[index];
  account.windows.clear();
  snapshot.accounts = {account};
  return snapshot;
}

struct WidgetCase {
  std::string name;
  UsageWidgetSnapshot snapshot;
  UsageWidgetFamily family;
  bool chinese;
  ColorScheme scheme;
  TextSize textSize = TextSize::large;
  bool redacted = false;
};
void PrintTo(const WidgetCase& row, std::ostream* out) { *out << row.name; }

std::vector<WidgetCase> cases() {
  std::vector<WidgetCase> all;
  for (auto family : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
    for (bool chinese : {false, true}) {
      for (auto scheme : {ColorScheme::light, ColorScheme::dark}) {
        all.push_back({std::string(family == UsageWidgetFamily::small ? "small" : "medium") +
                           (chinese ? "_zh" : "_en") + (scheme == ColorScheme::light ? "_light" : "_dark"),
                       sample(), family, chinese, scheme});
      }
    }
  }
  all.push_back({"small_en_light_accessibility3", sample(), UsageWidgetFamily::small, false, ColorScheme::light,
                 TextSize::accessibility3});
  all.push_back({"small_zh_dark_output", single(0), UsageWidgetFamily::small, true, ColorScheme::dark});
  all.push_back({"small_en_light_balance", single(2), UsageWidgetFamily::small, false, ColorScheme::light});
  all.push_back({"medium_zh_light_output", single(0), UsageWidgetFamily::medium, true, ColorScheme::light});
  all.push_back({"small_en_light_empty", UsageWidgetSnapshot::empty(), UsageWidgetFamily::small, false,
                 ColorScheme::light});
  all.push_back({"medium_en_dark_redacted", sample(), UsageWidgetFamily::medium, false, ColorScheme::dark,
                 TextSize::large, true});
  return all;
}

class PictureRendererWidget : public ::testing::TestWithParam<WidgetCase> {};

TEST_P(PictureRendererWidget, DrawsWithinTheMarginsOnTheRoundedBackground) {
  const WidgetCase& row = GetParam();
  const UsageWidgetContent content(row.snapshot, "", now, row.family, row.chinese,
                                   row.textSize,
                                   {*platform::TimeZone::named("Asia/Shanghai"), row.chinese ? "zh_CN" : "en_US",
                                    std::filesystem::path(VELTO_AGENT_IMAGES_DIR)});
  const PictureOptions picture{
      .canvas = row.family == UsageWidgetFamily::medium ? WidgetCanvas::medium() : WidgetCanvas::small(),
      .scheme = row.scheme,
      .scale = 2,
      .redacted = row.redacted,
      .textSize = row.textSize,
      .chinese = row.chinese};
  const PixelImage image(renderPng(content.body(), picture));
  const Pixel plain = over(background(row.scheme), background(row.scheme));
  // Pixels on the rounded edge are partly transparent; only opaque ones can show content.
  auto drawn = [&](const Pixel& pixel) { return pixel.alpha == 255 && !near(pixel, plain, 8); };
  // Content shows and keeps to the side margins. Content taller than the room overflows the top and bottom
  // margins evenly, as the platform's stacks do, but must stay clear of the canvas's edges.
  const Rect room = picture.canvas.contentRect();
  const Rect allowed{room.x, 4, room.width, picture.canvas.size.height - 8};
  EXPECT_GT(image.count(room, 2, true, drawn), 2000);
  EXPECT_EQ(image.count(grown(allowed, 0.5), 2, false, drawn), 0);
}

INSTANTIATE_TEST_SUITE_P(PictureRenderer, PictureRendererWidget, ::testing::ValuesIn(cases()),
                         [](const auto& generated) { return generated.param.name; });

}  // namespace
}  // namespace velto::render
