// Tests of recognising the journal's stream by the device and inode systemd names.
#include "JournalStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace velto::platform {
namespace {

TEST(JournalStream, OnlyTheNamedFileIsTheJournal) {
  struct stat status {};
  ASSERT_EQ(::fstat(STDIN_FILENO, &status), 0);
  const std::string device = std::to_string(status.st_dev);
  const std::string inode = std::to_string(status.st_ino);
  const struct {
    std::optional<std::string> value;
    bool journal;
  } cases[] = {
      {device + ":" + inode, true},
      {device + ":" + std::to_string(status.st_ino + 1), false},
      {device + ":" + inode + "x", false},
      {device + inode, false},
      {":" + inode, false},
      {std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.value_or("unset"));
    EXPECT_EQ(isJournalStream(c.value, STDIN_FILENO), c.journal);
  }
  EXPECT_FALSE(isJournalStream(device + ":" + inode, -1));
}

}  // namespace
}  // namespace velto::platform
