// Tests of the status-bar entry: the summary read from small trees, colour classes and JSON strings.
#include "Waybar.h"

#include <gtest/gtest.h>

#include <cmath>

#include "EscapedText.h"

namespace velto::render {
namespace {

using namespace toolkit;

/// The shape of an account's face: a mark and a name, then a quota block or a balance.
Element account(std::string name, std::vector<Element> block) {
  return VStack(HorizontalAlignment::leading, 6,
                {HStack(VerticalAlignment::center, 5,
                        {Image(ImageSource::symbol("terminal")).accessibilityHidden(),
                         Text(std::move(name)).font(Font::caption().weight(FontWeight::semibold))}),
                 Text("local").font(Font::caption2()),
                 VStack(HorizontalAlignment::leading, 4, std::move(block))});
}

std::vector<Element> quota(std::string percent, double fraction, Color tint) {
  return {Text("Session").font(Font::caption2()),
          Text(std::move(percent)).font(Font::system(30, FontWeight::semibold)).foregroundStyle(tint),
          Bar(fraction, Color::secondary().opacity(0.18), tint).frame({.height = 4}).accessibilityHidden(),
          Text("Resets 3:00 PM").font(Font::caption2())};
}

TEST(Waybar, QuotaSummaryTakesTheNameTheFigureAndTheFirstBar) {
  EXPECT_EQ(waybarJson(account("Crane", quota("42%", 0.42, Color::named(ColorName::orange)))),
            R"({"text":"Crane 42%","tooltip":"Crane\nlocal\nSession\n42%\nResets 3:00 PM",)"
            R"("class":"orange","percentage":42})");
  // Only the first bar counts; the widget's calm sRGB blue reads as blue.
  const auto two = VStack(HorizontalAlignment::leading, 0,
                          {account("Corvid", quota("7%", 0.07, Color::srgb(0.231, 0.51, 0.965))),
                           account("Kelp", quota("99%", 0.99, Color::named(ColorName::red)))});
  EXPECT_EQ(waybarJson(two).rfind(R"({"text":"Corvid 7%",)", 0), 0u) << waybarJson(two);
  EXPECT_NE(waybarJson(two).find(R"("class":"blue","percentage":7})"), std::string::npos) << waybarJson(two);
}

TEST(Waybar, PercentageIsTheBarsClampedFractionRounded) {
  struct Case {
    double fraction;
    long percentage;
  };
  const Case cases[] = {{0, 0}, {0.004, 0}, {0.005, 1}, {0.935, 94}, {1, 100}, {2.5, 100}, {-1, 0}, {std::nan(""), 0}};
  for (const auto& c : cases) {
    const auto json = waybarJson(account("Crane", quota("x", c.fraction, Color::secondary())));
    EXPECT_NE(json.find(R"("class":"secondary","percentage":)" + std::to_string(c.percentage) + "}"),
              std::string::npos)
        << c.fraction << ": " << json;
  }
}

TEST(Waybar, WithoutABarTheProminentTextAndItsColourSpeak) {
  const auto balance = account("Kelp", {Text("Recharge").font(Font::caption2()),
                                        Text("CNY 86.40").font(Font::title3().weight(FontWeight::semibold))});
  EXPECT_EQ(waybarJson(balance),
            R"({"text":"Kelp CNY 86.40","tooltip":"Kelp\nlocal\nRecharge\nCNY 86.40","class":"primary"})");
}

TEST(Waybar, EmptyStateIsUnavailableWithItsTitle) {
  const auto empty = VStack(HorizontalAlignment::leading, 6,
                            {Label("velto", "square.split.2x2").font(Font::headline()),
                             Text("暂无用量数据").font(Font::subheadline()),
                             Text("打开 velto，同步服务器用量。").font(Font::caption())})
                         .accessibilityElement(AccessibilityChildren::combine);
  EXPECT_EQ(waybarJson(empty),
            R"({"text":"暂无用量数据","tooltip":"velto, 暂无用量数据, 打开 velto，同步服务器用量。","class":"unavailable"})");
}

TEST(Waybar, TextsAreEscapedForJsonAndPangoMarkup) {
  const auto json = waybarJson(account("A&B <\"x\">\\\x01\xFF", quota("1%", 0.01, Color::named(ColorName::red))));
  EXPECT_EQ(json.substr(0, json.find(",\"tooltip\"")),
            R"({"text":"A&amp;B &lt;\"x\"&gt;\\\u0001)"
            "\uFFFD"
            R"( 1%")")
      << testing_support::escaped(json);
}

TEST(Waybar, JsonStringsAndColourClasses) {
  EXPECT_EQ(jsonString(""), R"("")");
  EXPECT_EQ(jsonString("a\"b\\c\n\r\t\x1f\x7f"), R"("a\"b\\c\n\r\t\u001f)"
                                                   "\x7f\"");
  EXPECT_EQ(jsonString("用量 e\u0301"), "\"用量 e\u0301\"");
  EXPECT_EQ(jsonString("\xC0\xAF"), "\"\uFFFD\uFFFD\"");  // an overlong '/' never passes as one

  EXPECT_EQ(colorClass(Color::named(ColorName::red)), "red");
  EXPECT_EQ(colorClass(Color::secondary().opacity(0.18)), "secondary");
  EXPECT_EQ(colorClass(Color::srgb(0.231, 0.51, 0.965)), "blue");
  EXPECT_EQ(colorClass(Color::srgb(0.9, 0.3, 0.2)), "red");
  EXPECT_EQ(colorClass(Color::srgb(0.1, 0.1, 0.1)), "primary");
}

}  // namespace
}  // namespace velto::render
