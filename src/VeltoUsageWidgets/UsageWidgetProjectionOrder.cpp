// UsageWidgetProjectionOrder: stable sorts over precomputed keys, with labels ordered by the code points of their
// NFC forms (not by UTF-16 units, which would put U+1F600 before U+FF21).
#include "UsageWidgetProjectionOrder.h"

#include "Utf8Text.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace velto {
namespace {

using toolkit::isAscii;

const icu::Normalizer2& nfc() {
  static const icu::Normalizer2* const instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* made = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || made == nullptr) {
      throw std::runtime_error(std::string("ICU NFC data unavailable: ") + u_errorName(status));
    }
    return made;
  }();
  return *instance;
}

// Sorts `records` stably by `key(record)` under `before`, computing each key once and moving each record once:
// the sort moves only keys and positions, and breaks ties by position, which keeps it stable without the buffer
// a merge sort takes. Keys may view their records, which stay in place until the end.
template <typename Record, typename Key, typename Before>
void stableSortBy(std::vector<Record>& records, Key&& key, Before&& before) {
  if (records.size() < 2) return;  // most accounts hold one window
  using KeyType = decltype(key(records.front()));
  std::vector<std::pair<KeyType, std::size_t>> keyed;
  keyed.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) keyed.emplace_back(key(records[i]), i);
  std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
    if (before(a.first, b.first)) return true;
    return !before(b.first, a.first) && a.second < b.second;
  });
  std::vector<Record> sorted;
  sorted.reserve(records.size());
  for (const auto& entry : keyed) sorted.push_back(std::move(records[entry.second]));
  records = std::move(sorted);
}

}  // namespace

TextSortKey::TextSortKey(std::string_view text) : text_(text) {
  // ASCII is its own NFC form. For the rest, UTF-8 compares byte by byte exactly as its code points do.
  if (isAscii(text)) return;
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("text too long to normalise");
  }
  const icu::StringPiece piece(text.data(), static_cast<int32_t>(text.size()));
  UErrorCode status = U_ZERO_ERROR;
  if (nfc().isNormalizedUTF8(piece, status) && U_SUCCESS(status)) return;
  status = U_ZERO_ERROR;
  std::string normalised;
  icu::StringByteSink<std::string> sink(&normalised, static_cast<int32_t>(text.size()));
  nfc().normalizeUTF8(0, piece, sink, nullptr, status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("NFC normalisation failed: ") + u_errorName(status));
  normalised_ = std::move(normalised);
}

void sortWindows(std::vector<UsageWidgetWindow>& windows) {
  struct Key {
    double percent;
    TextSortKey label;
  };
  stableSortBy(
      windows, [](const UsageWidgetWindow& w) { return Key{w.percent, TextSortKey(w.label)}; },
      [](const Key& a, const Key& b) {
        if (a.percent != b.percent) return a.percent > b.percent;
        return a.label < b.label;
      });
}

bool isCurrent(const UsageWidgetAccount& account, Instant now) {
  if (std::any_of(account.windows.begin(), account.windows.end(),
                  [now](const UsageWidgetWindow& w) { return !w.stale(now); })) {
    return true;
  }
  return account.observedAt && now - *account.observedAt < UsageWidgetSnapshot::staleInterval;
}

void sortAccounts(std::vector<UsageWidgetAccount>& accounts, Instant now) {
  struct Key {
    bool current;
    double topPercent;
    TextSortKey id;
  };
  stableSortBy(
      accounts,
      [now](const UsageWidgetAccount& a) {
        return Key{isCurrent(a, now), a.windows.empty() ? -1.0 : a.windows.front().percent, TextSortKey(a.id)};
      },
      [](const Key& a, const Key& b) {
        if (a.current != b.current) return a.current;
        if (a.topPercent != b.topPercent) return a.topPercent > b.topPercent;
        return a.id < b.id;
      });
}

}  // namespace velto
