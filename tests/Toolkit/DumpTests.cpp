// Tests of the tree dump: every attribute in its fixed place, texts escaped, numbers exact.
#include "Dump.h"

#include <gtest/gtest.h>

namespace velto::toolkit {
namespace {

TEST(Dump, WritesEveryElementAndAttributeIndentedByDepth) {
  const auto tree =
      VStack(HorizontalAlignment::leading, 6,
             {Label("velto", "square.split.2x2").font(Font::headline()),
              HStack(VerticalAlignment::center, std::nullopt,
                     {Image(ImageSource::symbol("terminal")).resizable().scaledToFit().padding(2).frame(18, 18)
                          .accessibilityHidden(),
                      Spacer(4), Text("Kelp").font(Font::caption().weight(FontWeight::semibold)).lineLimit(1)}),
              Text("42.5%")
                  .font(Font::system(30, FontWeight::semibold, FontDesign::rounded))
                  .monospacedDigit()
                  .foregroundStyle(Color::srgb(0.231, 0.51, 0.965))
                  .minimumScaleFactor(0.8),
              Bar(0.425, Color::secondary().opacity(0.18), Color::named(ColorName::red)).frame({.height = 4}),
              Empty().id("7")})
          .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading})
          .accessibilityElement(AccessibilityChildren::combine)
          .accessibilityLabel("Kelp")
          .widgetURL("velto://usage")
          .privacySensitive()
          .containerBackground()
          .dynamicTypeSize(TextSize::small, TextSize::large);
  EXPECT_EQ(dump(tree),
            "VStack(leading, spacing: 6) textSize=small...large frame(maxWidth: infinity, maxHeight: infinity, "
            "alignment: leading) accessibility(combine) accessibilityLabel=\"Kelp\" url=\"velto://usage\" "
            "privacySensitive containerBackground\n"
            "  Label(\"velto\", symbol: \"square.split.2x2\") font=headline\n"
            "  HStack(center)\n"
            "    Image(symbol \"terminal\") resizable scaledToFit padding(2) frame(width: 18, height: 18) "
            "accessibilityHidden\n"
            "    Spacer(minLength: 4)\n"
            "    Text(\"Kelp\") font=caption.semibold lineLimit=1\n"
            "  Text(\"42.5%\") font=system(30).semibold.rounded color=srgb(0.231, 0.51, 0.965) "
            "minimumScaleFactor=0.8 monospacedDigit\n"
            "  Bar(fraction: 0.425, track: secondary@0.18, fill: red) frame(height: 4)\n"
            "  Empty id=\"7\"\n");
}

TEST(Dump, QuotesTextsAndNamesImageSources) {
  EXPECT_EQ(describe(Text("say \"hi\"\\\n")), R"(Text("say \"hi\"\\\u{0A}"))");
  EXPECT_EQ(describe(Text("用量 · 42%")), "Text(\"用量 · 42%\")");
  EXPECT_EQ(describe(Image(ImageSource::file("/b/UsageAgent-kelp.png"))), R"(Image(file "/b/UsageAgent-kelp.png"))");
  EXPECT_EQ(describe(Image(ImageSource::resource("/b", "UsageAgent-kelp"))),
            R"(Image(resource "UsageAgent-kelp" in "/b"))");
  EXPECT_EQ(describe(Spacer()), "Spacer");
  EXPECT_EQ(describe(Text("x").frame({.width = 10, .alignment = Alignment::topLeading})),
            R"(Text("x") frame(width: 10, alignment: topLeading))");
}

}  // namespace
}  // namespace velto::toolkit
