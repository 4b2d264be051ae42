// TextRules: the normalisation and the patterns that stored texts and the signing team must satisfy.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velto {

/// Removes control (Cc) and format (Cf) scalars, trims white space and line breaks (Zs, Zl, Zp) at both ends,
/// keeps the first `limit` extended grapheme clusters, and trims the end again where that cut falls after
/// white space, so that the result is always clean: its own cleaning. Never normalises: what remains is as
/// received. Invalid UTF-8 sequences come out as U+FFFD, so such a text is never equal to its cleaned form.
std::string clean(std::string_view text, std::size_t limit);

/// True when `text` is canonically equivalent to `clean(text, limit)`.
bool isClean(std::string_view text, std::size_t limit);

/// Where a pattern's `$` matches. ICU's rule, which stored files are held to, lets it match just before one
/// final line terminator (\n, "\r\n", \r, \v, \f, U+0085, U+2028, U+2029) too. The projection builds names and
/// ids from what it matches, so it wants the match to end with the text.
enum class PatternEnd { beforeFinalLineTerminator, atEnd };

// Each pattern is searched for as an ICU regular expression would be.

/// "^[a-z0-9_-]{1,40}$"
bool matchesAgentKey(std::string_view text, PatternEnd end = PatternEnd::beforeFinalLineTerminator);
/// "^[a-z0-9_:-]{1,80}$"
bool matchesAccountID(std::string_view text, PatternEnd end = PatternEnd::beforeFinalLineTerminator);
/// "^-?[0-9]{1,20}(\.[0-9]{1,12})?$"
bool matchesAmount(std::string_view text, PatternEnd end = PatternEnd::beforeFinalLineTerminator);
/// "^[0-9]{4}-[0-9]{2}-[0-9]{2}$"
bool matchesDay(std::string_view text, PatternEnd end = PatternEnd::beforeFinalLineTerminator);
/// "^[A-Z0-9]{10}$", the team that signs the bundle
bool matchesSigningTeam(std::string_view text, PatternEnd end = PatternEnd::beforeFinalLineTerminator);

}  // namespace velto
