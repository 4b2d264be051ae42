// Layout of whole widgets: the canvas, and the widget's real content trees laid out on it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "FakeTextMeasurer.h"
#include "Layout.h"
#include "LayoutTesting.h"
#include "UsageWidgetContent.h"

namespace velto {
namespace {

using namespace toolkit;
using testing_support::dumpLayout;
using testing_support::FakeTextMeasurer;
using testing_support::forEachBox;

constexpr Instant now = 1796126400;  // 2026-12-01 12:00 UTC

TEST(WidgetCanvas, FamiliesAndTheirContentRoom) {
  EXPECT_EQ(WidgetCanvas::small().size, (Size{170, 170}));
  EXPECT_EQ(WidgetCanvas::medium().size, (Size{364, 170}));
  EXPECT_EQ(WidgetCanvas::large().size, (Size{364, 382}));
  EXPECT_EQ(WidgetCanvas::small().contentRect(), (Rect{16, 16, 138, 138}));
  WidgetCanvas tight = WidgetCanvas::medium();
  tight.margin = 11;
  EXPECT_EQ(tight.contentRect(), (Rect{11, 11, 342, 148}));
  tight.margin = 200;
  EXPECT_EQ(tight.contentRect(), (Rect{200, 200, 0, 0}));
}

TEST(WidgetCanvas, ContentIsCentredInTheRoomInsideTheMargins) {
  const FakeTextMeasurer measurer;
  const auto box = layoutWidget(Text("Hi").font(Font::system(10)), WidgetCanvas::small(), measurer, TextSize::large);
  EXPECT_EQ(box.frame, (Rect{80, 79, 10, 12}));
  const auto filled =
      layoutWidget(Text("Hi").frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading}),
                   WidgetCanvas::medium(), measurer, TextSize::large);
  EXPECT_EQ(filled.frame, (Rect{16, 16, 332, 138}));
  EXPECT_EQ(filled.children.at(0).frame.x, 16);
  EXPECT_EQ(filled.children.at(0).frame.y, 16);
}

UsageWidgetWindow window(std::string kind, double percent, std::optional<std::string> tier = std::nullopt) {
  return {.label = kind,
          .kind = kind,
          .percent = percent,
          .resetAt = now + 3 * 3600,
          .observedAt = now - 60,
          .tier = std::move(tier)};
}

struct Scene {
  const char* name;
  std::vector<UsageWidgetAccount> accounts;
  std::string provider;
};

std::vector<Scene> scenes() {
  const UsageWidgetAccount windows{
      .id = "corvid:work",
      .agent = "corvid",
      .name = "Work account",
      .windows = {window("five_hour", 42), window("weekly", 87.5, "warn"), window("weekly_reef", 100, "full")},
      .observedAt = now - 60};
  const UsageWidgetAccount balance{
      .id = "kelp:main",
      .agent = "kelp",
      .name = "Kelp main",
      .wallets = {{"balance", "CNY", "1234.56"}, {"voucher", "CNY", "20"}, {"grant", "USD", "5.5"}},
      .observedAt = now - 60};
  const UsageWidgetAccount output{.id = "crane:local",
                                  .agent = "crane",
                                  .name = "Crane on this machine",
                                  .observedAt = now - 2000,
                                  .output = UsageWidgetOutput{"2026-12-01", 1234567, 9876543}};
  const UsageWidgetAccount unknown{.id = "mystery:1",
                                   .agent = "mystery",
                                   .name = "An account with a long name",
                                   .windows = {window("daily", 3)},
                                   .observedAt = now - 60};
  return {{"Windows", {windows}, ""},
          {"Balance", {balance}, ""},
          {"Output", {output}, ""},
          {"SideBySide", {windows, balance, output, unknown}, ""},
          {"Unmatched", {windows}, "gannet"}};
}

struct WidgetCase {
  std::string name;
  Scene scene;
  UsageWidgetFamily family;
  bool chinese;
  TextSize textSize;
};
void PrintTo(const WidgetCase& row, std::ostream* out) { *out << row.name; }

// Every scene in both families and languages, at the smallest size, the default, the largest before the
// accessible small layout, the first that takes it, and the largest of all.
std::vector<WidgetCase> widgetCases() {
  std::vector<WidgetCase> cases;
  for (const auto& scene : scenes()) {
    for (const auto family : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
      for (const bool chinese : {false, true}) {
        for (const auto size :
             {TextSize::xSmall, TextSize::large, TextSize::xLarge, TextSize::xxLarge, TextSize::accessibility5}) {
          cases.push_back({std::string(scene.name) + (family == UsageWidgetFamily::small ? "Small" : "Medium") +
                               (chinese ? "Chinese" : "English") + std::string(name(size)),
                           scene, family, chinese, size});
        }
      }
    }
  }
  return cases;
}

WidgetCanvas canvasFor(const WidgetCase& row) {
  return row.family == UsageWidgetFamily::small ? WidgetCanvas::small() : WidgetCanvas::medium();
}

LayoutBox laidOutWidget(const WidgetCase& row) {
  const UsageWidgetContent content({.server = "lab.example", .capturedAt = now - 60, .accounts = row.scene.accounts},
                                   row.scene.provider, now, row.family, row.chinese, row.textSize,
                                   {platform::TimeZone::utc(), "en_US", VELTO_AGENT_IMAGES_DIR});
  const FakeTextMeasurer measurer;
  return layoutWidget(content.body(), canvasFor(row), measurer, row.textSize);
}

// The layouts whose every text lies inside the room within 16-point margins with these metrics. The quota
// layouts need more height than the room's 138 points wherever their text is at `large`, the size the content
// caps every bigger one at: the small one 140.8 points (until the accessible layout takes over at xxLarge), the
// medium ones 144.8 side by side and 157.12 with three windows. The medium ones need more even at the smallest
// size (139.153 and 146.165). They overflow evenly above and below, as on the platform, and are checked across
// only.
bool fitsTheRoom(const WidgetCase& row) {
  const std::string scene = row.scene.name;
  if (scene != "Windows" && scene != "SideBySide") return true;
  if (row.family == UsageWidgetFamily::medium) return false;
  return row.textSize < TextSize::large || row.textSize >= TextSize::xxLarge;
}

class WholeWidget : public ::testing::TestWithParam<WidgetCase> {};

TEST_P(WholeWidget, NoTextIsWiderThanTheContentRoomAndAllAreMarkedPrivate) {
  const LayoutBox box = laidOutWidget(GetParam());
  const Rect room = canvasFor(GetParam()).contentRect();
  int texts = 0;
  forEachBox(box, [&](const LayoutBox& each) {
    if (const auto* text = std::get_if<DrawnText>(&each.drawn)) {
      ++texts;
      EXPECT_TRUE(each.frame.x >= room.x && each.frame.maxX() <= room.maxX()) << '"' << text->text << "\" is too wide";
      EXPECT_TRUE(each.privacySensitive) << '"' << text->text << "\" is not privacy-sensitive";
    }
  });
  EXPECT_GE(texts, 3);
  if (HasFailure()) ADD_FAILURE() << dumpLayout(box);
}

class WholeWidgetThatFits : public ::testing::TestWithParam<WidgetCase> {};

TEST_P(WholeWidgetThatFits, EveryTextLiesInsideTheContentRoom) {
  const LayoutBox box = laidOutWidget(GetParam());
  const Rect room = canvasFor(GetParam()).contentRect();
  forEachBox(box, [&](const LayoutBox& each) {
    if (const auto* text = std::get_if<DrawnText>(&each.drawn)) {
      EXPECT_TRUE(room.contains(each.frame)) << '"' << text->text << "\" leaves the content room";
    }
  });
  if (HasFailure()) ADD_FAILURE() << dumpLayout(box);
}

std::vector<WidgetCase> fittingCases() {
  auto cases = widgetCases();
  std::erase_if(cases, [](const WidgetCase& row) { return !fitsTheRoom(row); });
  return cases;
}

const auto caseName = [](const auto& row) { return row.param.name; };
INSTANTIATE_TEST_SUITE_P(Layout, WholeWidget, ::testing::ValuesIn(widgetCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Layout, WholeWidgetThatFits, ::testing::ValuesIn(fittingCases()), caseName);

}  // namespace
}  // namespace velto
