// WidgetMenu: a GMenu over the window's and the application's actions.
#include "WidgetMenu.h"

#include <gio/gio.h>

#include "DesktopState.h"
#include "UsageWidgetWords.h"

namespace velto::desktop {
namespace {

void appendItem(GMenu* menu, const std::string& label, const char* action, GVariant* target) {
  GMenuItem* item = g_menu_item_new(label.c_str(), nullptr);
  g_menu_item_set_action_and_target_value(item, action, target);
  g_menu_append_item(menu, item);
  g_object_unref(item);
}

}  // namespace

std::string verbatimLabel(std::string_view title) {
  std::string label;
  for (const char c : title) {
    label += c;
    if (c == '_') label += '_';
  }
  return label;
}

GMenu* widgetMenu(const std::vector<MacUsageOption>& options, UsageWidgetFamily family, bool chinese) {
  const auto word = [chinese](std::string_view english, std::string_view chineseText) {
    return UsageWidgetWords::text(english, chineseText, chinese);
  };
  GMenu* agents = g_menu_new();
  for (const auto& option : options) {
    appendItem(agents, verbatimLabel(option.title), "win.agent", g_variant_new_string(option.value.c_str()));
  }
  GMenu* sizes = g_menu_new();
  for (const auto size : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
    const std::string name(familyName(size));
    appendItem(sizes, size == UsageWidgetFamily::small ? word("Small", "小") : word("Medium", "中"), "win.size",
               g_variant_new_string(name.c_str()));
  }
  GMenu* widgets = g_menu_new();
  appendItem(widgets, word("Add widget", "添加小组件"), "app.add-widget",
             g_variant_new_string(std::string(familyName(family)).c_str()));
  appendItem(widgets, word("Remove widget", "移除小组件"), "win.remove", nullptr);
  appendItem(widgets, word("Quit", "退出"), "app.quit", nullptr);

  GMenu* menu = g_menu_new();
  g_menu_append_submenu(menu, word("Agent", "Agent").c_str(), G_MENU_MODEL(agents));
  g_menu_append_submenu(menu, word("Size", "尺寸").c_str(), G_MENU_MODEL(sizes));
  g_menu_append_section(menu, nullptr, G_MENU_MODEL(widgets));
  g_object_unref(agents);
  g_object_unref(sizes);
  g_object_unref(widgets);
  return menu;
}

}  // namespace velto::desktop
