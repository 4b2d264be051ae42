// TimeZone: zone rules read from the one file of the system's tz database that holds them.
#include "TimeZone.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "BoundedRead.h"
#include "ZoneFile.h"

namespace velto::platform {

struct TimeZone::Rules {
  std::string name;
  ZoneFile zone;  // no transitions and one offset of 0: plain UTC
};

namespace {

namespace fs = std::filesystem;

constexpr std::string_view zoneinfoRoot = "/usr/share/zoneinfo/";
// Zone files are a few KiB; the largest of the database is under 4 KiB.
constexpr std::size_t zoneFileLimit = 256 * 1024;
constexpr std::int64_t secondsPerDay = 86'400;

// 0001-01-01T00:00:00Z up to, not including, 10000-01-01T00:00:00Z.
constexpr double earliestInstant = -62135596800.0;
constexpr double latestInstant = 253402300800.0;

std::int64_t wholeSecond(double instant) { return static_cast<std::int64_t>(std::floor(instant)); }

std::int64_t floorDivide(std::int64_t numerator, std::int64_t denominator) {
  const auto quotient = numerator / denominator;
  return quotient * denominator > numerator ? quotient - 1 : quotient;
}

// A name of the database as a path below its folder: components of letters, digits and "._+-", none of them
// "." or "..", so that no name reaches outside the folder. The folder also holds files in the zones' format
// that are no zones: the "Factory" placeholder, the default rules "posixrules", and the "posix/" and "right/"
// copies (the latter count leap seconds, which these rules leave out).
bool isZoneName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.back() == '/') return false;
  if (name == "Factory" || name == "posixrules" || name.starts_with("posix/") || name.starts_with("right/")) {
    return false;
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    const auto end = std::min(name.find('/', start), name.size());
    const auto component = name.substr(start, end - start);
    if (component.empty() || component == "." || component == "..") return false;
    for (const char c : component) {
      const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                         c == '.' || c == '_' || c == '+' || c == '-';
      if (!plain) return false;
    }
    start = end + 1;
  }
  return true;
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
  if (!isZoneName(name)) return std::nullopt;
  // Only the zone's own file is read; what is no zone file (zone.tab, a folder) is refused here.
  const auto read = readRegularFile(fs::path(zoneinfoRoot) / name, zoneFileLimit, SymbolicLinks::follow);
  if (!read.bytes || read.exceeds(zoneFileLimit)) return std::nullopt;
  auto zone = ZoneFile::parse(*read.bytes);
  if (!zone) return std::nullopt;
  return TimeZone(std::make_shared<const Rules>(Rules{std::string(name), std::move(*zone)}));
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
  static const auto rules = std::make_shared<const Rules>(Rules{"UTC", ZoneFile{{}, {0}}});
  return TimeZone(rules);
}

const std::string& TimeZone::name() const { return rules_->name; }

std::optional<double> TimeZone::startOfNextDay(double instant) const {
  if (!std::isfinite(instant) || instant < earliestInstant || instant >= latestInstant) return std::nullopt;
  const auto& zone = rules_->zone;
  const auto second = wholeSecond(instant);
  const auto midnight = (floorDivide(second + zone.offsetAt(second), secondsPerDay) + 1) * secondsPerDay;
  // The spans between transitions, each with its offset, in which local midnight falls: none in a gap, two
  // (or more, when clocks went back by a day) where local time repeats. Offsets stay within a day of each
  // other, so only the spans near midnight taken as UTC can hold it.
  const auto& transitions = zone.transitions;
  const auto near = static_cast<std::size_t>(
      std::upper_bound(transitions.begin(), transitions.end(), midnight) - transitions.begin());
  const auto spanStart = [&](std::size_t span) { return span == 0 ? INT64_MIN : transitions[span - 1]; };
  const auto spanEnd = [&](std::size_t span) { return span == transitions.size() ? INT64_MAX : transitions[span]; };
  const std::size_t first = near > 2 ? near - 2 : 0;
  const std::size_t last = std::min(near + 2, transitions.size());
  for (std::size_t span = first; span <= last; ++span) {
    const auto start = midnight - zone.offsets[span];
    // The day still ends at a later midnight when clocks set back across midnight put this one before `instant`.
    if (start >= spanStart(span) && start < spanEnd(span) && static_cast<double>(start) > instant) {
      return static_cast<double>(start);
    }
    // Midnight falls in the gap before the next span: the day starts where the gap ends.
    if (span < last && start >= spanEnd(span) && midnight - zone.offsets[span + 1] < spanEnd(span)) {
      return static_cast<double>(spanEnd(span));
    }
  }
  return static_cast<double>(midnight - zone.offsetAt(midnight));
}

long TimeZone::offsetAt(double instant) const {
  const double clamped = std::isnan(instant) ? 0.0 : std::clamp(instant, earliestInstant, latestInstant - 1.0);
  return static_cast<long>(rules_->zone.offsetAt(wholeSecond(clamped)));
}

}  // namespace velto::platform
