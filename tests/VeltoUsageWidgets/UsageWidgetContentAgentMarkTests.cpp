// Tests of the agent mark: the lookup order over the images folder, and the images the bundle ships. How the
// mark is drawn is in the small widget's tree (UsageWidgetContentTests).
#include "UsageWidgetAgentMark.h"

#include <gtest/gtest.h>

#include "ImageFile.h"
#include "TemporaryFolder.h"
#include "TestFiles.h"

namespace velto {
namespace {

using testing_support::TemporaryFolder;
using toolkit::ImageSource;

const std::string png = testing_support::readFile(VELTO_AGENT_IMAGES_DIR "/UsageAgent-kelp.png");

TEST(UsageWidgetAgentMark, FileThenNamedResourceThenTerminalSymbol) {
  const TemporaryFolder folder;
  const auto images = std::optional(folder.path());
  const UsageWidgetAgentMark kelp{"kelp"};
  EXPECT_EQ(kelp.source(std::nullopt), ImageSource::symbol("terminal"));
  EXPECT_EQ(kelp.source(images), ImageSource::symbol("terminal"));

  folder.write("UsageAgent-kelp.png", "not a picture");
  EXPECT_EQ(kelp.source(images), ImageSource::symbol("terminal"));
  folder.write("UsageAgent-kelp@2x.png", png);
  EXPECT_EQ(kelp.source(images), ImageSource::resource(folder.path(), "UsageAgent-kelp"));
  folder.write("UsageAgent-kelp.png", png);
  EXPECT_EQ(kelp.source(images), ImageSource::file(folder.path() / "UsageAgent-kelp.png"));

  // Keys compare exactly, and none leaves the folder.
  EXPECT_EQ(UsageWidgetAgentMark{"Kelp"}.source(images).kind, ImageSource::Kind::systemSymbol);
  std::filesystem::create_directory(folder.path() / "UsageAgent-x");
  folder.write("UsageAgent-x/../UsageAgent-kelp.png", png);
  EXPECT_EQ(UsageWidgetAgentMark{"x/../UsageAgent-kelp"}.source(images).kind, ImageSource::Kind::systemSymbol);
}

TEST(UsageWidgetAgentMark, ImageFolderIsTheFirstResourceFolderThatHasOne) {
  const TemporaryFolder first;
  const TemporaryFolder second;
  EXPECT_FALSE(UsageWidgetAgentMark::imageFolder({first.path(), second.path()}));
  std::filesystem::create_directory(second.path() / "images");
  EXPECT_EQ(UsageWidgetAgentMark::imageFolder({first.path(), second.path()}), second.path() / "images");
  std::filesystem::create_directory(first.path() / "images");
  EXPECT_EQ(UsageWidgetAgentMark::imageFolder({first.path(), second.path()}), first.path() / "images");
}

// The marks the bundle ships are found as files, for exactly the agents they are drawn for.
TEST(UsageWidgetAgentMark, ShippedImagesLoad) {
  const std::filesystem::path images = VELTO_AGENT_IMAGES_DIR;
  for (const char* agent : {"corvid", "crane", "gannet", "kelp", "quay"}) {
    EXPECT_EQ(UsageWidgetAgentMark{agent}.source(images),
              ImageSource::file(images / ("UsageAgent-" + std::string(agent) + ".png")))
        << agent;
  }
}

}  // namespace
}  // namespace velto
