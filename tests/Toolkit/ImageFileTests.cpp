// Tests of which picture files count as images and how named resources map to files.
#include "ImageFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "PngHeader.h"
#include "TemporaryFolder.h"

namespace velto::toolkit {
namespace {

using testing_support::TemporaryFolder;

using testing_support::pngHeader;

TEST(ImageFile, LoadsOnlyWellFormedPngHeaders) {
  TemporaryFolder folder;
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<PixelDimensions> dimensions;
  };
  const Case cases[] = {
      {"ok.png", pngHeader(64, 32), PixelDimensions{64, 32}},
      {"largest.png", pngHeader(16384, 1), PixelDimensions{16384, 1}},
      {"zero-width.png", pngHeader(0, 64), std::nullopt},
      {"too-tall.png", pngHeader(64, 16385), std::nullopt},
      {"wrong-chunk.png", pngHeader(64, 64, "IDAT"), std::nullopt},
      {"truncated.png", pngHeader(64, 64).substr(0, 20), std::nullopt},
      {"not-png.png", "GIF89a" + pngHeader(64, 64), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = folder.write(c.name, c.bytes);
    EXPECT_EQ(imageDimensions(file), c.dimensions);
    EXPECT_EQ(loadsAsImage(file), c.dimensions.has_value());
    EXPECT_EQ(readImage(file), c.dimensions ? std::optional<std::string>(c.bytes) : std::nullopt);
  }
  EXPECT_FALSE(loadsAsImage(folder.path() / "missing.png"));
}

// What is read whole is bounded, and only a regular file is read: a FIFO would block the reader.
TEST(ImageFile, ReadsOnlyRegularFilesUpToTheLimit) {
  TemporaryFolder folder;
  std::string largest = pngHeader(64, 64);
  largest.resize(maximumImageBytes, '\0');
  EXPECT_EQ(readImage(folder.write("largest.png", largest)), largest);
  EXPECT_EQ(readImage(folder.write("too-large.png", largest + '\0')), std::nullopt);

  const auto fifo = folder.path() / "fifo.png";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(readImage(fifo), std::nullopt);
}

TEST(ImageFile, NamedImageTakesScaleVariantsInOrderNeverThePlainFile) {
  TemporaryFolder folder;
  folder.write("UsageAgent-kelp.png", pngHeader(64, 64));
  EXPECT_FALSE(namedImage(folder.path(), "UsageAgent-kelp"));
  folder.write("UsageAgent-kelp@3x.png", pngHeader(96, 96));
  EXPECT_EQ(namedImage(folder.path(), "UsageAgent-kelp"), folder.path() / "UsageAgent-kelp@3x.png");
  folder.write("UsageAgent-kelp@2x.png", pngHeader(64, 64));
  EXPECT_EQ(namedImage(folder.path(), "UsageAgent-kelp"), folder.path() / "UsageAgent-kelp@2x.png");
  folder.write("UsageAgent-quay@2x.png", "broken");
  folder.write("UsageAgent-quay@3x.png", pngHeader(96, 96));
  EXPECT_EQ(namedImage(folder.path(), "UsageAgent-quay"), folder.path() / "UsageAgent-quay@3x.png");
}

TEST(ImageFile, NamedImageStaysInsideTheBundle) {
  TemporaryFolder folder;
  std::filesystem::create_directory(folder.path() / "inner");
  folder.write("x@2x.png", pngHeader(8, 8));
  EXPECT_FALSE(namedImage(folder.path() / "inner", "../x"));
  EXPECT_FALSE(namedImage(folder.path(), ""));
  EXPECT_FALSE(namedImage(folder.path(), std::string("x\0y", 3)));
}

}  // namespace
}  // namespace velto::toolkit
