// StatusSummary: what a status bar shows of a widget entry, read from the tree the entry view built.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Color.h"
#include "Element.h"

namespace velto::render {

/// How an entry reads at a glance.
enum class StatusState { normal, warning, critical, stale, unavailable };

/// The state's name as a style sheet knows it: "normal", "warning", "critical", "stale", "unavailable".
std::string_view stateName(StatusState state);

/// An entry as a status bar shows it, every text as the tree shows it (in the tree's language). Fields the
/// entry does not show are empty.
struct StatusSummary {
  StatusState state = StatusState::unavailable;
  std::string agent;    ///< the identity of the account's agent mark: its agent key
  std::string name;     ///< the account's name; in the empty state, its title
  std::string title;    ///< the caption over the figure: the window's title, the wallet's kind, the output's day
  std::string percent;  ///< a quota's figure: its percentage, or the word shown in its place once it has reset
  std::string reset;    ///< the line under a quota's figure
  std::string balance;  ///< a balance's figure: currency and amount
  std::string output;   ///< recorded output's figure: today's abbreviated count
  std::string updated;  ///< the updated line
  std::optional<int> percentage;         ///< the quota bar's fill, 0 to 100; absent without a bar
  std::optional<toolkit::Color> accent;  ///< the figure's colour (its bar's fill, else its own)
  std::vector<std::string> lines;        ///< the tree read as lines, one per block, for a tooltip
  friend bool operator==(const StatusSummary&, const StatusSummary&) = default;
};

/// The summary of `root`, an entry view's tree, read by these rules:
/// - the account's face starts with a picture (the agent mark, whose identity is the agent key) and the
///   name after it; a tree without a picture is the empty state, whose first text is its title;
/// - the figure is the most prominent text after the name (the largest font, the first of equal ones); the
///   title is the last text before it;
/// - a figure inside an accessibility element that ignores its children is recorded output (that block speaks
///   its own label); one inside an element that combines them, or with a colour of its own, is a quota's,
///   whose bar and reset line are the bar and the texts after the figure in that element; any other is a
///   balance;
/// - the updated line is the last row (horizontal stack) outside every accessibility element with two texts
///   or more of its own;
/// - the state: unavailable for the empty state; else by the accent: secondary is stale, red critical, orange
///   warning, any other normal; without an accent, stale when the clock symbol (the updated line's mark of an
///   old reading) is shown, else normal.
/// Lines: an accessibility element, or a vertical stack of texts alone, is one line of its texts joined by
/// " · "; a row is one line of its texts joined by " " (by " · " across a spacer), unless it holds columns
/// (vertical stacks holding stacks), which give their own lines; labels, pictures and hidden elements are
/// left out.
StatusSummary readStatus(const toolkit::Element& root);

}  // namespace velto::render
