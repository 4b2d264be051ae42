// VeltoMacUsageWidget and VeltoMacWidgets: the widget as the host lists it, and the bundle of widgets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "UsageWidgetFamily.h"

namespace velto {

/// The one widget: its kind, gallery texts and the families it is offered in.
struct VeltoMacUsageWidget {
  /// "com.velto.menubar.usage"
  static std::string_view kind();
  static std::string displayName(bool chinese);
  static std::string description(bool chinese);
  /// Small, then medium; no other size is offered.
  static std::vector<UsageWidgetFamily> supportedFamilies();
};

/// The widget bundle: the kinds of the widgets it lists (one).
struct VeltoMacWidgets {
  static std::vector<std::string_view> kinds();
};

}  // namespace velto
