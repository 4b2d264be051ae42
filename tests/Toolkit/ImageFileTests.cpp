// Tests of which picture files count as images and how named resources map to files.
#include "ImageFile.h"

#include <gtest/gtest.h>

#include <string>

#include "TemporaryFolder.h"

namespace velto::toolkit {
namespace {

using testing_support::TemporaryFolder;

std::string big32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
          static_cast<char>(v & 0xFF)};
}

// The signature and a header chunk; the CRC and the image data do not matter to the check.
std::string pngHead(std::uint32_t width, std::uint32_t height, std::string type = "IHDR") {
  return std::string("\x89PNG\r\n\x1a\n", 8) + big32(13) + type + big32(width) + big32(height) +
         std::string("\x08\x06\x00\x00\x00", 5) + big32(0);
}

TEST(ImageFile, LoadsOnlyWellFormedPngHeaders) {
  TemporaryFolder folder;
  struct Case {
    const char* name;
    std::string bytes;
    bool loads;
  };
  const Case cases[] = {
      {"ok.png", pngHead(64, 64), true},
      {"largest.png", pngHead(16384, 1), true},
      {"zero-width.png", pngHead(0, 64), false},
      {"too-tall.png", pngHead(64, 16385), false},
      {"wrong-chunk.png", pngHead(64, 64, "IDAT"), false},
      {"truncated.png", pngHead(64, 64).substr(0, 20), false},
      {"not-png.png", "GIF89a" + pngHead(64, 64), false},
      {"empty.png", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(loadsAsImage(folder.write(c.name, c.bytes)), c.loads) << c.name;
  EXPECT_FALSE(loadsAsImage(folder.path() / "missing.png"));
  EXPECT_FALSE(loadsAsImage(folder.path()));
}

TEST(ImageFile, NamedImageTakesScaleVariantsInOrderNeverThePlainFile) {
  TemporaryFolder folder;
  folder.write("UsageAgent-kimi.png", pngHead(64, 64));
  EXPECT_FALSE(namedImage(folder.path(), "UsageAgent-kimi"));
  folder.write("UsageAgent-kimi@3x.png", pngHead(96, 96));
  EXPECT_EQ(namedImage(folder.path(), "UsageAgent-kimi"), folder.path() / "UsageAgent-kimi@3x.png");
  folder.write("UsageAgent-kimi@2x.png", pngHead(64, 64));
  EXPECT_EQ(namedImage(folder.path(), "UsageAgent-kimi"), folder.path() / "UsageAgent-kimi@2x.png");
  folder.write("UsageAgent-qwen@2x.png", "broken");
  folder.write("UsageAgent-qwen@3x.png", pngHead(96, 96));
  EXPECT_EQ(namedImage(folder.path(), "UsageAgent-qwen"), folder.path() / "UsageAgent-qwen@3x.png");
}

TEST(ImageFile, NamedImageStaysInsideTheBundle) {
  TemporaryFolder folder;
  std::filesystem::create_directory(folder.path() / "inner");
  folder.write("x@2x.png", pngHead(8, 8));
  EXPECT_FALSE(namedImage(folder.path() / "inner", "../x"));
  EXPECT_FALSE(namedImage(folder.path(), ""));
  EXPECT_FALSE(namedImage(folder.path(), std::string("x\0y", 3)));
}

}  // namespace
}  // namespace velto::toolkit
