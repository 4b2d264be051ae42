// FakeTextMeasurer: text widths without fonts, so that layouts and renderings can be checked to the point.
#pragma once

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <string_view>

#include "Layout.h"

namespace velto::testing_support {

/// Every character is half a point wide per point of font size, an East Asian wide or fullwidth one
/// (Unicode's East_Asian_Width W or F) twice that, a combining mark or a format character nothing; a line
/// is 1.2 points tall per point of font size. Weight, design and equal-width digits change nothing.
class FakeTextMeasurer final : public toolkit::TextMeasurer {
 public:
  toolkit::Size measure(std::string_view text, const toolkit::ResolvedFont& font) const override {
    double cells = 0;  // character widths: 1 per narrow character, 2 per wide one
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::int32_t offset = 0;
    const auto length = static_cast<std::int32_t>(text.size());
    while (offset < length) {
      UChar32 c = 0;
      U8_NEXT(bytes, offset, length, c);
      if (c < 0) c = 0xFFFD;
      const auto type = static_cast<UCharCategory>(u_charType(c));
      if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR) continue;
      const auto width = static_cast<UEastAsianWidth>(u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH));
      cells += width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
    }
    return {cells * 0.5 * font.pointSize, 1.2 * font.pointSize};
  }
};

}  // namespace velto::testing_support
