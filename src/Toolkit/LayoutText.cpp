// LayoutText: setting a text within the room offered: wrapping, shrinking and cutting with "…".
#include <algorithm>
#include <cmath>
#include <limits>

#include "LayoutEngine.h"
#include "Utf8Text.h"

namespace velto::toolkit::engine {

namespace {

constexpr double tolerance = 1e-9;
constexpr std::string_view ellipsis = "…";
// Halvings of the range of scales left after the first guess; 12 leave less than a thousandth of a point.
constexpr int shrinkSteps = 12;

// Line terminators and spaces that end a line without being drawn.
std::string_view trimEnd(std::string_view text) {
  // Besides ASCII white space: NEL, the no-break spaces (U+00A0, and U+202F, which times hold before "AM"),
  // U+2000...U+200A, the line and paragraph separators, U+205F and the ideographic space. A line or a cut
  // never ends in them, so "9:30 …" does not happen.
  constexpr std::string_view blanks[] = {"\xC2\x85", "\xC2\xA0", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF",
                                         "\xE2\x81\x9F", "\xE3\x80\x80"};
  const auto isWideSpace = [](std::string_view t) {  // U+2000...U+200A: E2 80 80...8A
    return t.size() >= 3 && t.substr(t.size() - 3, 2) == "\xE2\x80" &&
           static_cast<unsigned char>(t.back()) >= 0x80 && static_cast<unsigned char>(t.back()) <= 0x8A;
  };
  while (!text.empty()) {
    const char last = text.back();
    if (last == ' ' || last == '\t' || last == '\n' || last == '\r' || last == '\f' || last == '\v') {
      text.remove_suffix(1);
      continue;
    }
    if (isWideSpace(text)) {
      text.remove_suffix(3);
      continue;
    }
    const auto blank =
        std::find_if(std::begin(blanks), std::end(blanks), [&](std::string_view b) { return text.ends_with(b); });
    if (blank == std::end(blanks)) break;
    text.remove_suffix(blank->size());
  }
  return text;
}

// Boundaries of a UTF-8 text as byte offsets after 0, each with the rule status that ended it.
template <typename Visit>
void boundaries(const std::string& text, Utf8Breaks::Kind kind, Visit visit) {
  const Utf8Breaks iterator(kind, text);
  iterator->first();
  for (int32_t at = iterator->next(); at != icu::BreakIterator::DONE; at = iterator->next()) {
    visit(static_cast<std::size_t>(at), iterator->getRuleStatus());
  }
}

/// A text's lines in one font, and whether anything had to be cut.
struct Lines {
  std::vector<std::string> lines;
  bool cut = false;
};

/// Sets one text in one font: greedy lines at line-break opportunities, a word longer than a line broken
/// between characters, the last allowed line cut with "…" when text is left over.
class Setter {
 public:
  Setter(const std::string& text, const TextBreaks& breaks, const ResolvedFont& font, Context& context)
      : text_(text), breaks_(breaks), font_(font), context_(context) {}

  bool fits(std::string_view line, double width) { return context_.measure(line, font_).width <= width + tolerance; }

  Lines set(double width, std::size_t maxLines) {
    Lines out;
    std::size_t start = 0;
    while (start < text_.size()) {
      if (out.lines.size() + 1 >= maxLines) {
        lastLine(start, width, out);
        break;
      }
      std::size_t end = start;
      for (std::size_t k = firstBreakAfter(start); k < breaks_.lineBreaks.size(); ++k) {
        const std::size_t at = breaks_.lineBreaks[k];
        if (!fits(trimEnd(piece(start, at)), width)) break;
        end = at;
        if (breaks_.mandatory[k]) break;
      }
      if (end == start) end = longestFittingPrefix(start, breaks_.lineBreaks[firstBreakAfter(start)], width);
      out.lines.emplace_back(trimEnd(piece(start, end)));
      start = end;
    }
    if (out.lines.empty()) out.lines.emplace_back();
    return out;
  }

 private:
  std::string_view piece(std::size_t from, std::size_t to) const {
    return std::string_view(text_).substr(from, to - from);
  }

  std::size_t firstBreakAfter(std::size_t offset) const {
    const auto& all = breaks_.lineBreaks;
    return static_cast<std::size_t>(std::upper_bound(all.begin(), all.end(), offset) - all.begin());
  }

  // The end of the longest run of whole characters from `start` that fits; at least one character, so that
  // every line moves on.
  std::size_t longestFittingPrefix(std::size_t start, std::size_t limit, double width) {
    const auto& chars = breaks_.characters;
    const auto first = std::upper_bound(chars.begin(), chars.end(), start);
    const auto last = std::upper_bound(first, chars.end(), limit);
    if (first == last) return limit;
    std::size_t best = *first;
    // Widths grow with the prefix, so the longest that fits is found by halving.
    auto low = first + 1;
    auto high = last;
    while (low < high) {
      const auto middle = low + (high - low) / 2;
      if (fits(trimEnd(piece(start, *middle)), width)) {
        best = *middle;
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return best;
  }

  // The line from `start` to its hard break, whole when it fits and nothing is left over, else cut.
  void lastLine(std::size_t start, double width, Lines& out) {
    std::size_t end = text_.size();
    for (std::size_t k = firstBreakAfter(start); k < breaks_.lineBreaks.size(); ++k) {
      if (breaks_.mandatory[k]) {
        end = breaks_.lineBreaks[k];
        break;
      }
    }
    const std::string_view line = trimEnd(piece(start, end));
    const bool more = !trimEnd(piece(end, text_.size())).empty();
    if (!more && fits(line, width)) {
      out.lines.emplace_back(line);
      return;
    }
    out.cut = true;
    out.lines.push_back(cutWithEllipsis(start, start + line.size(), width));
  }

  // The longest run of whole characters from `start` that fits with "…" after it; "…" alone, or nothing at
  // all when not even that fits.
  std::string cutWithEllipsis(std::size_t start, std::size_t end, double width) {
    const auto& chars = breaks_.characters;
    auto low = std::upper_bound(chars.begin(), chars.end(), start);
    auto high = std::upper_bound(low, chars.end(), end);
    std::string best = fits(ellipsis, width) ? std::string(ellipsis) : std::string();
    while (low < high) {
      const auto middle = low + (high - low) / 2;
      std::string candidate = std::string(trimEnd(piece(start, *middle))) + std::string(ellipsis);
      if (fits(candidate, width)) {
        best = std::move(candidate);
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return best;
  }

  const std::string& text_;
  const TextBreaks& breaks_;
  const ResolvedFont& font_;
  Context& context_;
};

struct Attempt {
  Lines lines;
  ResolvedFont font;
  Size size;
  double firstLineHeight = 0;
  bool fits = false;
};

}  // namespace

Size Context::measure(std::string_view text, const ResolvedFont& font) {
  auto key =
      std::make_pair(std::string(text), FontKey{font.pointSize, font.weight, font.design, font.monospacedDigits});
  const auto found = measured_.find(key);
  if (found != measured_.end()) return found->second;
  const Size size = measurer_.measure(text, font);
  measured_.emplace(std::move(key), size);
  return size;
}

const TextBreaks& Context::breaks(const std::string& text) {
  const auto found = breaks_.find(text);
  if (found != breaks_.end()) return found->second;
  TextBreaks breaks;
  boundaries(text, Utf8Breaks::Kind::line, [&](std::size_t at, int32_t status) {
    breaks.lineBreaks.push_back(at);
    breaks.mandatory.push_back(status >= UBRK_LINE_HARD && status < UBRK_LINE_HARD_LIMIT);
  });
  boundaries(text, Utf8Breaks::Kind::character, [&](std::size_t at, int32_t) { breaks.characters.push_back(at); });
  return breaks_.emplace(text, std::move(breaks)).first->second;
}

FittedText fitText(const std::string& text, const TextAttributes& attributes, Proposal proposal, Context& context) {
  const ResolvedFont base = attributes.font;
  if (text.empty()) return {.font = base};
  const TextBreaks& breaks = context.breaks(text);
  const auto finite = [](std::optional<double> length) { return length && std::isfinite(*length); };
  const double width =
      finite(proposal.width) ? std::max(0.0, *proposal.width) : std::numeric_limits<double>::infinity();
  const std::optional<double> height =
      finite(proposal.height) ? std::optional<double>(std::max(0.0, *proposal.height)) : std::nullopt;
  const std::size_t ownLimit = attributes.lineLimit ? static_cast<std::size_t>(std::max(1, *attributes.lineLimit))
                                                    : std::numeric_limits<std::size_t>::max();

  const auto attempt = [&](double scale) {
    Attempt result;
    result.font = base;
    result.font.pointSize = base.pointSize * scale;
    const double lineHeight = context.measure(text, result.font).height;
    std::size_t limit = ownLimit;
    if (height && lineHeight > 0) {
      // As many lines as the offered height holds, and always one; a text of n bytes never sets more than n
      // lines, which bounds the count in double before it becomes an integer (a height of 1e30 holds 1e28).
      const double fitting = std::clamp(std::floor((*height + tolerance) / lineHeight), 1.0,
                                        static_cast<double>(text.size()));
      limit = std::min(limit, static_cast<std::size_t>(fitting));
    }
    result.lines = Setter(text, breaks, result.font, context).set(width, limit);
    for (const auto& line : result.lines.lines) {
      const Size size = line.empty() ? Size{0, lineHeight} : context.measure(line, result.font);
      if (result.size.height == 0) result.firstLineHeight = size.height;
      result.size.width = std::max(result.size.width, size.width);
      result.size.height += size.height;
    }
    result.fits = !result.lines.cut && (!height || result.size.height <= *height + tolerance);
    return result;
  };

  Attempt chosen = attempt(1);
  const double least = attributes.minimumScaleFactor;
  if (!chosen.fits && least < 1) {
    Attempt smallest = attempt(least);
    if (!smallest.fits) {
      chosen = std::move(smallest);
    } else {
      // The largest scale that fits: first the one the proportions suggest, then halving what is left.
      double low = least;
      double high = 1;
      Attempt best = std::move(smallest);
      const Size ideal = context.measure(text, base);
      double guess = 1;
      if (ideal.width > 0) guess = std::min(guess, width / ideal.width);
      if (height && ideal.height > 0) guess = std::min(guess, *height / ideal.height);
      if (guess > low && guess < high) {
        Attempt guessed = attempt(guess);
        if (guessed.fits) {
          low = guess;
          best = std::move(guessed);
        } else {
          high = guess;
        }
      }
      for (int step = 0; step < shrinkSteps && high - low > tolerance; ++step) {
        const double middle = (low + high) / 2;
        Attempt tried = attempt(middle);
        if (tried.fits) {
          low = middle;
          best = std::move(tried);
        } else {
          high = middle;
        }
      }
      chosen = std::move(best);
    }
  }

  FittedText fitted{.font = chosen.font, .size = chosen.size, .firstLineHeight = chosen.firstLineHeight};
  for (std::size_t i = 0; i < chosen.lines.lines.size(); ++i) {
    if (i > 0) fitted.text += '\n';
    fitted.text += chosen.lines.lines[i];
  }
  return fitted;
}

const FittedText& fittedText(const Item& item, const std::string& text, Proposal proposal, Context& context) {
  for (const auto& [asked, fitted] : item.texts) {
    if (asked == proposal) return fitted;
  }
  item.texts.emplace_back(proposal, fitText(text, item.attributes, proposal, context));
  return item.texts.back().second;
}

}  // namespace velto::toolkit::engine
