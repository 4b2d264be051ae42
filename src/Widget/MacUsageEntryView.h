// MacUsageEntryView: the view of one timeline entry: the content, or the widget's own empty state.
#pragma once

#include "Element.h"
#include "MacUsageEntry.h"
#include "TextSize.h"
#include "UsageWidgetContent.h"
#include "UsageWidgetFamily.h"

namespace velto {

/// A plain function of the entry and what the host renders it with: the family, the language, the user's
/// text size and the content's surroundings.
struct MacUsageEntryView {
  MacUsageEntry entry;
  UsageWidgetFamily family = UsageWidgetFamily::small;
  bool chinese = false;
  toolkit::TextSize textSize = toolkit::TextSize::large;
  UsageWidgetContentEnvironment environment;

  /// The content when the entry's snapshot holds an account for its provider, else the empty state; either
  /// opens "velto://usage" when tapped, is privacy-sensitive and sits on the widget's background.
  toolkit::Element body() const;

  /// "Usage unavailable", with an invitation to open velto (automatic) or a note that this agent has no
  /// current reading (configured agent); text size capped to small...large.
  toolkit::Element emptyState() const;
};

}  // namespace velto
