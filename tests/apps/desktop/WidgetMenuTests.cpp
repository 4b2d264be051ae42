// Tests of a widget's menu: its words in both languages and the actions each item sets off.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include "WidgetMenu.h"

namespace velto::desktop {
namespace {

/// One item as a menu shows it: its label, its action and the action's target (empty for none).
struct Item {
  std::string label;
  std::string action;
  std::string target;
  friend bool operator==(const Item&, const Item&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Item& item) {
    return out << item.label << " -> " << item.action << "(" << item.target << ")";
  }
};

std::string attribute(GMenuModel* model, int index, const char* name) {
  gchar* value = nullptr;
  if (!g_menu_model_get_item_attribute(model, index, name, "s", &value)) return "";
  std::string text(value);
  g_free(value);
  return text;
}

/// Every item, depth first, submenus and sections flattened with their titles as items without an action.
std::vector<Item> flatten(GMenuModel* model) {
  std::vector<Item> items;
  for (int index = 0; index < g_menu_model_get_n_items(model); ++index) {
    const std::string label = attribute(model, index, G_MENU_ATTRIBUTE_LABEL);
    GMenuModel* below = g_menu_model_get_item_link(model, index, G_MENU_LINK_SUBMENU);
    if (!below) below = g_menu_model_get_item_link(model, index, G_MENU_LINK_SECTION);
    if (below) {
      if (!label.empty()) items.push_back({label, "", ""});
      for (auto& item : flatten(below)) items.push_back(std::move(item));
      g_object_unref(below);
      continue;
    }
    items.push_back({label, attribute(model, index, G_MENU_ATTRIBUTE_ACTION),
                     attribute(model, index, G_MENU_ATTRIBUTE_TARGET)});
  }
  return items;
}

TEST(WidgetMenu, OffersTheAgentsTheSizesAndTheWidgetsInTheUsersLanguage) {
  const std::vector<MacUsageOption> options{{"automatic", "Automatic"}, {"provider:my_agent", "My_Agent"}};
  GMenu* english = widgetMenu(options, UsageWidgetFamily::small, false);
  EXPECT_EQ(flatten(G_MENU_MODEL(english)),
            (std::vector<Item>{{"Agent", "", ""},
                               {"Automatic", "win.agent", "automatic"},
                               {"My__Agent", "win.agent", "provider:my_agent"},  // shown verbatim, no mnemonic
                               {"Size", "", ""},
                               {"Small", "win.size", "small"},
                               {"Medium", "win.size", "medium"},
                               {"Add widget", "app.add-widget", "small"},
                               {"Remove widget", "win.remove", ""},
                               {"Quit", "app.quit", ""}}));
  g_object_unref(english);

  GMenu* chinese = widgetMenu({{"automatic", "自动"}}, UsageWidgetFamily::medium, true);
  EXPECT_EQ(flatten(G_MENU_MODEL(chinese)),
            (std::vector<Item>{{"Agent", "", ""},
                               {"自动", "win.agent", "automatic"},
                               {"尺寸", "", ""},
                               {"小", "win.size", "small"},
                               {"中", "win.size", "medium"},
                               {"添加小组件", "app.add-widget", "medium"},
                               {"移除小组件", "win.remove", ""},
                               {"退出", "app.quit", ""}}));
  g_object_unref(chinese);
}

}  // namespace
}  // namespace velto::desktop
