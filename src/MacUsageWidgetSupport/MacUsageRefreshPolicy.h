// MacUsageRefreshPolicy: the host's throttle for starting refreshes and reloading the widget.
#pragma once

#include <optional>

#include "Instant.h"

namespace velto {

/// Refresh starts at least 60 seconds apart, widget reloads at least 300 seconds apart, each measured from
/// the last successful call of the same operation. A plain value owned by one caller; not locked.
class MacUsageRefreshPolicy {
 public:
  static constexpr double minimumStartInterval = 60;
  static constexpr double minimumReloadInterval = 300;

  /// True when a refresh begun and not yet finished is in progress.
  bool refreshing() const { return refreshing_; }

  /// Whether a refresh may begin `at` this instant; when it may, it is marked as begun.
  bool begin(bool configured, Instant at);

  /// Ends the refresh in progress; whether the widget should now be reloaded.
  bool finish(bool published, Instant at);

 private:
  bool refreshing_ = false;
  std::optional<Instant> lastStarted_;
  std::optional<Instant> lastReloaded_;
};

}  // namespace velto
