// UnicodeText: the Unicode operations on UTF-8 text that the rules are written in.
#pragma once

#include <cstddef>
#include <string_view>

namespace velto {

/// True when the two UTF-8 texts are canonically equivalent ("é" precomposed equals "e" + combining acute).
bool canonicallyEqual(std::string_view a, std::string_view b);

/// The number of user-perceived characters (extended grapheme clusters) of a UTF-8 text.
std::size_t characterCount(std::string_view text);
/// The length in bytes of the first `characters` extended grapheme clusters of a UTF-8 text (all of it when it
/// has fewer), so that a text can be cut without splitting a user-perceived character.
std::size_t characterPrefixLength(std::string_view text, std::size_t characters);

}  // namespace velto
