// TimeZone: local calendar days under the system's time-zone rules.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velto::platform {

/// The rules of one zone of the system's tz database (/usr/share/zoneinfo), never a library's built-in copy,
/// so that zones whose rules changed recently are right. Cheap to copy; safe to share between threads.
class TimeZone {
 public:
  /// The user's zone: `TZ` when it names a zone of the database (an optional leading ':' allowed), else the
  /// system's /etc/localtime, else UTC.
  static TimeZone current();
  /// The zone of that name ("Europe/Berlin", "UTC"); nothing when the database has no such zone.
  static std::optional<TimeZone> named(std::string_view name);

  /// The zone's name in the database.
  const std::string& name() const;

  /// The first instant of the local day after the one that holds `instant` (seconds since 1970): the next
  /// local midnight, or, on a day whose midnight does not exist, the first instant of that day that does.
  /// Nothing when the instant is not finite or lies beyond what the calendar can express.
  std::optional<double> startOfNextDay(double instant) const;

  /// The offset from UTC in seconds at `instant`.
  long offsetAt(double instant) const;

  struct Rules;  // defined where the zone is read

 private:
  explicit TimeZone(std::shared_ptr<const Rules> rules) : rules_(std::move(rules)) {}
  std::shared_ptr<const Rules> rules_;
};

}  // namespace velto::platform
