// InstantArgument: instants given on the command line, and the clock when none is given.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "Instant.h"

namespace velto::app {

/// An instant given on the command line: seconds since 1970 as a decimal number ("1796126400", "1796126400.5",
/// "-1"), or an ISO 8601 date and time with "Z" or an offset ("2026-12-01T12:00:00Z",
/// "2026-12-01T20:00:00.25+08:00", seconds optional). Nothing for anything else, or for a time beyond what a
/// double holds.
std::optional<Instant> parseInstant(std::string_view text);

/// The system clock, read once.
Instant currentInstant();

/// The instant an --at option asks for, or now when it was not given; nothing (after saying why on `err`)
/// when the text is not an instant.
std::optional<Instant> instantArgument(const std::optional<std::string>& at, std::ostream& err);

}  // namespace velto::app
