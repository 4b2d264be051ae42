// WidgetLook: how every widget on the desktop is drawn now: language, scheme, text size, redaction.
#pragma once

#include "Palette.h"
#include "TextSize.h"
#include "UsageWidgetContent.h"

namespace velto::desktop {

/// What the widgets share and redraw with when it changes: the user's language and the desktop's scheme and
/// text size (or what the command line fixed), and the surroundings the content reads.
struct WidgetLook {
  bool chinese = false;
  render::ColorScheme scheme = render::ColorScheme::light;
  toolkit::TextSize textSize = toolkit::TextSize::large;
  bool redacted = false;
  UsageWidgetContentEnvironment environment;
};

}  // namespace velto::desktop
