// ReportShift: a raw usage report moved in time, so that a sample reads as if it had just been taken.
#pragma once

#include <string>
#include <string_view>

#include "Instant.h"
#include "TimeZone.h"

namespace velto::producer {

/// The report moved so that it reads as taken at `at`, in `zone`. Every instant the format holds (the windows'
/// reset_unix and observed_at, the balances' observed_at, the history's scanned_at) moves by the same whole
/// number of seconds, chosen so that the newest reading (the latest observed_at or scanned_at) falls on `at`;
/// every date of history.days moves by the same number of days, chosen so that the last one is the day of `at`
/// in `zone`. Instants below 1 (which the format reads as absent), dates that are not calendar days, and
/// everything else, unknown keys included, stay as written. The result is compact JSON. Throws
/// JsonDecodingError when the report is not JSON, std::invalid_argument for an `at` beyond 2^62 seconds.
std::string shiftReport(std::string_view report, Instant at, const platform::TimeZone& zone);

}  // namespace velto::producer
