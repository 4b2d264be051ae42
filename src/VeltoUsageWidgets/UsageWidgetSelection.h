// UsageWidgetSelection: the configured agent value, the agent key it stands for, and the choices offered.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UsageWidgetSnapshot.h"

namespace velto {

/// One choice offered when the user configures a widget: the value stored (`id`) and its label (`name`).
struct UsageProviderChoice {
  std::string id;
  std::string name;

  friend bool operator==(const UsageProviderChoice&, const UsageProviderChoice&);
};

/// The vocabulary of the widget's one configuration value: absent or "automatic" (all accounts),
/// "provider:" and an agent key, or any other text taken as an agent key.
struct UsageWidgetSelection {
  static constexpr std::string_view automaticID = "automatic";
  static constexpr std::string_view providerPrefix = "provider:";

  /// The agent key a stored value stands for; empty means all accounts.
  static std::string provider(std::optional<std::string_view> value);

  /// The automatic choice, named `automaticName`, then one choice per distinct agent in order of first
  /// appearance, named after that agent's first account.
  static std::vector<UsageProviderChoice> choices(const UsageWidgetSnapshot& snapshot, std::string_view automaticName);
};

}  // namespace velto
