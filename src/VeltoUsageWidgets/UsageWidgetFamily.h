// UsageWidgetFamily: the size classes a widget can be drawn in.
#pragma once

namespace velto {

/// The platform's system widget sizes. The widget is offered small and medium; every size but medium is
/// drawn with the small layout.
enum class UsageWidgetFamily { small, medium, large, extraLarge };

}  // namespace velto
