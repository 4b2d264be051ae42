// Tests of the entry view's choice between content and empty state, and of the widget's definition.
#include "MacUsageEntryView.h"

#include <gtest/gtest.h>

#include "Accessibility.h"
#include "Dump.h"
#include "VeltoMacUsageWidget.h"
#include "VisibleText.h"

namespace velto {
namespace {

using namespace toolkit;

constexpr Instant now = 1796126400;

UsageWidgetContentEnvironment environment() { return {platform::TimeZone::utc(), "en_US_POSIX", std::nullopt}; }

UsageWidgetSnapshot craneOnly() {
  UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = 40, .resetAt = now + 3600};
  return {.server = "local", .capturedAt = now, .accounts = {
      {.id = "crane", .agent = "crane", .name = "Crane", .windows = {window}, .observedAt = now}}};
}

MacUsageEntryView view(UsageWidgetSnapshot snapshot, std::string provider, bool chinese) {
  return {.entry = {now, share(std::move(snapshot)), std::move(provider)}, .chinese = chinese, .environment = environment()};
}

TEST(MacUsageEntryView, EmptyStateSaysWhyInBothLanguagesWithTextSizesCapped) {
  struct Case {
    UsageWidgetSnapshot snapshot;
    std::string provider;
    bool chinese;
    std::string spoken;
  };
  const Case cases[] = {
      {UsageWidgetSnapshot::empty(), "", false, "velto, Usage unavailable, Open velto to update usage on this Mac."},
      {craneOnly(), "corvid", false, "velto, Usage unavailable, This Mac has no current reading for this agent."},
      {craneOnly(), "corvid", true, "velto, 暂无用量数据, 本机暂无此 Agent 的当前读数。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(accessibilityElements(view(c.snapshot, c.provider, c.chinese).body()),
              std::vector<std::string>{c.spoken});
  }
  const Element emptyState = view(UsageWidgetSnapshot::empty(), "", false).emptyState();
  EXPECT_NE(describe(emptyState).find(" textSize=small...large"), std::string::npos) << describe(emptyState);
}

TEST(MacUsageEntryView, AnAccountOfTheAgentShowsTheContentAtTheEntrysDate) {
  const auto entryView = view(craneOnly(), "crane", false);
  const auto content = UsageWidgetContent(craneOnly(), "crane", now, UsageWidgetFamily::small, false,
                                          TextSize::large, environment());
  EXPECT_EQ(visibleTexts(entryView.body()), visibleTexts(content.body()));
}

TEST(MacUsageEntryView, EveryRenderingOpensUsageIsPrivateAndHasTheBackground) {
  for (const auto& entryView : {view(craneOnly(), "", false), view(UsageWidgetSnapshot::empty(), "", true)}) {
    const Element body = entryView.body();
    const Traits& traits = body.node().traits;
    EXPECT_EQ(traits.url, "velto://usage");
    EXPECT_TRUE(traits.privacySensitive);
    EXPECT_TRUE(traits.containerBackground);
  }
}

// The display name is the desktop window's title, in its own tests.
TEST(VeltoMacUsageWidget, DefinitionOffersSmallAndMediumUnderItsKind) {
  EXPECT_EQ(VeltoMacWidgets::kinds(), std::vector<std::string_view>{"com.velto.menubar.usage"});
  EXPECT_EQ(VeltoMacUsageWidget::supportedFamilies(),
            (std::vector<UsageWidgetFamily>{UsageWidgetFamily::small, UsageWidgetFamily::medium}));
  EXPECT_EQ(VeltoMacUsageWidget::description(false), "Quota or recorded output on this Mac.");
  EXPECT_EQ(VeltoMacUsageWidget::description(true), "本机额度或已记录的输出用量。");
}

}  // namespace
}  // namespace velto
