// Layout of whole widgets: the canvas, and the widget's real content trees laid out on it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FakeTextMeasurer.h"
#include "Layout.h"
#include "LayoutTesting.h"
#include "SnapshotJson.h"
#include "TestFiles.h"
#include "UsageWidgetContent.h"

namespace velto {
namespace {

using namespace toolkit;
using testing_support::dumpLayout;
using testing_support::FakeTextMeasurer;
using testing_support::forEachBox;

constexpr Instant now = 1796126400;  // 2026-12-01 12:00 UTC

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

struct WidgetCase {
  std::string name;
  std::string provider;  ///< the agent shown; empty: every agent; "quay": an agent without accounts
  UsageWidgetFamily family;
  bool chinese;
  TextSize textSize;
};

// Every provider in both families and languages, at the smallest size, the default, the largest before the
// accessible small layout, the first that takes it, and the largest of all.
std::vector<WidgetCase> widgetCases() {
  std::vector<WidgetCase> cases;
  for (const std::string provider : {"", "corvid", "crane", "dewpoint", "gannet", "quay"}) {
    for (const auto family : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
      for (const bool chinese : {false, true}) {
        for (const auto size :
             {TextSize::xSmall, TextSize::large, TextSize::xLarge, TextSize::xxLarge, TextSize::accessibility5}) {
          const std::string familyName = family == UsageWidgetFamily::small ? "Small" : "Medium";
          cases.push_back({(provider.empty() ? "All" : provider) + familyName + (chinese ? "Chinese" : "English") +
                               std::string(name(size)),
                           provider, family, chinese, size});
        }
      }
    }
  }
  return cases;
}

// The layouts whose every text lies inside the room within 16-point margins with these metrics. The quota
// layouts (every agent, corvid's, crane's) need more height than the room's 138 points wherever their text is
// at `large`, the size the content caps every bigger one at: the small one 140.8 points (until the accessible
// layout takes over at xxLarge), the medium ones 144.8 side by side and 145.8 for one account. The medium ones
// need more even at the smallest size (139.153 and 140.153). They overflow evenly above and below, as on the
// platform, and are checked across only.
bool fitsTheRoom(const WidgetCase& row) {
  if (row.provider != "" && row.provider != "corvid" && row.provider != "crane") return true;
  if (row.family == UsageWidgetFamily::medium) return false;
  return row.textSize < TextSize::large || row.textSize >= TextSize::xxLarge;
}

class WholeWidget : public ::testing::TestWithParam<WidgetCase> {};

TEST_P(WholeWidget, EveryTextKeepsToTheContentRoomAndIsMarkedPrivate) {
  const WidgetCase& row = GetParam();
  // Every kind of account, as the host writes them: windows (one without a reset time), balances, and
  // recorded output only.
  const auto snapshot = decodeSnapshot(testing_support::readFile(
      std::filesystem::path(VELTO_FIXTURES_DIR) / "reports" / "pass" / "every-account-kind.snapshot.json"));
  const UsageWidgetContent content(snapshot, row.provider, now, row.family, row.chinese, row.textSize,
                                   {platform::TimeZone::utc(), "en_US", VELTO_AGENT_IMAGES_DIR});
  const WidgetCanvas canvas = row.family == UsageWidgetFamily::small ? WidgetCanvas::small() : WidgetCanvas::medium();
  const FakeTextMeasurer measurer;
  const LayoutBox box = layoutWidget(content.body(), canvas, measurer, row.textSize);
  const Rect room = canvas.contentRect();
  int texts = 0;
  forEachBox(box, [&](const LayoutBox& each) {
    if (const auto* text = std::get_if<DrawnText>(&each.drawn)) {
      ++texts;
      EXPECT_TRUE(each.frame.x >= room.x && each.frame.maxX() <= room.maxX()) << '"' << text->text << "\" is too wide";
      EXPECT_TRUE(!fitsTheRoom(row) || room.contains(each.frame)) << '"' << text->text << "\" leaves the room";
      EXPECT_TRUE(each.privacySensitive) << '"' << text->text << "\" is not privacy-sensitive";
    }
  });
  EXPECT_GE(texts, 3);
  if (HasFailure()) ADD_FAILURE() << dumpLayout(box);
}

INSTANTIATE_TEST_SUITE_P(Layout, WholeWidget, ::testing::ValuesIn(widgetCases()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace velto
