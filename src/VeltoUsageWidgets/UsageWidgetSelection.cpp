// UsageWidgetSelection: from a configured value to accounts, and from a snapshot to the choices offered.
#include "UsageWidgetSelection.h"

#include <algorithm>

#include "UnicodeText.h"

namespace velto {

bool operator==(const UsageProviderChoice& a, const UsageProviderChoice& b) {
  return canonicallyEqual(a.id, b.id) && canonicallyEqual(a.name, b.name);
}

std::string UsageWidgetSelection::provider(std::optional<std::string_view> value) {
  if (!value || *value == automaticID) return {};
  if (value->starts_with(providerPrefix)) return std::string(value->substr(providerPrefix.size()));
  return std::string(*value);
}

std::vector<UsageProviderChoice> UsageWidgetSelection::choices(const UsageWidgetSnapshot& snapshot,
                                                               std::string_view automaticName) {
  std::vector<UsageProviderChoice> choices{{std::string(automaticID), std::string(automaticName)}};
  // At most 80 accounts reach here (the store validates), so a linear search of the agents seen is enough
  // and keeps text equality canonical.
  std::vector<std::string_view> seen;
  for (const auto& account : snapshot.accounts) {
    const bool known = std::any_of(seen.begin(), seen.end(),
                                   [&](std::string_view agent) { return canonicallyEqual(agent, account.agent); });
    if (known) continue;
    seen.push_back(account.agent);
    choices.push_back({std::string(providerPrefix) + account.agent, account.name});
  }
  return choices;
}

std::vector<UsageWidgetAccount> UsageWidgetSnapshot::selected(std::string_view agent) const {
  if (agent.empty()) return accounts;
  std::vector<UsageWidgetAccount> matching;
  for (const auto& account : accounts) {
    if (canonicallyEqual(account.agent, agent)) matching.push_back(account);
  }
  return matching;
}

}  // namespace velto
