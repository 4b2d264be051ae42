// Tests of the tree dump: every attribute in its fixed place, texts escaped, numbers exact.
#include "Dump.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Golden.h"

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
  testing_support::expectGolden(std::filesystem::path(VELTO_FIXTURES_DIR) / "toolkit" / "dump.txt", dump(tree));
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
