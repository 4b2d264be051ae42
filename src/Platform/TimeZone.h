// TimeZone: local calendar days under the system's time-zone rules.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Environment.h"

namespace velto::platform {

/// The rules of one zone of the system's tz database (/usr/share/zoneinfo), never a library's built-in copy,
/// so that zones whose rules changed recently are right. Cheap to copy; safe to share between threads.
/// Past the last transition a zone file lists (2037 for zones with daylight saving time), the offset of that
/// transition holds.
class TimeZone {
 public:
  /// The user's zone: `TZ` when it names a zone of the database (an optional leading ':' allowed), else the
  /// system's /etc/localtime, else UTC.
  static TimeZone current();
  /// The same from the given environment and system files: `TZ` as a zone name or as an absolute path
  /// into /usr/share/zoneinfo, else the zone `localtimeLink` points to, else the first line of
  /// `timezoneFile`, else UTC.
  static TimeZone current(const EnvironmentLookup& environment, const std::filesystem::path& localtimeLink,
                          const std::filesystem::path& timezoneFile);
  /// The zone of that name ("Europe/Berlin", "UTC"); nothing when the database has no such zone.
  static std::optional<TimeZone> named(std::string_view name);
  /// Coordinated universal time, named "UTC". Needs no database, so it cannot fail: the zone to fall back
  /// on, and the one tests take for granted.
  static TimeZone utc();

  /// The zone's name in the database.
  const std::string& name() const;

  /// The first instant of the local day after the one that holds `instant` (seconds since 1970; a fraction
  /// belongs to its whole second): the next local midnight, the earlier one when midnight happens twice, or,
  /// on a day whose midnight does not exist, the first instant after the gap. Nothing when the instant is not
  /// finite or lies outside the years 1 to 9999 (UTC).
  std::optional<double> startOfNextDay(double instant) const;

  /// The offset from UTC in seconds at `instant` (its whole second); an instant outside the range that
  /// startOfNextDay accepts is taken at the nearest end of that range, a NaN at 1970.
  long offsetAt(double instant) const;

  struct Rules;  // defined where the zone is read

 private:
  explicit TimeZone(std::shared_ptr<const Rules> rules) : rules_(std::move(rules)) {}
  std::shared_ptr<const Rules> rules_;
};

}  // namespace velto::platform
