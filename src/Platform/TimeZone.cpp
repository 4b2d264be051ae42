// TimeZone: zone rules read from the system's tz database through the date library's OS-database mode.
#include "TimeZone.h"

#include <date/tz.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <exception>
#include <fstream>
#include <system_error>

#if !USE_OS_TZDB
#error "TimeZone must read the system's /usr/share/zoneinfo, not a downloaded or built-in database"
#endif

namespace velto::platform {

struct TimeZone::Rules {
  std::string name;
  const date::time_zone* zone;  // nullptr: plain UTC, for a system without a usable database

  std::chrono::seconds offsetAt(date::sys_seconds instant) const {
    return zone != nullptr ? zone->get_info(instant).offset : std::chrono::seconds{0};
  }

  date::local_info resolve(date::local_seconds local) const {
    if (zone != nullptr) return zone->get_info(local);
    date::local_info utc{};
    utc.result = date::local_info::unique;
    return utc;
  }
};

namespace {

namespace fs = std::filesystem;
using Seconds = std::chrono::seconds;

constexpr std::string_view zoneinfoRoot = "/usr/share/zoneinfo/";

// 0001-01-01T00:00:00Z up to, not including, 10000-01-01T00:00:00Z.
constexpr double earliestInstant = -62135596800.0;
constexpr double latestInstant = 253402300800.0;

date::sys_seconds wholeSecond(double instant) {
  return date::sys_seconds{Seconds{static_cast<std::int64_t>(std::floor(instant))}};
}

// A zone name from a path into a zoneinfo folder; the "posix/" copies hold the same zones.
std::optional<std::string> zoneNameAfter(std::string_view path, std::size_t rootLength) {
  std::string_view name = path.substr(rootLength);
  if (name.starts_with("posix/")) name.remove_prefix(6);
  if (name.empty()) return std::nullopt;
  return std::string(name);
}

// TZ holds a zone name, or an absolute path to a zone file of the system's database.
std::optional<std::string> zoneNameOfTz(std::string_view value) {
  if (value.starts_with(':')) value.remove_prefix(1);
  if (!value.starts_with('/')) return std::string(value);
  const auto path = fs::path(value).lexically_normal().string();
  if (!std::string_view(path).starts_with(zoneinfoRoot)) return std::nullopt;
  return zoneNameAfter(path, zoneinfoRoot.size());
}

// /etc/localtime is by convention a symbolic link into a zoneinfo folder, wherever the system keeps it.
std::optional<std::string> zoneNameOfLink(const fs::path& link) {
  std::error_code error;
  const auto target = fs::read_symlink(link, error);
  if (error) return std::nullopt;
  const auto path = (target.is_absolute() ? target : link.parent_path() / target).lexically_normal().string();
  const auto at = path.rfind("/zoneinfo/");
  if (at == std::string::npos) return std::nullopt;
  return zoneNameAfter(path, at + std::string_view("/zoneinfo/").size());
}

// Debian's /etc/timezone: the zone name on the first line.
std::optional<std::string> zoneNameOfFile(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  char buffer[256];
  stream.read(buffer, sizeof buffer);
  std::string_view text(buffer, static_cast<std::size_t>(stream.gcount()));
  text = text.substr(0, text.find('\n'));
  const auto last = text.find_last_not_of(" \t\r");
  if (last == std::string_view::npos) return std::nullopt;
  text = text.substr(0, last + 1);
  text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
  return std::string(text);
}

}  // namespace

std::optional<TimeZone> TimeZone::named(std::string_view name) {
  if (name.empty()) return std::nullopt;
  try {
    const date::time_zone* zone = date::locate_zone(name);
    // The database lists every file under its folder; reading the zone now refuses one that is no zone file,
    // and leaves nothing to fail later.
    (void)zone->get_info(date::sys_seconds{});
    return TimeZone(std::make_shared<const Rules>(Rules{std::string(name), zone}));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

TimeZone TimeZone::current() { return current(processEnvironment, "/etc/localtime", "/etc/timezone"); }

TimeZone TimeZone::current(const EnvironmentLookup& environment, const fs::path& localtimeLink,
                           const fs::path& timezoneFile) {
  // Each source is read only when the ones before it name no zone of the database.
  const auto tz = environment("TZ");
  if (auto name = tz ? zoneNameOfTz(*tz) : std::nullopt) {
    if (auto zone = named(*name)) return *zone;
  }
  if (auto name = zoneNameOfLink(localtimeLink)) {
    if (auto zone = named(*name)) return *zone;
  }
  if (auto name = zoneNameOfFile(timezoneFile)) {
    if (auto zone = named(*name)) return *zone;
  }
  return utc();
}

TimeZone TimeZone::utc() {
  // UTC has no transitions, so the database's copy would say nothing that the plain rules do not.
  static const auto rules = std::make_shared<const Rules>(Rules{"UTC", nullptr});
  return TimeZone(rules);
}

const std::string& TimeZone::name() const { return rules_->name; }

std::optional<double> TimeZone::startOfNextDay(double instant) const {
  if (!std::isfinite(instant) || instant < earliestInstant || instant >= latestInstant) return std::nullopt;
  const auto second = wholeSecond(instant);
  const date::local_seconds local{second.time_since_epoch() + rules_->offsetAt(second)};
  const date::local_seconds midnight{date::floor<date::days>(local) + date::days{1}};
  const auto info = rules_->resolve(midnight);
  const auto at = [&](Seconds offset) { return date::sys_seconds{midnight.time_since_epoch() - offset}; };
  date::sys_seconds start;
  switch (info.result) {
    case date::local_info::nonexistent:
      start = info.second.begin;  // the end of the gap
      break;
    case date::local_info::ambiguous:
      start = at(info.first.offset);
      // Clocks set back across midnight can put the first midnight before `instant`; the day still ends
      // at the second one.
      if (static_cast<double>(start.time_since_epoch().count()) <= instant) start = at(info.second.offset);
      break;
    default:
      start = at(info.first.offset);
      break;
  }
  return static_cast<double>(start.time_since_epoch().count());
}

long TimeZone::offsetAt(double instant) const {
  const double clamped = std::isnan(instant) ? 0.0 : std::clamp(instant, earliestInstant, latestInstant - 1.0);
  return static_cast<long>(rules_->offsetAt(wholeSecond(clamped)).count());
}

}  // namespace velto::platform
