// Tests of a widget's menu: its words in both languages and the actions each item sets off.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "Golden.h"
#include "WidgetMenu.h"

namespace velto::desktop {
namespace {

std::string attribute(GMenuModel* model, int index, const char* name) {
  gchar* value = nullptr;
  if (!g_menu_model_get_item_attribute(model, index, name, "s", &value)) return "";
  std::string text(value);
  g_free(value);
  return text;
}

/// Every item as a line "label -> action(target)", depth first, submenus and sections flattened with their
/// titles as items without an action.
std::string flatten(GMenuModel* model) {
  std::string items;
  for (int index = 0; index < g_menu_model_get_n_items(model); ++index) {
    const std::string label = attribute(model, index, G_MENU_ATTRIBUTE_LABEL);
    GMenuModel* below = g_menu_model_get_item_link(model, index, G_MENU_LINK_SUBMENU);
    if (!below) below = g_menu_model_get_item_link(model, index, G_MENU_LINK_SECTION);
    if (below) {
      if (!label.empty()) items += label + " -> ()\n";
      items += flatten(below);
      g_object_unref(below);
      continue;
    }
    items += label + " -> " + attribute(model, index, G_MENU_ATTRIBUTE_ACTION) + "(" +
             attribute(model, index, G_MENU_ATTRIBUTE_TARGET) + ")\n";
  }
  return items;
}

// An agent's underscore is shown verbatim, not taken as a mnemonic.
TEST(WidgetMenu, OffersTheAgentsTheSizesAndTheWidgetsInTheUsersLanguage) {
  const std::filesystem::path goldens = std::filesystem::path(VELTO_FIXTURES_DIR) / "apps";
  const std::vector<MacUsageOption> options{{"automatic", "Automatic"}, {"provider:my_agent", "My_Agent"}};
  GMenu* english = widgetMenu(options, UsageWidgetFamily::small, false);
  testing_support::expectGolden(goldens / "menu.en.txt", flatten(G_MENU_MODEL(english)));
  g_object_unref(english);

  GMenu* chinese = widgetMenu({{"automatic", "自动"}}, UsageWidgetFamily::medium, true);
  testing_support::expectGolden(goldens / "menu.zh.txt", flatten(G_MENU_MODEL(chinese)));
  g_object_unref(chinese);
}

}  // namespace
}  // namespace velto::desktop
