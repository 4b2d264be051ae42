// Tests of the configured agent value, the accounts it selects and the choices offered.
#include "UsageWidgetSelection.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

using Ids = std::vector<std::string>;

const UsageWidgetSnapshot snapshot{.server = "local", .capturedAt = 1, .accounts = {
    {.id = "a:1", .agent = "corvid", .name = "Corvid Work"}, {.id = "b:1", .agent = "crane", .name = "Crane"},
    {.id = "a:2", .agent = "corvid", .name = "Corvid Home"}}};

Ids selectedIds(std::optional<std::string_view> value) {
  Ids ids;
  for (const auto& account : snapshot.selected(UsageWidgetSelection::provider(value))) ids.push_back(account.id);
  return ids;
}

TEST(UsageWidgetSelection, ProviderForEachKindOfStoredValue) {
  const std::pair<std::optional<std::string_view>, std::string> cases[] = {
      {std::nullopt, ""},           {"automatic", ""},       {"provider:crane", "crane"},
      {"provider:", ""},            {"crane", "crane"},      {"Automatic", "Automatic"},
      {"provider:provider:x", "provider:x"}, {"", ""},
  };
  for (const auto& [value, agent] : cases) {
    EXPECT_EQ(UsageWidgetSelection::provider(value), agent) << value.value_or("(absent)");
  }
}

// Each agent is offered once under its first account's name, and every choice, stored and read back, selects
// what it promised; an unknown or differently cased agent selects nothing.
TEST(UsageWidgetSelection, ChoicesOfferEachAgentOnceAndSelectItsAccounts) {
  const std::vector<UsageProviderChoice> expected{
      {"automatic", "Automatic"}, {"provider:corvid", "Corvid Work"}, {"provider:crane", "Crane"}};
  EXPECT_EQ(UsageWidgetSelection::choices(snapshot, "Automatic"), expected);
  EXPECT_EQ(UsageWidgetSelection::choices(UsageWidgetSnapshot::empty(), "自动"),
            (std::vector<UsageProviderChoice>{{"automatic", "自动"}}));
  EXPECT_EQ(selectedIds(expected[0].id), (Ids{"a:1", "b:1", "a:2"}));
  EXPECT_EQ(selectedIds(expected[1].id), (Ids{"a:1", "a:2"}));
  EXPECT_EQ(selectedIds(expected[2].id), Ids{"b:1"});
  EXPECT_EQ(selectedIds("gannet"), Ids{});
  EXPECT_EQ(selectedIds("Corvid"), Ids{});
}

}  // namespace
}  // namespace velto
