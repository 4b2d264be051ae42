// UsageWidgetContent: the whole face of the widget for one entry, as an element tree.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Element.h"
#include "Instant.h"
#include "TextSize.h"
#include "TimeZone.h"
#include "UsageWidgetFamily.h"
#include "UsageWidgetSnapshot.h"

namespace velto {

/// What the content reads from the user's surroundings besides the text size: the time zone of the user's
/// calendar (days and reading times), the locale for numbers (percentages) and the agent images folder.
struct UsageWidgetContentEnvironment {
  platform::TimeZone timeZone;
  std::string numberLocale;
  std::optional<std::filesystem::path> agentImages;  ///< nothing: every agent gets the "terminal" symbol

  /// The running program's: the user's zone and number locale, and the images folder of its resource folder.
  static UsageWidgetContentEnvironment current();
};

/// The content of one entry: which account it shows, in which layout, with which words and colours. A pure
/// function of its fields; the entry's `date` is "now" for every time test, so an entry renders the same
/// whenever it is drawn.
struct UsageWidgetContent {
  /// The entry's snapshot, its shown texts without controls and line separators (toolkit::withoutControls):
  /// every text of the snapshot reaches the view, and so every renderer, through it alone.
  UsageWidgetSnapshot snapshot;
  std::string provider;  ///< the configured agent key; empty: every agent
  Instant date = 0;
  UsageWidgetFamily family = UsageWidgetFamily::small;
  bool chinese = false;
  toolkit::TextSize textSize = toolkit::TextSize::large;  ///< the user's, before the content caps it
  UsageWidgetContentEnvironment environment;

  /// The URL the widget opens when tapped.
  static constexpr std::string_view usageURL = "velto://usage";

  UsageWidgetContent(UsageWidgetSnapshot snapshot, std::string provider, Instant date, UsageWidgetFamily family,
                     bool chinese, toolkit::TextSize textSize, UsageWidgetContentEnvironment environment);

  // The frame.

  /// The first account of the configured agent in the medium layout, the small layout or (from text size
  /// xxLarge up) the accessible small layout; the empty state when the agent has no account. Tapping opens
  /// `usageURL`; the content is privacy-sensitive and its text size is capped to small...large.
  toolkit::Element body() const;
  /// "Usage unavailable", with a hint that depends on whether an agent is configured.
  toolkit::Element emptyHome() const;
  /// The agent mark and the account's name in a row.
  toolkit::Element heading(const UsageWidgetAccount& account) const;
  /// The children of the small layout: heading, server, the first window's quota block (or the non-quota
  /// block), the updated line.
  std::vector<toolkit::Element> small(const UsageWidgetAccount& account) const;
  /// The children of the small layout at very large text sizes: fixed point sizes, no bar, no reset line.
  std::vector<toolkit::Element> accessibleSmall(const UsageWidgetAccount& account) const;
  /// "Updated" or, when anything the account shows is stale, the clock and "Last reading"; then the time.
  toolkit::Element updated(const UsageWidgetAccount& account) const;
  /// The children of the medium layout: header, two accounts side by side or one account with its further
  /// windows or wallets, and the footer with the updated line and the count of accounts not shown.
  std::vector<toolkit::Element> medium(const UsageWidgetAccount& account) const;

  // The blocks.

  /// Title, percentage and bar (or "Update needed" once the window has reset), and reset line; the caller
  /// stacks them.
  std::vector<toolkit::Element> quota(const UsageWidgetWindow& window, const UsageWidgetAccount& account,
                                      bool large) const;
  /// When the window resets, or why it no longer says.
  toolkit::Element reset(const UsageWidgetWindow& window) const;
  /// For an account without windows: its balance, else its recorded output, else the empty element.
  toolkit::Element nonQuota(const UsageWidgetAccount& account, bool large) const;
  /// The children of the first wallet's balance block; none when the account has no wallet.
  std::vector<toolkit::Element> balance(const UsageWidgetAccount& account, bool large) const;
  /// Today's and the past week's output tokens, read as one accessibility element with the full counts.
  toolkit::Element recorded(const UsageWidgetOutput& output, const UsageWidgetAccount& account, bool large) const;
  /// The accent of a window: secondary once anything about it is out of date, else by its tier.
  toolkit::Color tint(const UsageWidgetWindow& window, const UsageWidgetAccount& account) const;
  /// A text holding `time` as the widget writes reading and reset times.
  toolkit::Element readingTime(Instant time) const;
  /// The accessibility label of a quota block: account, window title, and the share used or "Update needed".
  std::string quotaLabel(const UsageWidgetWindow& window, const UsageWidgetAccount& account) const;

  // The rules the blocks share.

  /// True when the snapshot is stale at `date`, or the account's own reading is at least 900 seconds old.
  bool readingIsStale(const UsageWidgetAccount& account) const;
  /// The share of the bar that is filled: percent / 100, within 0...1; not a number gives 0.
  static double barFraction(double percent);

 private:
  std::string word(std::string_view english, std::string_view chineseText) const;
  toolkit::Element quotaStack(const UsageWidgetWindow& window, const UsageWidgetAccount& account, bool large) const;
  toolkit::Element column(const UsageWidgetAccount& account, double spacing) const;
  std::optional<toolkit::Element> rightColumn(const UsageWidgetAccount& account) const;
};

}  // namespace velto
