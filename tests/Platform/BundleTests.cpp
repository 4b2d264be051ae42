// Tests of the bundle stand-in: the program's resource folder beside its bin/ folder.
#include "Bundle.h"

#include <gtest/gtest.h>

namespace velto::platform {
namespace {

// Test programs are built into the same bin/ folder as the command, so they see the same bundle.
TEST(Bundle, ResourceFolderIsShareVeltoWidgetBesideBin) {
  const auto folder = resourceDirectory();
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->filename(), "velto-widget");
  EXPECT_EQ(folder->parent_path().filename(), "share");
  EXPECT_TRUE(std::filesystem::is_regular_file(*folder / "samples" / "usage-v1.json"));
}

}  // namespace
}  // namespace velto::platform
