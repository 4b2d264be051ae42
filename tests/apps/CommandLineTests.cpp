// Tests of the velto-widget command as a user runs it: exit codes, standard output and standard error.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SnapshotJson.h"
#include "TestFiles.h"
#include "UsageSnapshotStore.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

struct Result {
  int exitCode = -1;  // -1: ended by a signal
  std::string out;
  std::string err;
};

using testing_support::readFile;

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "velto-cli-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    ::setenv("TMPDIR", scratch_.c_str(), 1);  // the demo's private folder goes here too
    ::setenv("XDG_DATA_HOME", (scratch_ / "data").c_str(), 1);  // and the widget's store here
  }
  void TearDown() override {
    ::unsetenv("TMPDIR");
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(scratch_);
  }

  // Runs the command with `arguments`, standard input from `input` (empty: /dev/null). With `closedOutput`,
  // standard output is a pipe whose reading end is already closed.
  Result run(const std::vector<std::string>& arguments, const fs::path& input = {}, bool closedOutput = false) {
    const auto outPath = scratch_ / "out";
    const auto errPath = scratch_ / "err";
    int pipeEnds[2] = {-1, -1};
    if (closedOutput && ::pipe(pipeEnds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
      const int in = ::open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
      const int out = closedOutput ? pipeEnds[1] : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(err, 2);
      if (closedOutput) ::close(pipeEnds[0]);
      std::vector<char*> argv{const_cast<char*>(VELTO_COMMAND)};
      for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      ::execv(VELTO_COMMAND, argv.data());
      ::_exit(127);
    }
    if (closedOutput) {
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Result result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = closedOutput ? "" : readFile(outPath);
    result.err = readFile(errPath);
    return result;
  }

  fs::path scratch_;
};

const fs::path fixtures = fs::path(VELTO_FIXTURES_DIR) / "json";

TEST_F(CommandLine, HelpVersionAndUsageErrors) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string inOut;
    std::string inErr;
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage:", ""},
      {{"check", "--help"}, 0, "FILE", ""},
      {{"--version"}, 0, "velto-widget 0.", ""},
      {{}, 2, "", "a command is required"},
      {{"bogus"}, 2, "", "bogus"},
      {{"check"}, 2, "", "file is required"},
      {{"read", "--directory"}, 2, "", "directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.out.find(c.inOut), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
  }
}

TEST_F(CommandLine, CheckSaysValidOrNamesTheFirstBrokenRule) {
  auto result = run({"check", (fixtures / "pass" / "every-field.json").string()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "valid\n");

  result = run({"check", (fixtures / "fail" / "day-not-in-calendar.json").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("accounts[0].output.day: must be a real calendar date"), std::string::npos);

  result = run({"check", "-"}, fixtures / "fail" / "percent-as-text.json");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("standard input: accounts[0].windows[0].percent: expected a number"),
            std::string::npos);

  result = run({"check", (scratch_ / "missing.json").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("No such file or directory"), std::string::npos);

  const auto large = scratch_ / "large.json";
  std::ofstream(large) << std::string(70000, ' ');
  result = run({"check", large.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("larger than 65536 bytes"), std::string::npos);
}

TEST_F(CommandLine, ReadPrintsTheStoredSnapshotOrSaysWhyThereIsNone) {
  auto result = run({"read", "--directory", scratch_.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("no usable snapshot"), std::string::npos);

  const UsageWidgetSnapshot snapshot{.server = "local", .capturedAt = 1796126400, .accounts = {}};
  UsageSnapshotStore(scratch_).write(snapshot);
  result = run({"read", "--directory", scratch_.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, R"({"schema":1,"server":"local","capturedAt":1796126400,"accounts":[]})" "\n");
}

TEST_F(CommandLine, DemoDrawsTheSampleEverywayAndShowsTheMediumWidget) {
  const auto pictures = scratch_ / "pictures";
  const auto result = run({"demo", "-o", pictures.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Corvid · Work"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Stored snapshot: " + scratch_.string()), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Pictures (8 PNG files"), std::string::npos);
  for (const char* family : {"small", "medium"}) {
    for (const char* variant : {"-en-light", "-en-dark", "-zh-light", "-zh-dark"}) {
      const auto file = pictures / (std::string("widget-") + family + variant + ".png");
      EXPECT_TRUE(readFile(file).starts_with("\x89PNG")) << file;
    }
  }
}

TEST_F(CommandLine, ClosedOutputIsAnErrorNotASignal) {
  const auto result = run({"demo"}, {}, /*closedOutput=*/true);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("cannot write"), std::string::npos);
}

const fs::path reports = fs::path(VELTO_FIXTURES_DIR) / "reports";

// The report's snapshot as the store encodes it, projected at 2026-12-01T12:00:00Z for the server "workstation".
std::string expectedSnapshot(const std::string& report) {
  return encode(decodeSnapshot(readFile(reports / "pass" / (report + ".snapshot.json")))) + "\n";
}

TEST_F(CommandLine, ProjectPrintsTheSnapshotAtTheGivenTime) {
  const auto report = (reports / "pass" / "every-account-kind.json").string();
  for (const std::string at : {"1796126400", "1796126400.0", "2026-12-01T12:00:00Z", "2026-12-01T20:00:00+08:00",
                               "2026-12-01T07:00-05:00"}) {
    SCOPED_TRACE(at);
    const auto result = run({"project", report, "--server", " workstation ", "--at", at, "--print"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, expectedSnapshot("every-account-kind"));
  }
}

TEST_F(CommandLine, ProjectStoresFromStandardInputAndClearRemoves) {
  const auto directory = (scratch_ / "store").string();
  auto result = run({"project", "--server", "workstation", "--at", "1796126400", "--directory", directory},
                    reports / "pass" / "outputs.json");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Stored 3 accounts in " + directory + "/usage-v1.json\n");
  result = run({"read", "--directory", directory});
  EXPECT_EQ(result.out, expectedSnapshot("outputs"));

  result = run({"clear", "--directory", directory});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(fs::exists(fs::path(directory) / "usage-v1.json"));
}

// A refused report and a refused write both leave the stored file as it was, and say what was wrong.
TEST_F(CommandLine, ProjectRefusalsNameTheProblemAndKeepTheStoredFile) {
  const fs::path stored = scratch_ / "usage-v1.json";
  UsageSnapshotStore(scratch_).write({.server = "before", .capturedAt = 1, .accounts = {}});
  const std::string before = readFile(stored);

  const auto tooLarge = scratch_ / "large.json";
  std::ofstream(tooLarge) << std::string(2'097'153, ' ');

  struct Case {
    fs::path report;
    std::string inErr;
    std::string at = "1796126400";
  };
  const Case cases[] = {
      {reports / "fail" / "pct-used-as-text.json",
       "pct-used-as-text.json: not a usage report: limits.windows[0].pct_used: expected a number, found a string"},
      {tooLarge, "large.json: report refused (tooLarge): the report is 2097153 bytes, more than 2097152"},
      // A capture time before 1970 is the one thing a projected snapshot can get wrong.
      {reports / "pass" / "empty-object.json",
       "was not stored (invalid): refusing to write an invalid snapshot: capturedAt: ", "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.report.filename().string());
    const auto result =
        run({"project", c.report.string(), "--server", "s", "--at", c.at, "--directory", scratch_.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.starts_with("velto-widget: ")) << result.err;
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
    EXPECT_EQ(readFile(stored), before);
  }
}

TEST_F(CommandLine, ProjectNeedsAServerAndAReadableTime) {
  const auto report = (reports / "pass" / "empty-object.json").string();
  for (const std::string at : {"tomorrow", "2026-02-30T00:00:00Z", "2026-12-01T12:00:00", "2026-12-01", "nan",
                               "1e999", "2026-12-01T24:00:00Z"}) {
    SCOPED_TRACE(at);
    const auto result = run({"project", report, "--server", "s", "--at", at, "--print"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.starts_with("velto-widget: --at: \"" + at + "\" is neither")) << result.err;
    EXPECT_EQ(result.out, "");
  }
  const auto result = run({"project", report, "--print"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("--server is required"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace velto

namespace velto {
namespace {

// Without --directory, the host side's commands write where the widget side's commands read: the widget's
// store in the bundle's group container under XDG_DATA_HOME.
TEST_F(CommandLine, WithoutDirectoryCommandsShareTheWidgetStore) {
  const auto report = fs::path(VELTO_FIXTURES_DIR) / "reports" / "pass" / "balances.json";
  auto result = run({"project", report.string(), "--server", "local", "--at", "1796126400"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find((scratch_ / "data").string()), std::string::npos) << result.out;

  result = run({"read"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find(R"("server":"local")"), std::string::npos);

  result = run({"options", "--lang", "zh"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with(R"([{"id":"automatic","name":"自动"},{"id":"provider:)")) << result.out;

  EXPECT_EQ(run({"clear"}).exitCode, 0);
  EXPECT_EQ(run({"read"}).exitCode, 1);
  EXPECT_EQ(run({"options", "--lang", "en"}).out, R"([{"id":"automatic","name":"Automatic"}])" "\n");
}

TEST_F(CommandLine, OptionsLanguageFollowsTheFirstPreferredLanguage) {
  struct Case {
    const char* language;
    const char* automaticName;
  };
  ::setenv("LC_ALL", "C", 1);  // what LANGUAGE=C falls back to, whatever the machine's locale
  for (const auto& c : {Case{"zh_TW.UTF-8:en", "自动"}, Case{"en_GB:zh_CN", "Automatic"}, Case{"C", "Automatic"}}) {
    ::setenv("LANGUAGE", c.language, 1);
    const auto result = run({"options"});
    EXPECT_NE(result.out.find(c.automaticName), std::string::npos) << c.language << ": " << result.out;
  }
  ::unsetenv("LANGUAGE");
  ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace velto

namespace velto {
namespace {

TEST_F(CommandLine, TimelineListsTheEntriesAndTheReloadDate) {
  const UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = 40,
                                 .resetAt = 1796130000};
  UsageSnapshotStore(scratch_).write({.server = "local", .capturedAt = 1796126400 - 600, .accounts = {
      {.id = "crane", .agent = "crane", .name = "Crane", .windows = {window}}}});
  auto result = run({"timeline", "--directory", scratch_.string(), "--at", "2026-12-01T12:00:00Z", "--agent",
                     "provider:crane"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            R"({"entries":[{"date":1796126400,"provider":"crane","accounts":1,"stale":false},)"
            R"({"date":1796126700,"provider":"crane","accounts":1,"stale":true},)"
            R"({"date":1796130000,"provider":"crane","accounts":1,"stale":true}],"reloadAfter":1796127300})" "\n");

  result = run({"timeline", "--directory", (scratch_ / "nothing").string(), "--at", "1796126400"});
  EXPECT_EQ(result.out, R"({"entries":[{"date":1796126400,"provider":"","accounts":0,"stale":true}],)"
                        R"("reloadAfter":1796127300})" "\n");
  EXPECT_EQ(run({"timeline", "--at", "yesterday"}).exitCode, 2);
}

}  // namespace
}  // namespace velto

namespace velto {
namespace {

// From a raw report to what the widget shows over time: each timeline entry rendered as text.
TEST_F(CommandLine, EachTimelineEntryRendersWhatChangesByThen) {
  const std::string report =
      R"({"limits":{"windows":[{"agent":"crane","agent_name":"Crane","label":"5-hour","kind":"session",)"
      R"("pct_used":42,"reset_unix":1796127000,"observed_at":1796126400}]}})";
  const auto reportFile = scratch_ / "report.json";
  std::ofstream(reportFile) << report;
  const std::string store = (scratch_ / "store").string();
  ASSERT_EQ(run({"project", reportFile.string(), "--server", "local", "--at", "1796126400", "--directory", store})
                .exitCode,
            0);

  const auto timeline = run({"timeline", "--directory", store, "--at", "1796126400"});
  EXPECT_NE(timeline.out.find(R"({"date":1796126400,)"), std::string::npos);
  EXPECT_NE(timeline.out.find(R"({"date":1796127000,)"), std::string::npos);  // the reset
  EXPECT_NE(timeline.out.find(R"({"date":1796127300,)"), std::string::npos);  // stale

  ::setenv("TZ", "UTC", 1);
  const auto texts = [&](const char* at) {
    return run({"render", "--directory", store, "--at", at, "--format", "text", "--lang", "en"}).out;
  };
  EXPECT_EQ(texts("1796126400"), "Crane\nlocal\nSession\n42%\nResets\n12:10\u202fPM\nUpdated\n12:00\u202fPM\n");
  const std::string afterReset = texts("1796127000");
  EXPECT_NE(afterReset.find("Update needed\n"), std::string::npos) << afterReset;
  EXPECT_EQ(afterReset.find("42%"), std::string::npos) << afterReset;
  EXPECT_NE(texts("1796127300").find("Last reading\n"), std::string::npos);
  const auto spoken =
      run({"render", "--directory", store, "--at", "1796126400", "--format", "accessibility", "--lang", "zh"});
  EXPECT_NE(spoken.out.find("Crane, 会话额度"), std::string::npos) << spoken.out;
  ::unsetenv("TZ");
}

TEST_F(CommandLine, RenderWritesTheOutputFileWhole) {
  const auto output = scratch_ / "widget.txt";
  std::ofstream(output) << "old";
  const auto result = run({"render", "--directory", (scratch_ / "none").string(), "--format", "text", "--lang", "en",
                           "-o", output.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(readFile(output), "velto\nUsage unavailable\nOpen velto to update usage on this Mac.\n");
  EXPECT_EQ(run({"render", "--format", "jpeg"}).exitCode, 2);
  EXPECT_EQ(run({"render", "--format", "text", "-o", (scratch_ / "no" / "such" / "folder").string()}).exitCode, 1);
}

}  // namespace
}  // namespace velto

#include <poll.h>
#include <signal.h>

namespace velto {
namespace {

// Reads one line from `fd`, waiting at most `timeout` milliseconds for it; empty when none came.
std::string readLine(int fd, int timeout) {
  std::string line;
  char c = 0;
  while (c != '\n') {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, timeout) <= 0 || ::read(fd, &c, 1) != 1) return line;
    line += c;
  }
  return line;
}

// A live widget as a status bar would run it: a line at start, a new line at once when the store's file is
// replaced, and a clean exit on SIGTERM.
TEST_F(CommandLine, WatchPrintsALineForEachChangeAndStopsOnSigterm) {
  const auto store = scratch_ / "store";
  const UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = 40};
  const auto snapshot = [&](double percent) {
    auto changed = window;
    changed.percent = percent;
    return UsageWidgetSnapshot{.server = "local", .capturedAt = 1796126400, .accounts = {
        {.id = "crane", .agent = "crane", .name = "Crane", .windows = {changed}}}};
  };
  UsageSnapshotStore(store).write(snapshot(40));

  int output[2];
  ASSERT_EQ(::pipe(output), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(output[1], 1);
    ::close(output[0]);
    const std::string directory = store.string();
    ::execl(VELTO_COMMAND, VELTO_COMMAND, "watch", "--format", "waybar", "--lang", "en", "--directory",
            directory.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(output[1]);
  const std::string first = readLine(output[0], 10000);
  EXPECT_NE(first.find(R"("percentage":40)"), std::string::npos) << first;
  UsageSnapshotStore(store).write(snapshot(75));
  const std::string second = readLine(output[0], 10000);
  EXPECT_NE(second.find(R"("percentage":75)"), std::string::npos) << second;

  ::kill(child, SIGTERM);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(output[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace velto
