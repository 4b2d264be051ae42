// BenchInputs: the reports and snapshots the benchmarks measure, generated in code and the same on every run.
#pragma once

#include <cstddef>
#include <string>

#include "Instant.h"
#include "UsageWidgetSnapshot.h"

namespace velto::bench {

/// The time every generated report and snapshot is projected or read at: 2026-12-01T12:00:00Z.
inline constexpr Instant benchNow = 1796126400;

/// A report of exactly 2 MiB with every bound at its limit: 64 windows, 16 balances of 8 wallets, 64 output
/// entries, 7 days and 80 resulting accounts, texts longer than their cuts, and most of its bytes in members
/// the projection ignores. Its snapshot still fits the file limit.
const std::string& worstCaseReport();

/// What a collector usually sends: three agents with six windows, one balance, a week of history, a few
/// members of its own.
const std::string& typicalReport();

/// A report that projects to `accounts` accounts (1 to 80) of similar size: window accounts and output
/// accounts, alternately.
std::string reportWithAccounts(std::size_t accounts);

/// Whether generated texts mix scripts (CJK, combining marks, emoji with modifiers, flags) or are ASCII.
enum class Script { mixed, ascii };

/// A valid snapshot whose encoding is exactly 65,536 bytes: 80 accounts, each with an output record and two
/// wallets, windows with 100-character labels, every text at its limit, captured at benchNow.
const UsageWidgetSnapshot& fullSnapshot(Script script = Script::mixed);

/// A valid snapshot of `accounts` accounts (1 to 80), each of the same shape, captured at benchNow.
UsageWidgetSnapshot snapshotWithAccounts(std::size_t accounts);

}  // namespace velto::bench
