// Tests of the configured agent value, the accounts it selects and the choices offered.
#include "UsageWidgetSelection.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

UsageWidgetAccount account(std::string id, std::string agent, std::string name) {
  return {.id = std::move(id), .agent = std::move(agent), .name = std::move(name)};
}

const UsageWidgetSnapshot snapshot{.server = "local", .capturedAt = 1, .accounts = {
    account("a:1", "corvid", "Corvid Work"), account("b:1", "crane", "Crane"), account("a:2", "corvid", "Corvid Home")}};

std::vector<std::string> ids(const std::vector<UsageWidgetAccount>& accounts) {
  std::vector<std::string> result;
  for (const auto& a : accounts) result.push_back(a.id);
  return result;
}

TEST(UsageWidgetSelection, ProviderForEachKindOfStoredValue) {
  struct Case {
    std::optional<std::string_view> value;
    std::string agent;
  };
  const Case cases[] = {
      {std::nullopt, ""},           {"automatic", ""},       {"provider:crane", "crane"},
      {"provider:", ""},            {"crane", "crane"},      {"Automatic", "Automatic"},
      {"provider:provider:x", "provider:x"}, {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UsageWidgetSelection::provider(c.value), c.agent) << c.value.value_or("(absent)");
  }
}

TEST(UsageWidgetSelection, ChoicesOfferEachAgentOnceUnderItsFirstAccountsName) {
  const std::vector<UsageProviderChoice> expected{
      {"automatic", "Automatic"}, {"provider:corvid", "Corvid Work"}, {"provider:crane", "Crane"}};
  EXPECT_EQ(UsageWidgetSelection::choices(snapshot, "Automatic"), expected);
  EXPECT_EQ(UsageWidgetSelection::choices(UsageWidgetSnapshot::empty(), "自动"),
            (std::vector<UsageProviderChoice>{{"automatic", "自动"}}));
}

// Every offered choice, stored and read back, selects what it promised.
TEST(UsageWidgetSelection, EachChoiceSelectsItsAccounts) {
  const auto choices = UsageWidgetSelection::choices(snapshot, "Automatic");
  EXPECT_EQ(ids(snapshot.selected(UsageWidgetSelection::provider(choices[0].id))),
            (std::vector<std::string>{"a:1", "b:1", "a:2"}));
  EXPECT_EQ(ids(snapshot.selected(UsageWidgetSelection::provider(choices[1].id))),
            (std::vector<std::string>{"a:1", "a:2"}));
  EXPECT_EQ(ids(snapshot.selected(UsageWidgetSelection::provider(choices[2].id))), std::vector<std::string>{"b:1"});
}

TEST(UsageWidgetSnapshotSelected, UnknownOrDifferentlyCasedAgentSelectsNothing) {
  EXPECT_TRUE(snapshot.selected("gannet").empty());
  EXPECT_TRUE(snapshot.selected("Corvid").empty());
  EXPECT_TRUE(UsageWidgetSnapshot::empty().selected("").empty());
}

}  // namespace
}  // namespace velto
