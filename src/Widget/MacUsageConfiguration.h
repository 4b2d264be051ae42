// MacUsageConfiguration and MacUsageOptions: the widget's one setting and the values offered for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UsageSnapshotStore.h"

namespace velto {

/// The configuration a widget instance carries: which agent it shows (absent until the user picks one).
struct MacUsageConfiguration {
  static constexpr std::string_view title = "Agent usage";
  static constexpr std::string_view agentParameterTitle = "Agent";

  std::optional<std::string> agent;

  friend bool operator==(const MacUsageConfiguration&, const MacUsageConfiguration&) = default;
};

/// One value the user may pick: stored as `value`, shown as `title` verbatim.
struct MacUsageOption {
  std::string value;
  std::string title;

  friend bool operator==(const MacUsageOption&, const MacUsageOption&) = default;
};

/// The options offered for `agent`: one untitled section, in the order the choices come.
struct MacUsageOptions {
  /// The automatic choice (named in the user's language), then one option per agent of the stored snapshot.
  static std::vector<MacUsageOption> results(const UsageSnapshotStore& store, bool chinese);
  /// The value a newly placed widget behaves as if it had: "automatic".
  static std::string defaultResult();
};

}  // namespace velto
