// UsageWidgetProjection: turns one raw usage report into a snapshot ready for the store.
#pragma once

#include <cstddef>
#include <string_view>

#include "Instant.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// Largest report, in bytes, that the projection parses.
inline constexpr std::size_t maximumReportBytes = 2'097'152;

/// The producer's `UsageWidgetSnapshot::project(report, server, at)`, as a free function so that the model
/// header stays free of the report.
///
/// Trusts nothing in `report`: entries with a bad agent key, a percentage outside 0 to 1000, a time stamp from
/// beyond `at` + 300 seconds, a passed reset, a bad amount or an empty currency are dropped (a key or amount
/// that ends in a line terminator is a bad one here); texts are cleaned and cut; windows and accounts are
/// sorted. Pure and thread-safe. Every snapshot it returns for an `at` from 1970 on passes validation.
///
/// Throws SnapshotFailure(tooLarge), whose message names the bound, for a report over 2 MiB, more than 64
/// windows, 16 balances, 64 output entries or 7 days, more than 80 accounts, or a snapshot that would encode
/// to more than UsageWidgetSnapshot::maximumBytes; JsonDecodingError (path and problem) for a report that is
/// not a usage report; std::invalid_argument when the snapshot cannot be encoded at all (`at` not finite).
UsageWidgetSnapshot projectReport(std::string_view report, std::string_view server, Instant at);

}  // namespace velto
