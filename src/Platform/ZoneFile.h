// ZoneFile: the offsets from UTC that one compiled zone file of the tz database lists.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velto::platform {

/// The transitions of a TZif file (RFC 8536) of version 2 or later, from its 64-bit block: the header and
/// the 32-bit version-1 block before it are skipped, and so are leap seconds, abbreviations and the footer's
/// rule for times after the last transition (the last listed offset holds from there on).
struct ZoneFile {
  /// Ascending instants, in seconds since 1970, at which the offset changes.
  std::vector<std::int64_t> transitions;
  /// One more than `transitions`: offsets[0] holds before the first transition (the file's first local time
  /// type), offsets[i + 1] from transitions[i] on. Seconds east of UTC.
  std::vector<std::int32_t> offsets;

  /// The offset at `instant`.
  std::int32_t offsetAt(std::int64_t instant) const;

  /// The rules in `bytes`; nothing when they are not a whole TZif file of version 2 or later, or list
  /// transitions out of order or a local time type that does not exist.
  static std::optional<ZoneFile> parse(std::string_view bytes);
};

}  // namespace velto::platform
