// Tests of elements as values: modifiers copy, environment values keep the innermost setting.
#include "Element.h"

#include <gtest/gtest.h>

#include "TextSize.h"

namespace velto::toolkit {
namespace {

TEST(Element, ModifiersLeaveTheOriginalAsItWas) {
  const auto plain = Text("42%");
  const auto styled = plain.font(Font::caption()).lineLimit(1).id("a");
  EXPECT_FALSE(plain.node().environment.font);
  EXPECT_FALSE(plain.node().traits.identity);
  EXPECT_NE(plain, styled);
  EXPECT_EQ(styled, Text("42%").font(Font::caption()).lineLimit(1).id("a"));
}

TEST(Element, InnermostEnvironmentValueWinsAndLastElementAttributeWins) {
  const auto text = Text("x")
                        .font(Font::caption())
                        .font(Font::headline())
                        .foregroundStyle(Color::secondary())
                        .foregroundStyle(Color::primary())
                        .lineLimit(1)
                        .lineLimit(3)
                        .accessibilityLabel("first")
                        .accessibilityLabel("second");
  EXPECT_EQ(text.node().environment.font, Font::caption());
  EXPECT_EQ(text.node().environment.foreground, Color::secondary());
  EXPECT_EQ(text.node().environment.lineLimit, 1);
  EXPECT_EQ(text.node().traits.accessibilityLabel, "second");
}

TEST(TextSize, NamesRoundTripAndRangesClamp) {
  for (int i = 0; i <= static_cast<int>(TextSize::accessibility5); ++i) {
    const auto size = static_cast<TextSize>(i);
    EXPECT_EQ(textSizeNamed(name(size)), size) << name(size);
  }
  EXPECT_FALSE(textSizeNamed("Large"));
  const TextSizeRange widget{TextSize::small, TextSize::large};
  EXPECT_EQ(widget.clamp(TextSize::xSmall), TextSize::small);
  EXPECT_EQ(widget.clamp(TextSize::medium), TextSize::medium);
  EXPECT_EQ(widget.clamp(TextSize::accessibility3), TextSize::large);
}

}  // namespace
}  // namespace velto::toolkit
