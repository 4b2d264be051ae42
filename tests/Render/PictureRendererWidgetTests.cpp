// Tests of whole widget pictures: the widget's real content for a few accounts, laid out and drawn in every
// family, language and scheme. Set VELTO_PICTURE_SAMPLES_DIR to keep the pictures for a look.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "PictureRenderer.h"
#include "PixelImage.h"
#include "UsageWidgetContent.h"

namespace velto::render {
namespace {

using namespace toolkit;
using testing::grown;
using testing::near;
using testing::over;
using testing::Pixel;
using testing::PixelImage;

constexpr Instant captured = 1796126400;  // 2026-12-01 12:00 UTC

/// Three accounts: one with three windows and recorded output, one with two windows, one with balances.
UsageWidgetSnapshot sample() {
  const Instant seen = captured - 60;
  UsageWidgetAccount corvid{
      .id = "corvid:work", .agent = "corvid", .name = "Corvid · Work",
      .windows = {{.label = "5-hour", .kind = "session", .percent = 42.5, .resetAt = captured + 10800,
                   .observedAt = seen},
                  {.label = "Weekly", .kind = "weekly", .percent = 81, .resetAt = captured + 302400,
                   .observedAt = seen, .tier = "warn"},
                  {.label = "Weekly Reef", .kind = "weekly", .model = "reef", .percent = 100,
                   .resetAt = captured + 302400, .observedAt = seen, .tier = "full"}},
      .observedAt = seen,
      .output = UsageWidgetOutput{.day = "2026-12-01", .today = 184230, .week = 1093344}};
  UsageWidgetAccount crane{
      .id = "crane:personal", .agent = "crane", .name = "Crane",
      .windows = {{.label = "5-hour", .kind = "session", .percent = 7, .resetAt = captured + 14400},
                  {.label = "Weekly", .kind = "weekly", .percent = 33.3, .resetAt = captured + 475200}},
      .observedAt = captured - 300};
  UsageWidgetAccount kelp{.id = "kelp-balance-0", .agent = "kelp", .name = "Kelp",
                          .wallets = {{.kind = "recharge", .currency = "CNY", .amount = "86.40"},
                                      {.kind = "bonus", .currency = "CNY", .amount = "12.00"}},
                          .observedAt = captured - 400};
  return {.server = "local", .capturedAt = captured, .accounts = {corvid, crane, kelp}};
}

/// One account without windows: recorded output only, or a balance only.
UsageWidgetSnapshot single(UsageWidgetAccount account) {
  return {.server = "local", .capturedAt = captured, .accounts = {std::move(account)}};
}

UsageWidgetSnapshot outputOnly() {
  UsageWidgetAccount account = sample().accounts[0];
  account.windows.clear();
  return single(account);
}

UsageWidgetSnapshot balanceOnly() { return single(sample().accounts[2]); }

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
                           (chinese ? "-zh" : "-en") + (scheme == ColorScheme::light ? "-light" : "-dark"),
                       sample(), family, chinese, scheme});
      }
    }
  }
  all.push_back({"small-en-light-accessibility3", sample(), UsageWidgetFamily::small, false, ColorScheme::light,
                 TextSize::accessibility3});
  all.push_back({"small-zh-dark-output", outputOnly(), UsageWidgetFamily::small, true, ColorScheme::dark});
  all.push_back({"small-en-light-balance", balanceOnly(), UsageWidgetFamily::small, false, ColorScheme::light});
  all.push_back({"medium-zh-light-output", outputOnly(), UsageWidgetFamily::medium, true, ColorScheme::light});
  all.push_back({"small-en-light-empty", UsageWidgetSnapshot::empty(), UsageWidgetFamily::small, false,
                 ColorScheme::light});
  all.push_back({"medium-en-dark-redacted", sample(), UsageWidgetFamily::medium, false, ColorScheme::dark,
                 TextSize::large, true});
  return all;
}

class PictureRendererWidget : public ::testing::TestWithParam<WidgetCase> {};

TEST_P(PictureRendererWidget, DrawsWithinTheMarginsOnTheRoundedBackground) {
  const WidgetCase& row = GetParam();
  const UsageWidgetContent content(row.snapshot, "", captured + 60, row.family, row.chinese,
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
  const std::string png = renderPng(content.body(), picture);
  if (const char* folder = std::getenv("VELTO_PICTURE_SAMPLES_DIR")) {
    std::filesystem::create_directories(folder);
    std::ofstream(std::filesystem::path(folder) / (row.name + ".png"), std::ios::binary) << png;
  }

  const PixelImage image(png);
  ASSERT_EQ(image.width(), static_cast<int>(picture.canvas.size.width) * 2);
  ASSERT_EQ(image.height(), static_cast<int>(picture.canvas.size.height) * 2);
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
                         [](const auto& generated) {
                           std::string name = generated.param.name;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace velto::render
