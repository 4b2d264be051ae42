// MacUsageWidgetContainer: the identity the widget and its host share: kind, group, store and tap URL.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Bundle.h"
#include "Environment.h"
#include "UsageSnapshotStore.h"

namespace velto {

/// Static members only. The application group must be the signing team's ten-character identifier followed by
/// ".com.velto.menubar.usage"; the bundle's Info.plist repeats both so that they can be checked at run time.
struct MacUsageWidgetContainer {
  /// The widget kind given to the widget host.
  static constexpr std::string_view kind = "com.velto.menubar.usage";
  static constexpr std::string_view groupSuffix = ".com.velto.menubar.usage";
  static constexpr std::string_view teamKey = "VeltoSigningTeam";
  static constexpr std::string_view groupKey = "VeltoUsageGroup";
  /// The one URL the widget opens when tapped.
  static constexpr std::string_view usageURL = "velto://usage";

  /// `group` when `team` is a signing-team identifier (ten upper-case ASCII letters or digits, searched for as
  /// the regular expression "^[A-Z0-9]{10}$") and `group` is exactly that team followed by the suffix.
  static std::optional<std::string> groupIdentifier(std::string_view team, std::string_view group);

  /// The store over "UsageWidget" in the checked group's container of `bundle`; a store without a directory
  /// when a key is missing or not text, the identity does not check out, or there is no container.
  static UsageSnapshotStore store(const std::optional<platform::Bundle>& bundle,
                                  const platform::EnvironmentLookup& environment = platform::processEnvironment);
  /// The same for the running program, resolved anew on every call.
  static UsageSnapshotStore store();

  /// True only for exactly "velto://usage" (a path of "/" allowed): no other path, user, password, port,
  /// query or fragment; scheme and host compare case-sensitively.
  static bool opensUsage(std::string_view url);
};

}  // namespace velto
