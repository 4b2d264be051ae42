// SnapshotValidation: the value rules a snapshot must satisfy, and the first one it breaks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "UsageWidgetSnapshot.h"

namespace velto {

/// A broken rule: where (a JSON path such as "accounts[2].windows[0].percent") and which rule, in words.
struct ValidationFailure {
  std::string path;
  std::string rule;

  /// "path: rule"
  std::string describe() const { return path + ": " + rule; }
  friend bool operator==(const ValidationFailure&, const ValidationFailure&) = default;
};

/// The first rule, in the order the format fixes, that `snapshot` breaks; nothing when it breaks none.
std::optional<ValidationFailure> firstValidationFailure(const UsageWidgetSnapshot& snapshot);

/// True when `day` is a real Gregorian day written "yyyy-MM-dd" (the text alone, no line terminator).
/// Four-digit years from 1600 are decided by arithmetic, everything else by ICU's strict parse and format.
bool isCalendarDay(std::string_view day);

}  // namespace velto
