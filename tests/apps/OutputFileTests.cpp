// OutputFileTests: -o into devices, FIFOs and files, and standard output that is full, closed or unread.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "UsageSnapshotStore.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing_support::CommandLine;
using testing_support::Output;
using testing_support::readFile;

/// What `render --format text` draws for an empty store, in English.
const std::string unavailable = readFile(fs::path(VELTO_FIXTURES_DIR) / "apps" / "unavailable.txt");

// Standard output by "-" or by name; a FIFO or a device is written into, never replaced by a file. A regular
// file is replaced whole in its own folder, keeping its mode; a symbolic link to it stays a link. A write that
// was interrupted (killed, or the machine stopped) left its temporary file; the next write of the same path
// removes it (which names are its own is the file replacement's part: UsageSnapshotStoreWriteFaultTests).
TEST_F(CommandLine, OutputFileOfEachKindIsWrittenIntoOrReplacedAsItShould) {
  const auto render = [&](const fs::path& output) {
    return run({"render", "--directory", (scratch_ / "none").string(), "--format", "text", "--lang", "en", "-o",
                output.string()});
  };
  const auto modeOf = [](const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode;
  };
  for (const char* name : {"-", "/dev/stdout"}) {
    const auto result = render(name);
    EXPECT_EQ(result.exitCode, 0) << name << ": " << result.err;
    EXPECT_EQ(result.out, unavailable) << name;
  }
  const auto fifo = scratch_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto reader = std::async(std::launch::async, [&] { return readFile(fifo); });
  auto result = render(fifo);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(reader.get(), unavailable);
  EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));

  // A null device of our own where we may make one, so that a fault here cannot replace the system's.
  fs::path device = scratch_ / "null";
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) device = "/dev/null";
  result = render(device);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(S_ISCHR(modeOf(device)));

  fs::create_directory(scratch_ / "elsewhere");
  const auto target = scratch_ / "elsewhere" / "widget.txt";
  std::ofstream(target) << "old";
  // Group-writable, so that a mode passed through the umask (022) would come back as 0640.
  ASSERT_EQ(::chmod(target.c_str(), 0660), 0);
  fs::create_symlink(target, scratch_ / "link.txt");
  const mode_t mask = ::umask(022);
  result = render(scratch_ / "link.txt");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(readFile(target), unavailable);
  EXPECT_EQ(modeOf(target) & 07777, 0660);
  EXPECT_TRUE(fs::is_symlink(scratch_ / "link.txt"));

  std::ofstream(scratch_ / ".new.txt.abcdefghijkl.tmp") << "half a pict";
  result = render(scratch_ / "new.txt");
  ::umask(mask);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(modeOf(scratch_ / "new.txt") & 07777, 0644) << "as any new file under umask 022";
  EXPECT_FALSE(fs::exists(scratch_ / ".new.txt.abcdefghijkl.tmp"));
}

// One rule for every command: a reader that went away (a closed pipe) ends the program quietly with the command's
// own status, as `| head` expects; any other failure to write standard output is reported with status 1. A
// summary that cannot be printed after the snapshot was stored is only a warning.
TEST_F(CommandLine, StandardOutputThatCannotBeWritten) {
  const auto store = (scratch_ / "store").string();
  UsageSnapshotStore(store).write({.server = "local", .capturedAt = 1796126400, .accounts = {}});
  const auto report = (fs::path(VELTO_FIXTURES_DIR) / "reports" / "pass" / "balances.json").string();
  const std::vector<std::string> watch = {"watch", "--format", "waybar", "--lang", "en", "--directory", store};
  const std::string full = "velto-widget: cannot write to standard output: No space left on device\n";
  const std::string closed = "velto-widget: cannot write to standard output: Bad file descriptor\n";
  struct Case {
    std::vector<std::string> arguments;
    Output output;
    int exitCode;
    std::string err;
  };
  const Case cases[] = {
      {{"--version"}, Output::closed, 1, closed},
      {{"read", "--directory", store}, Output::full, 1, full},
      {{"demo"}, Output::closedPipe, 0, ""},
      {watch, Output::closedPipe, 0, ""},
      {watch, Output::closed, 1, closed},
      {{"project", report, "--server", "s", "--directory", store}, Output::full, 0,
       "velto-widget: warning: the snapshot is stored, but this could not be said: No space left on device\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments) + " with output " + std::to_string(static_cast<int>(c.output)));
    const auto result = run(c.arguments, {}, c.output);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(testing_support::said(result.err), c.err) << result.err;
  }
  EXPECT_NE(run({"read", "--directory", store}).out.find("\"accounts\":[{"), std::string::npos)
      << "the project that could not say so stored the report";
}

}  // namespace
}  // namespace velto
