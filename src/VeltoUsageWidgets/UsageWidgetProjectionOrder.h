// UsageWidgetProjectionOrder: the order in which a projected snapshot lists windows and accounts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Instant.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// The key by which labels and ids sort: the text's NFC form, whose UTF-8 bytes order exactly as its code points do.
/// Canonically equivalent texts get the same key, so they never change places in a stable sort. Most texts are
/// their own NFC form: the key then only views the text, which must outlive it.
class TextSortKey {
 public:
  explicit TextSortKey(std::string_view text);
  std::string_view text() const { return normalised_ ? std::string_view(*normalised_) : text_; }
  friend bool operator<(const TextSortKey& a, const TextSortKey& b) { return a.text() < b.text(); }

 private:
  std::string_view text_;
  std::optional<std::string> normalised_;  // only when it differs from the text
};

/// Sorts by percent, highest first, then by label (TextSortKey ascending). Stable: windows equal in both
/// keep their order of arrival.
void sortWindows(std::vector<UsageWidgetWindow>& windows);

/// True when one of the account's windows is not stale at `now`, or, when none is, when the account's own
/// reading is less than 900 seconds old (a reading from the future counts as current).
bool isCurrent(const UsageWidgetAccount& account, Instant now);

/// Sorts current accounts first, then by the percent of the first window, highest first (an account without
/// windows counts as -1), then by id. Stable. Expects every account's windows sorted already.
void sortAccounts(std::vector<UsageWidgetAccount>& accounts, Instant now);

}  // namespace velto
