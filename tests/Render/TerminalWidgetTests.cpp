// Tests of whole widgets in the terminal: the entry view of a sample snapshot drawn in cells, against
// golden strings and for a grid that holds in every family, language and text size.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "EscapedText.h"
#include "MacUsageEntryView.h"
#include "SnapshotJson.h"
#include "Terminal.h"
#include "TerminalPicture.h"
#include "TemporaryFolder.h"
#include "TerminalText.h"
#include "TestFiles.h"

namespace velto::render {
namespace {

using namespace toolkit;

/// Three accounts: one with three windows, one with two, one with balances only.
UsageWidgetSnapshot sample() {
  return decodeSnapshot(testing_support::readFile(std::filesystem::path(VELTO_FIXTURES_DIR) / "json" / "pass" /
                                                      "three-accounts.json"));
}

Element entry(const UsageWidgetSnapshot& snapshot, std::string provider, UsageWidgetFamily family, bool chinese,
              TextSize textSize = TextSize::large) {
  const UsageWidgetContentEnvironment environment{platform::TimeZone::utc(), "en_US_POSIX",
                                                  VELTO_AGENT_IMAGES_DIR};
  return MacUsageEntryView{.entry = {snapshot.capturedAt, share(snapshot), std::move(provider)},
                           .family = family,
                           .chinese = chinese,
                           .textSize = textSize,
                           .environment = environment}
      .body();
}

TerminalOptions options(UsageWidgetFamily family, TextSize textSize = TextSize::large) {
  return {.canvas = family == UsageWidgetFamily::medium ? WidgetCanvas::medium() : WidgetCanvas::small(),
          .textSize = textSize};
}

TEST(TerminalWidget, MediumSampleInEnglish) {
  // Two accounts side by side, the agents' initials for their pictures, the third account counted. English
  // times hold a narrow no-break space before AM and PM.
  EXPECT_EQ(renderTerminal(entry(sample(), "", UsageWidgetFamily::medium, false), options(UsageWidgetFamily::medium)),
            "╭──────────────────────────────────────────────────╮\n"
            "│ ⊞ velto                                    local │\n"
            "│                                                  │\n"
            "│ C Corvid · Work          C Crane                 │\n"
            "│                                                  │\n"
            "│ Session                  Session                 │\n"
            "│ 42.5%                    7%                      │\n"
            "│ █████████▊░░░░░░░░░░░░░  █▋░░░░░░░░░░░░░░░░░░░░░ │\n"
            "│ Resets 3:00\u202FPM           Resets 4:00\u202FPM          │\n"
            "│                                                  │\n"
            "│                                                  │\n"
            "│ Updated 11:59\u202FAM                         +1 more │\n"
            "╰──────────────────────────────────────────────────╯\n");
}

TEST(TerminalWidget, MediumSingleAccountInChineseGrowsToShowItsThreeWindows) {
  // The right-hand list is taller than the widget's room: nothing is cut off, the drawing is two rows taller.
  EXPECT_EQ(
      renderTerminal(entry(sample(), "corvid", UsageWidgetFamily::medium, true), options(UsageWidgetFamily::medium)),
      "╭──────────────────────────────────────────────────╮\n"
      "│ ⊞ velto                                    local │\n"
      "│                                                  │\n"
      "│ C Corvid · Work          Weekly                  │\n"
      "│                          81%                     │\n"
      "│ 会话额度                 ██████████████████▋░░░░ │\n"
      "│ 42.5%                    重置 2026年12月5日 00:… │\n"
      "│ █████████▊░░░░░░░░░░░░░  Weekly Reef             │\n"
      "│ 重置 15:00                                       │\n"
      "│                          100%                    │\n"
      "│                          ███████████████████████ │\n"
      "│                          重置 2026年12月5日 00:… │\n"
      "│                                                  │\n"
      "│ 更新于 11:59                                     │\n"
      "╰──────────────────────────────────────────────────╯\n");
}

TEST(TerminalWidget, AgentPicturesAreTheirInitialsOnTheirOwnColour) {
  const std::filesystem::path images = VELTO_AGENT_IMAGES_DIR;
  EXPECT_EQ(pictureInitial(images / "UsageAgent-corvid.png"), "C");
  EXPECT_EQ(pictureInitial(images / "UsageAgent-corvid@2x.png"), "C");
  EXPECT_EQ(pictureInitial("UsageAgent-海鸥.png"), "海");
  EXPECT_EQ(pictureInitial("UsageAgent-.png"), "▪");
  EXPECT_EQ(pictureColor(images / "UsageAgent-corvid.png"), (Rgb8{139, 58, 93}));  // the tile, not the letter
  EXPECT_EQ(pictureColor(images / "missing.png"), std::nullopt);
  EXPECT_EQ(pictureColor(__FILE__), std::nullopt);  // not a PNG

  // A FIFO is never read, even one that holds a whole picture: with no writer it would block the widget.
  const testing_support::TemporaryFolder folder;
  const auto fifo = folder.path() / "UsageAgent-corvid.png";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int end = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  const std::string picture = testing_support::readFile(images / "UsageAgent-corvid.png");
  ASSERT_EQ(::write(end, picture.data(), picture.size()), static_cast<ssize_t>(picture.size()));
  EXPECT_EQ(pictureColor(fifo), std::nullopt);
  ::close(end);

  TerminalOptions colored = options(UsageWidgetFamily::medium);
  colored.colors = TerminalColors::trueColor;
  const auto drawn = renderTerminal(entry(sample(), "", UsageWidgetFamily::medium, false), colored);
  EXPECT_NE(drawn.find("\x1b[0;1;38;2;255;255;255;48;2;139;58;93mC"), std::string::npos)
      << testing_support::escaped(drawn);
}

TEST(TerminalWidget, EveryRowIsTheWidgetsWidthWithWideTextsAndEveryTextSize) {
  const UsageWidgetSnapshot snapshots[] = {sample(), UsageWidgetSnapshot::empty()};
  for (const auto& snapshot : snapshots) {
    for (const std::string provider : {"", "corvid", "crane", "kelp"}) {
      for (auto family : {UsageWidgetFamily::small, UsageWidgetFamily::medium}) {
        for (bool chinese : {false, true}) {
          for (auto size : {TextSize::xSmall, TextSize::large, TextSize::xxxLarge, TextSize::accessibility5}) {
            const auto drawn = renderTerminal(entry(snapshot, provider, family, chinese, size), options(family, size));
            const int columns = family == UsageWidgetFamily::medium ? 52 : 24;
            int rows = 0;
            for (std::size_t start = 0, end = drawn.find('\n'); end != std::string::npos;
                 start = end + 1, end = drawn.find('\n', start), ++rows) {
              const auto line = drawn.substr(start, end - start);
              EXPECT_EQ(cellWidth(line), columns) << testing_support::escaped(line);
              EXPECT_EQ(line.find('\x1b'), std::string::npos);
            }
            EXPECT_GE(rows, 13) << provider << (chinese ? " zh" : " en");
            EXPECT_EQ(drawn.back(), '\n');
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace velto::render
