// UsageWidgetProjection: the report's bounds, the windows, balances and output passes, the two sorts and the
// final size gate, in that order, so that which error a bad report gets does not depend on the input's layout.
#include "UsageWidgetProjection.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ByteCount.h"
#include "SnapshotError.h"
#include "SnapshotJson.h"
#include "TextRules.h"
#include "UsageReport.h"
#include "UsageWidgetProjectionOrder.h"

namespace velto {
namespace {

using report::RawBalance;
using report::RawHistory;
using report::RawOutput;
using report::RawUsage;
using report::RawWallet;
using report::RawWindow;

constexpr std::size_t maximumWindows = 64;
constexpr std::size_t maximumBalances = 16;
constexpr std::size_t maximumOutputs = 64;
constexpr std::size_t maximumDays = 7;
constexpr std::size_t maximumWallets = 8;
constexpr std::size_t maximumAccounts = 80;

constexpr std::size_t nameLimit = 60;
constexpr std::size_t labelLimit = 100;
constexpr std::size_t kindLimit = 32;
constexpr std::size_t modelLimit = 40;
constexpr std::size_t currencyLimit = 8;
constexpr std::size_t serverLimit = 80;

[[noreturn]] void tooLarge(const std::string& detail) { throw SnapshotFailure(SnapshotError::tooLarge, detail); }

void requireAtMost(std::size_t count, std::size_t limit, std::string_view list) {
  if (count > limit) {
    tooLarge(std::string(list) + " holds " + std::to_string(count) + " entries, more than " + std::to_string(limit));
  }
}

template <typename T>
std::size_t sizeOf(const std::optional<std::vector<T>>& list) {
  return list ? list->size() : 0;
}

/// The time of projection and the horizon beyond which a time stamp comes from the future.
struct Clock {
  Instant now;
  Instant horizon;
};

/// A report time of at least 1 second, as an instant; earlier ones (0, negative) mean "no time given".
std::optional<Instant> reportTime(std::optional<std::int64_t> seconds) {
  if (!seconds || *seconds < 1) return std::nullopt;
  return static_cast<Instant>(*seconds);
}

/// Keys and amounts become names, ids and shown amounts, so the projection takes the patterns at their word:
/// a key that ends in a line terminator drops its entry, as any other bad key does.
bool isAgentKey(std::string_view text) { return matchesAgentKey(text, PatternEnd::atEnd); }
bool isAmount(std::string_view text) { return matchesAmount(text, PatternEnd::atEnd); }

/// The cleaned display name, or the agent key when the report gives none (a name that cleans to nothing stays
/// empty: the collector chose it).
std::string accountName(std::optional<std::string_view> agentName, std::string_view agent) {
  return agentName ? clean(*agentName, nameLimit) : std::string(agent);
}

// Account ids are ASCII, which has no canonical decompositions, so byte equality is canonical equality here.
UsageWidgetAccount* findAccount(std::vector<UsageWidgetAccount>& accounts, std::string_view id) {
  const auto found = std::find_if(accounts.begin(), accounts.end(), [id](const auto& a) { return a.id == id; });
  return found == accounts.end() ? nullptr : &*found;
}

/// The window as the snapshot holds it, or nothing when the report's entry is to be dropped.
std::optional<UsageWidgetWindow> acceptWindow(const RawWindow& raw, const Clock& clock) {
  if (raw.stale.value_or(false)) return std::nullopt;
  if (!raw.agent || !isAgentKey(*raw.agent)) return std::nullopt;
  // Written this way round, NaN fails too (the decoder cannot produce one, but the rule should not rely on it).
  if (!(raw.pctUsed >= 0 && raw.pctUsed <= 1000)) return std::nullopt;
  if (raw.observedAt && static_cast<Instant>(*raw.observedAt) > clock.horizon) return std::nullopt;
  const std::optional<Instant> resetAt = reportTime(raw.resetUnix);
  if (resetAt && !(*resetAt > clock.now)) return std::nullopt;

  UsageWidgetWindow window;
  window.label = clean(raw.label, labelLimit);
  window.kind = raw.kind ? clean(*raw.kind, kindLimit) : std::string();
  window.model = raw.model ? clean(*raw.model, modelLimit) : std::string();
  window.percent = raw.pctUsed;
  window.resetAt = resetAt;
  window.observedAt = reportTime(raw.observedAt);
  if (raw.tier == "warn" || raw.tier == "full") window.tier = std::string(*raw.tier);
  return window;
}

void addWindows(const std::vector<RawWindow>& windows, const Clock& clock, std::vector<UsageWidgetAccount>& accounts) {
  for (const RawWindow& raw : windows) {
    std::optional<UsageWidgetWindow> window = acceptWindow(raw, clock);
    if (!window) continue;
    const std::string_view agent = *raw.agent;
    if (UsageWidgetAccount* account = findAccount(accounts, agent)) {
      const auto& kept = account->windows;
      if (std::find(kept.begin(), kept.end(), *window) == kept.end()) account->windows.push_back(std::move(*window));
      continue;
    }
    UsageWidgetAccount account;
    account.id = agent;
    account.agent = agent;
    account.name = accountName(raw.agentName, agent);
    account.windows.push_back(std::move(*window));
    accounts.push_back(std::move(account));
  }
}

std::vector<UsageWidgetWallet> acceptWallets(const std::vector<RawWallet>& wallets) {
  std::vector<UsageWidgetWallet> kept;
  for (const RawWallet& raw : wallets) {
    if (!isAmount(raw.amount)) continue;
    std::string currency = clean(raw.currency, currencyLimit);
    if (currency.empty()) continue;
    kept.push_back(
        {.kind = clean(raw.kind, kindLimit), .currency = std::move(currency), .amount = std::string(raw.amount)});
  }
  return kept;
}

void addBalances(const std::vector<RawBalance>& balances, const Clock& clock,
                 std::vector<UsageWidgetAccount>& accounts) {
  for (std::size_t position = 0; position < balances.size(); ++position) {
    const RawBalance& raw = balances[position];
    if (!isAgentKey(raw.agent) || raw.wallets.size() > maximumWallets) continue;
    const std::optional<Instant> observedAt = reportTime(raw.observedAt);
    if (!observedAt || *observedAt > clock.horizon) continue;
    std::vector<UsageWidgetWallet> wallets = acceptWallets(raw.wallets);
    if (wallets.empty()) continue;
    std::string id = std::string(raw.agent) + "-balance-" + std::to_string(position);
    // An agent key may itself read "x-balance-0"; its window account then holds this id already, and two
    // accounts with one id would make every snapshot built from this report unstorable. The balance yields.
    if (findAccount(accounts, id)) continue;
    UsageWidgetAccount account;
    account.id = std::move(id);
    account.agent = raw.agent;
    account.name = accountName(raw.agentName, raw.agent);
    account.wallets = std::move(wallets);
    account.observedAt = observedAt;
    accounts.push_back(std::move(account));
  }
}

void addOutputs(const RawHistory& history, const Clock& clock, std::vector<UsageWidgetAccount>& accounts) {
  requireAtMost(sizeOf(history.byAgent), maximumOutputs, "history.by_agent");
  requireAtMost(sizeOf(history.days), maximumDays, "history.days");
  const std::optional<Instant> scannedAt = reportTime(history.scannedAt);
  if (!scannedAt || *scannedAt > clock.horizon) return;
  if (!history.days || history.days->empty() || !history.byAgent) return;
  const std::string_view day = history.days->back().date;

  std::set<std::string_view> seen;
  for (const RawOutput& raw : *history.byAgent) {
    if (!raw.agentKey || !isAgentKey(*raw.agentKey)) continue;
    const std::string_view key = *raw.agentKey;
    // The first entry with a key claims it, even when a later check drops that entry.
    if (!seen.insert(key).second) continue;
    if (std::any_of(accounts.begin(), accounts.end(), [&key](const auto& a) { return a.agent == key; })) continue;
    if (!raw.todayOut || !raw.weekOut) continue;
    UsageWidgetOutput output{.day = std::string(day), .today = *raw.todayOut, .week = *raw.weekOut};
    if (!output.isValid()) continue;
    UsageWidgetAccount account;
    account.id = "output:" + std::string(key);
    account.agent = key;
    account.name = accountName(raw.agentName, key);
    account.observedAt = scannedAt;
    account.output = std::move(output);
    accounts.push_back(std::move(account));
  }
}

/// The snapshot the report's records make at `at`, refused with SnapshotFailure when it is too large.
UsageWidgetSnapshot project(const RawUsage& usage, std::string_view server, Instant at) {
  static const std::vector<RawWindow> noWindows;
  static const std::vector<RawBalance> noBalances;
  const auto& windows = usage.limits && usage.limits->windows ? *usage.limits->windows : noWindows;
  const auto& balances = usage.limits && usage.limits->balances ? *usage.limits->balances : noBalances;
  requireAtMost(windows.size(), maximumWindows, "limits.windows");
  requireAtMost(balances.size(), maximumBalances, "limits.balances");

  const Clock clock{at, at + UsageWidgetSnapshot::futureTolerance};
  std::vector<UsageWidgetAccount> accounts;
  // Each entry makes at most one account; room for all of them up front saves moving the accounts as they come.
  const std::size_t outputs = usage.history ? sizeOf(usage.history->byAgent) : 0;
  accounts.reserve(windows.size() + balances.size() + std::min(outputs, maximumOutputs));
  addWindows(windows, clock, accounts);
  addBalances(balances, clock, accounts);
  if (usage.history) addOutputs(*usage.history, clock, accounts);
  if (accounts.size() > maximumAccounts) {
    tooLarge("the report yields " + std::to_string(accounts.size()) + " accounts, more than " +
             std::to_string(maximumAccounts));
  }

  for (auto& account : accounts) sortWindows(account.windows);
  sortAccounts(accounts, clock.now);

  UsageWidgetSnapshot snapshot;
  snapshot.server = clean(server, serverLimit);
  snapshot.capturedAt = at;
  snapshot.accounts = std::move(accounts);
  // Only the size matters here; the store encodes the text when it writes. Most snapshots are far below the
  // limit, which a bound from the texts' lengths shows; larger ones need their texts read, and only those near
  // the limit the exact count.
  constexpr std::size_t limit = UsageWidgetSnapshot::maximumBytes;
  if (encodedSizeBound(snapshot, TextCount::longest) > limit &&
      encodedSizeBound(snapshot, TextCount::escaped) > limit) {
    const std::size_t encodedBytes = encodedSize(snapshot);
    if (encodedBytes > limit) {
      tooLarge("the snapshot encodes to " + byteCount(encodedBytes) + ", more than " + byteCount(limit));
    }
  }
  return snapshot;
}

}  // namespace

UsageWidgetSnapshot projectReport(std::string_view report, std::string_view server, Instant at) {
  // Callers may hand over only the first bytes of a longer report, so its size here is no more than a bound.
  if (report.size() > maximumReportBytes) tooLarge("the report is more than " + byteCount(maximumReportBytes));
  UsageWidgetSnapshot snapshot;
  report::decodeRawUsage(report, [&](const RawUsage& usage) { snapshot = project(usage, server, at); });
  return snapshot;
}

}  // namespace velto
