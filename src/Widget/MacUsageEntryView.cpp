// MacUsageEntryView: the decision between content and empty state, and the wrapping every rendering gets.
#include "MacUsageEntryView.h"

#include "MacUsageWidgetContainer.h"
#include "UsageWidgetWords.h"

namespace velto {

using namespace toolkit;

Element MacUsageEntryView::emptyState() const {
  const std::string message =
      entry.provider.empty()
          ? UsageWidgetWords::text("Open velto to update usage on this Mac.", "打开 velto，更新本机用量。", chinese)
          : UsageWidgetWords::text("This Mac has no current reading for this agent.", "本机暂无此 Agent 的当前读数。", chinese);
  return VStack(HorizontalAlignment::leading, 6,
                {Label("velto", "square.split.2x2").font(Font::headline()),
                 Text(UsageWidgetWords::text("Usage unavailable", "暂无用量数据", chinese))
                     .font(Font::subheadline().weight(FontWeight::semibold)),
                 Text(message).font(Font::caption()).foregroundStyle(Color::secondary())})
      .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading})
      .accessibilityElement(AccessibilityChildren::combine)
      .dynamicTypeSize(TextSize::small, TextSize::large);
}

Element MacUsageEntryView::body() const {
  const Element content =
      entry.snapshot->selected(entry.provider).empty()
          ? emptyState()
          : UsageWidgetContent(*entry.snapshot, entry.provider, entry.date, family, chinese, textSize, environment)
                .body();
  return content.widgetURL(std::string(MacUsageWidgetContainer::usageURL)).privacySensitive().containerBackground();
}

}  // namespace velto
