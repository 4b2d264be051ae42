// Tests of the agents' pictures in the terminal: each is its initial on the picture's own colour.
#include "TerminalPicture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "EscapedText.h"
#include "Terminal.h"

namespace velto::render {
namespace {

using namespace toolkit;

TEST(TerminalPicture, InitialOfTheNameOnTheTilesColour) {
  const std::filesystem::path images = VELTO_AGENT_IMAGES_DIR;
  EXPECT_EQ(pictureInitial(images / "UsageAgent-corvid.png"), "C");
  EXPECT_EQ(pictureInitial(images / "UsageAgent-corvid@2x.png"), "C");
  EXPECT_EQ(pictureInitial("UsageAgent-海鸥.png"), "海");
  EXPECT_EQ(pictureInitial("UsageAgent-.png"), "▪");
  EXPECT_EQ(pictureColor(images / "UsageAgent-corvid.png"), (Rgb8{139, 58, 93}));  // the tile, not the letter
  EXPECT_EQ(pictureColor(images / "missing.png"), std::nullopt);
  EXPECT_EQ(pictureColor(__FILE__), std::nullopt);  // not a PNG

  const auto drawn = renderTerminal(Image(ImageSource::file(images / "UsageAgent-corvid.png")),
                                    {.colors = TerminalColors::trueColor});
  EXPECT_NE(drawn.find("\x1b[0;1;38;2;255;255;255;48;2;139;58;93mC"), std::string::npos)
      << testing_support::escaped(drawn);
}

}  // namespace
}  // namespace velto::render
