// Tests of the status-bar outputs on small trees: the summary's reading rules, templates, line colours, JSON.
#include "Waybar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "EscapedText.h"
#include "Golden.h"
#include "StatusLine.h"

namespace velto::render {

// Failures name each field.
void PrintTo(const StatusSummary& s, std::ostream* out) {
  *out << stateName(s.state) << " agent=" << s.agent << " name=" << s.name << " title=" << s.title
       << " percent=" << s.percent << " reset=" << s.reset << " balance=" << s.balance << " output=" << s.output
       << " updated=" << s.updated << " percentage=" << s.percentage.value_or(-1) << " accent=" << s.accent.has_value()
       << " lines=";
  for (const auto& line : s.lines) *out << "[" << line << "]";
}

namespace {

using namespace toolkit;

/// The shape of an account's face: a mark and a name, then a block, then the updated line.
Element account(std::string name, Element block, bool clock = false) {
  std::vector<Element> updated{Text("Updated"), Text("3:00 PM")};
  if (clock) updated.insert(updated.begin(), Image(ImageSource::symbol("clock")));
  return VStack(HorizontalAlignment::leading, 6,
                {HStack(VerticalAlignment::center, 5,
                        {Image(ImageSource::symbol("terminal")).accessibilityHidden().id("crane"),
                         Text(std::move(name)).font(Font::caption().weight(FontWeight::semibold))}),
                 Text("local").font(Font::caption2()), Spacer(0), std::move(block), Spacer(0),
                 HStack(VerticalAlignment::center, 3, std::move(updated)).font(Font::caption2())});
}

Element quota(std::string percent, double fraction, Color tint) {
  return VStack(HorizontalAlignment::leading, 4,
                {Text("Session").font(Font::caption2()),
                 Text(std::move(percent)).font(Font::system(30, FontWeight::semibold)).foregroundStyle(tint),
                 Bar(fraction, Color::secondary().opacity(0.18), tint).frame({.height = 4}).accessibilityHidden(),
                 HStack(VerticalAlignment::center, 3, {Text("Resets"), Text("4:00 PM")})})
      .accessibilityElement(AccessibilityChildren::combine)
      .accessibilityLabel("Crane, Session, " + percent + " used");
}

TEST(StatusSummary, ReadsEachKindOfBlock) {
  const Color red = Color::named(ColorName::red);
  const auto output = VStack(HorizontalAlignment::leading, 4,
                             {Text("Today output").font(Font::caption2()),
                              HStack(VerticalAlignment::bottom, 4,
                                     {Text("184.2K").font(Font::system(30)),
                                      VStack(HorizontalAlignment::leading, 0, {Text("Token"), Text("Local records")})
                                          .font(Font::caption2())})})
                          .accessibilityElement(AccessibilityChildren::ignore)
                          .accessibilityLabel("Crane, Today output 184230 tokens.");
  // The accessible layout: title and figure loose in the face, the figure in its tint.
  const auto loose = VStack(HorizontalAlignment::leading, 0,
                            {Text("Session").font(Font::system(12)),
                             Text("7%").font(Font::system(36)).foregroundStyle(Color::named(ColorName::orange))});
  struct Case {
    const char* what;
    Element tree;
    StatusSummary expected;
  };
  const Case cases[] = {
      {"over a full bar, stale", account("Crane", quota("250%", 1, Color::secondary()), true),
       {.state = StatusState::stale, .agent = "crane", .name = "Crane", .title = "Session", .percent = "250%",
        .reset = "Resets 4:00 PM", .updated = "Updated 3:00 PM", .percentage = 100, .accent = Color::secondary(),
        .lines = {"Crane", "local", "Session · 250% · Resets 4:00 PM", "Updated 3:00 PM"}}},
      {"no number", account("Crane", quota("?", std::nan(""), red)),
       {.state = StatusState::critical, .agent = "crane", .name = "Crane", .title = "Session", .percent = "?",
        .reset = "Resets 4:00 PM", .updated = "Updated 3:00 PM", .percentage = 0, .accent = red,
        .lines = {"Crane", "local", "Session · ? · Resets 4:00 PM", "Updated 3:00 PM"}}},
      {"output", account("Crane", output),
       {.state = StatusState::normal, .agent = "crane", .name = "Crane", .title = "Today output",
        .output = "184.2K", .updated = "Updated 3:00 PM",
        .lines = {"Crane", "local", "Today output · 184.2K Token · Local records", "Updated 3:00 PM"}}},
      {"accessible", account("Crane", loose),
       {.state = StatusState::warning, .agent = "crane", .name = "Crane", .title = "Session", .percent = "7%",
        .updated = "Updated 3:00 PM", .accent = Color::named(ColorName::orange),
        .lines = {"Crane", "local", "Session · 7%", "Updated 3:00 PM"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(readStatus(c.tree), c.expected) << c.what;
}

TEST(StatusTemplate, FillsPlaceholdersAndRefusesWhatItDoesNotKnow) {
  const StatusSummary summary{.agent = "crane", .name = "Crane", .title = "Session", .percent = "42%",
                              .reset = "Resets 4:00 PM", .updated = "Updated 3:00 PM"};
  struct Case {
    std::string text;
    std::string filled;  ///< or the error
  };
  const Case cases[] = {
      {std::string(StatusTemplate::standard), "Crane 42%"},
      {"{agent}: {title} {percent} ({reset}) {balance}", "crane: Session 42% (Resets 4:00 PM)"},
      {"{{{name}}} {{}}", "{Crane} {}"},
      {"  {output} ", ""},
      {"{Name}", "unknown placeholder {Name} in the template; the placeholders are " +
                     std::string(StatusTemplate::placeholders)},
      {"{name", "a \"{\" at character 1 of the template is not closed; write {{ for a brace"},
      {"a {b {name}", "a \"{\" at character 3 of the template is not closed; write {{ for a brace"},
      {"x}", "a \"}\" at character 2 of the template closes nothing; write }} for a brace"},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(StatusTemplate(c.text).fill(summary), c.filled) << c.text;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(error.what(), c.filled) << c.text;
    }
  }
}

TEST(StatusLine, EachBarsColourConvention) {
  StatusSummary summary{.state = StatusState::critical, .name = "Crane", .percent = "97%",
                        .accent = Color::named(ColorName::red)};
  const auto line = [&](StatusLineColors colors) { return statusLine(summary, {.colors = colors}); };
  EXPECT_EQ(line(StatusLineColors::none), "Crane 97%\n");
  EXPECT_EQ(line(StatusLineColors::polybar), "%{F#ff453a}Crane 97%%{F-}\n");
  EXPECT_EQ(line(StatusLineColors::trueColor), "\x1b[38;2;255;69;58mCrane 97%\x1b[0m\n");
  // A stale balance has no accent of its own and is dimmed; the empty state keeps the bar's colour.
  summary = {.state = StatusState::stale, .name = "Kelp", .balance = "CNY 1.00"};
  testing_support::expectGolden(std::filesystem::path(VELTO_FIXTURES_DIR) / "render" / "stale-balance.i3blocks.txt",
                                line(StatusLineColors::i3blocks));
  summary = {.name = "Usage unavailable"};
  EXPECT_EQ(line(StatusLineColors::polybar), "Usage unavailable\n");
}

TEST(Waybar, MembersAndJsonEscapes) {
  const StatusSummary summary{.state = StatusState::warning, .agent = "crane", .name = "A&B <\"x\">\\\x01\xFF",
                              .percent = "81%", .percentage = 81, .lines = {"a < b", "c"}};
  EXPECT_EQ(waybarJson(summary), R"({"text":"A&amp;B &lt;\"x\"&gt;\\\u0001)"
                                 "\uFFFD"
                                 R"( 81%","alt":"crane","tooltip":"a &lt; b\nc","class":"warning","percentage":81})")
      << testing_support::escaped(waybarJson(summary));
  EXPECT_EQ(waybarJson({.name = "Usage unavailable"}, StatusTemplate("{name}!")),
            R"({"text":"Usage unavailable!","tooltip":"","class":"unavailable"})");
  EXPECT_EQ(jsonString("a\"b\\c\n\r\t\x1f\x7f"), R"("a\"b\\c\n\r\t\u001f)"
                                                   "\x7f\"");
}

}  // namespace
}  // namespace velto::render
