// UnicodeText: the Unicode operations on UTF-8 text that the rules are written in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// True when the two UTF-8 texts are canonically equivalent ("é" precomposed equals "e" + combining acute).
bool canonicallyEqual(std::string_view a, std::string_view b);
/// The same for optional texts: two absent texts are equal, an absent and a present one are not.
bool canonicallyEqual(const std::optional<std::string>& a, const std::optional<std::string>& b);

/// The number of user-perceived characters (extended grapheme clusters) of a UTF-8 text.
std::size_t characterCount(std::string_view text);

}  // namespace velto
