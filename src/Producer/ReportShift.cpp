// ReportShift: one walk over the report to find its newest reading and last day, one to copy it with both moved.
#include "ReportShift.h"

#include <algorithm>
#include <chrono>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "JsonReading.h"
#include "JsonWriter.h"

namespace velto::producer {
namespace {

namespace chrono = std::chrono;
using simdjson::dom::element;
using simdjson::dom::element_type;

// A value's path is the keys that lead to it; array positions leave no trace.
constexpr std::array<std::string_view, 3> readingPaths = {"limits.windows.observed_at", "limits.balances.observed_at",
                                                          "history.scanned_at"};
constexpr std::string_view resetPath = "limits.windows.reset_unix";
constexpr std::string_view dayPath = "history.days.date";

bool isReading(std::string_view path) {
  return std::find(readingPaths.begin(), readingPaths.end(), path) != readingPaths.end();
}

/// A whole number, however it is written (the format's reader takes 100.0 as 100); nothing for anything else.
std::optional<std::int64_t> wholeNumber(element value) {
  if (value.type() == element_type::INT64) return value.get_int64().value_unsafe();
  if (value.type() != element_type::DOUBLE) return std::nullopt;
  const double number = value.get_double().value_unsafe();
  if (number != std::trunc(number) || std::fabs(number) >= 0x1p53) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

std::optional<int> digits(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.front() == '-') return std::nullopt;
  return number;
}

/// "2026-12-01" as a day; nothing unless it is a calendar day written in that form.
std::optional<chrono::sys_days> parseDay(element value) {
  std::string_view text;
  if (value.get_string().get(text) || text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = digits(text.substr(0, 4));
  const auto month = digits(text.substr(5, 2));
  const auto day = digits(text.substr(8, 2));
  if (!year || !month || !day) return std::nullopt;
  const chrono::year_month_day date{chrono::year{*year}, chrono::month{static_cast<unsigned>(*month)},
                                    chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok()) return std::nullopt;
  return chrono::sys_days(date);
}

/// Walks a document depth first, telling `visitor` of each container, key and other value (with its path).
template <typename Visitor>
void walk(element value, std::string& path, Visitor& visitor) {
  switch (value.type()) {
    case element_type::OBJECT: {
      // A copy: value_unsafe() refers into the result it is called on, which a range-for would outlive.
      const simdjson::dom::object members = value.get_object().value_unsafe();
      visitor.beginObject();
      for (const auto member : members) {
        visitor.key(member.key);
        const auto restore = path.size();
        if (!path.empty()) path += '.';
        path += member.key;
        walk(member.value, path, visitor);
        path.resize(restore);
      }
      visitor.endObject();
      break;
    }
    case element_type::ARRAY: {
      const simdjson::dom::array items = value.get_array().value_unsafe();
      visitor.beginArray();
      for (const element item : items) walk(item, path, visitor);
      visitor.endArray();
      break;
    }
    default: visitor.value(path, value);
  }
}

/// The first walk: the newest reading, and the day of the last entry of history.days.
struct Scan {
  std::optional<std::int64_t> newestReading;
  std::optional<chrono::sys_days> lastDay;

  void beginObject() {}
  void endObject() {}
  void beginArray() {}
  void endArray() {}
  void key(std::string_view) {}
  void value(std::string_view path, element value) {
    if (isReading(path)) {
      const auto reading = wholeNumber(value);
      if (reading && *reading >= 1) newestReading = std::max(newestReading.value_or(*reading), *reading);
    } else if (path == dayPath) {
      lastDay = parseDay(value);  // the last one counts, also when it is no day
    }
  }
};

/// The second walk: the copy, with instants and days moved.
struct Copy {
  JsonWriter out;
  std::int64_t seconds = 0;
  chrono::days days{0};

  void beginObject() { out.beginObject(); }
  void endObject() { out.endObject(); }
  void beginArray() { out.beginArray(); }
  void endArray() { out.endArray(); }
  void key(std::string_view name) { out.key(name); }

  void value(std::string_view path, element value) {
    if (isReading(path) || path == resetPath) {
      const auto instant = wholeNumber(value);
      std::int64_t moved = 0;
      if (instant && *instant >= 1 && !__builtin_add_overflow(*instant, seconds, &moved)) {
        out.integer(moved);
        return;
      }
    } else if (path == dayPath) {
      if (const auto day = parseDay(value)) {
        const chrono::year_month_day date(*day + days);
        if (date.year() >= chrono::year{0} && date.year() <= chrono::year{9999}) {
          char text[16];
          std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
          out.string(text);
          return;
        }
      }
    }
    switch (value.type()) {
      case element_type::INT64: out.integer(value.get_int64().value_unsafe()); break;
      // Beyond 64 signed bits the format refuses the number anyway; as a double it stays a number.
      case element_type::UINT64: out.number(static_cast<double>(value.get_uint64().value_unsafe())); break;
      case element_type::DOUBLE: out.number(value.get_double().value_unsafe()); break;
      case element_type::STRING: out.string(value.get_string().value_unsafe()); break;
      case element_type::BOOL: out.boolean(value.get_bool().value_unsafe()); break;
      default: out.null(); break;
    }
  }
};

}  // namespace

std::string shiftReport(std::string_view report, Instant at, const platform::TimeZone& zone) {
  if (!(std::fabs(at) < 0x1p62)) throw std::invalid_argument("the time is out of range");
  const auto whole = static_cast<std::int64_t>(std::floor(at));
  const chrono::sys_seconds local{chrono::seconds(whole + zone.offsetAt(at))};
  const chrono::sys_days today = chrono::floor<chrono::days>(local);
  return json::decodeDocument(report, [&](element root, JsonPath&) {
    std::string path;
    Scan scan;
    walk(root, path, scan);
    Copy copy;
    if (scan.newestReading) copy.seconds = whole - *scan.newestReading;
    if (scan.lastDay) copy.days = today - *scan.lastDay;
    walk(root, path, copy);
    return std::move(copy.out).text() + '\n';
  });
}

}  // namespace velto::producer
