// WidgetMenu: the menu of a widget: its agent, its size, adding and removing widgets, quitting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "MacUsageConfiguration.h"
#include "UsageWidgetFamily.h"

extern "C" {
typedef struct _GMenu GMenu;
}

namespace velto::desktop {

/// The menu model, its texts in English or Chinese: Agent (one radio item per option, value in
/// "win.agent"), Size (Small and Medium in "win.size"), then Add widget ("app.add-widget", a widget of
/// `family`), Remove widget ("win.remove") and Quit ("app.quit"). Option titles are shown verbatim. The
/// caller owns the model (g_object_unref).
GMenu* widgetMenu(const std::vector<MacUsageOption>& options, UsageWidgetFamily family, bool chinese);

/// `title` as a menu label that shows it verbatim: each "_" doubled, so none becomes a mnemonic.
std::string verbatimLabel(std::string_view title);

}  // namespace velto::desktop
