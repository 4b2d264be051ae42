// Tests of the velto-widget command as a user runs it: exit codes, standard output and standard error.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "SnapshotJson.h"
#include "UsageSnapshotStore.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

using testing_support::CommandLine;
using testing_support::readFile;

const fs::path fixtures = fs::path(VELTO_FIXTURES_DIR) / "json";

TEST_F(CommandLine, HelpVersionAndUsageErrors) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string inOut;
    std::string inErr;  ///< every complaint also starts with "velto-widget: "
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage:", ""},
      {{"check", "--help"}, 0, "FILE", ""},
      {{"help"}, 0, "Usage: velto-widget", ""},
      {{"help", "check"}, 0, "check [OPTIONS] file", ""},
      {{"--version"}, 0, "velto-widget 0.", ""},
      {{}, 2, "", "a command is required"},
      {{"bogus"}, 2, "", "bogus"},
      {{"help", "bogus"}, 2, "", "no command named \"bogus\""},
      {{"check"}, 2, "", "file is required"},
      {{"check", "x", "--bogus"}, 2, "", "--bogus"},
      {{"read", "--directory"}, 2, "", "directory"},
      // An empty folder name is no folder; read would take it as the current one.
      {{"read", "--directory", ""}, 2, "", "--directory: must not be empty"},
      {{"render", "--directory", ""}, 2, "", "--directory: must not be empty"},
      {{"project", "--server", "s", "--directory", ""}, 2, "", "--directory: must not be empty"},
      // The widget comes in the small and the medium family only.
      {{"render", "--family", "large"}, 2, "", "large not in {small,medium}"},
      // A template is checked before anything is read, and options of another format are refused.
      {{"render", "--format", "line", "--template", "{nope}"}, 2, "", "unknown placeholder {nope} in the template"},
      {{"watch", "--format", "line", "--template", "50%}"}, 2, "", "a \"}\" at character 4 of the template"},
      {{"render", "--format", "ansi", "--colors", "polybar"}, 2, "", "--colors polybar is for --format line"},
      {{"render", "--format", "text", "--template", "{name}"}, 2, "", "--template is for --format line or waybar"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.out.find(c.inOut), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
    if (c.exitCode != 0) {
      EXPECT_TRUE(result.err.starts_with("velto-widget: ")) << result.err;
    }
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
  EXPECT_NE(result.err.find("large.json: more than 65,536 bytes"), std::string::npos) << result.err;
}

// A name on the command line is read by the store's rules: nothing that could block (a FIFO with no writer)
// or is not a file is read; standard input is "-".
TEST_F(CommandLine, NamedInputsAreRegularFilesOnly) {
  const auto fifo = scratch_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> arguments;
    std::string inErr;
  };
  const Case cases[] = {
      {{"check", fifo.string()}, "fifo: a FIFO, not a regular file"},
      {{"project", fifo.string(), "--server", "s", "--print"}, "fifo: a FIFO, not a regular file"},
      {{"check", scratch_.string()}, ": a directory, not a regular file"},
      {{"project", "/dev/zero", "--server", "s", "--print"}, "/dev/zero: a character device, not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.starts_with("velto-widget: ")) << result.err;
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
  }
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

// A demo that cannot put its pictures where it was asked says why in a sentence and leaves no private folder,
// whether it finds out before making that folder or after.
TEST_F(CommandLine, AFailedDemoSaysWhyAndLeavesNothingBehind) {
  const auto file = scratch_ / "file";
  std::ofstream(file) << "x";
  const std::pair<fs::path, std::string> cases[] = {
      {file, file.string() + ": a regular file, not a folder for the pictures\n"},
      {file / "pictures", "create folder " + (file / "pictures").string() + ": Not a directory\n"},
  };
  for (const auto& [pictures, reason] : cases) {
    const auto result = run({"demo", "-o", pictures.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "velto-widget: " + reason);
    for (const auto& entry : fs::directory_iterator(scratch_)) {
      EXPECT_FALSE(entry.path().filename().string().starts_with("velto-widget-demo-")) << entry.path();
    }
  }
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
      {tooLarge, "large.json: report refused: the report is more than 2,097,152 bytes\n"},
      // A capture time before 1970 is the one thing a projected snapshot can get wrong.
      {reports / "pass" / "empty-object.json", "was not stored: refusing to write an invalid snapshot: capturedAt: ",
       "-1"},
      {reports / "fail" / "reset-beyond-any-integer.json",
       "not a usage report: limits.windows[0].reset_unix: integer out of range (more than 64 bits)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.report.filename().string());
    const auto result =
        run({"project", c.report.string(), "--server", "s", "--at", c.at, "--directory", scratch_.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.starts_with("velto-widget: ")) << result.err;
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("tooLarge"), std::string::npos) << "the code's words are not the user's";
    EXPECT_EQ(readFile(stored), before);
  }
}

TEST_F(CommandLine, ClearSaysWhyTheSnapshotCouldNotBeDeleted) {
  ASSERT_EQ(::mkdir((scratch_ / "usage-v1.json").c_str(), 0700), 0);
  auto result = run({"clear", "--directory", scratch_.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "velto-widget: cannot clear " + (scratch_ / "usage-v1.json").string() + ": Is a directory\n");

  std::ofstream(scratch_ / "plain") << "x";
  result = run({"clear", "--directory", (scratch_ / "plain").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("plain/usage-v1.json: Not a directory"), std::string::npos) << result.err;
}

TEST_F(CommandLine, ProjectNeedsAServerAndAReadableTime) {
  const auto report = (reports / "pass" / "empty-object.json").string();
  for (const std::string at : {"tomorrow", "2026-02-30T00:00:00Z", "2026-12-01T12:00:00", "2026-12-01", "nan",
                               "1e999", "2026-12-01T24:00:00Z", "2026-12-01T12:00:60Z"}) {
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

// The text hosts as a bar or a terminal runs them: the bar's colour convention, the terminal's own background
// (COLORFGBG), and one line instead of a box the terminal is too narrow for (COLUMNS, as standard output here
// is a file).
TEST_F(CommandLine, RenderForBarsAndTerminals) {
  const auto store = scratch_ / "store";
  UsageWidgetSnapshot snapshot{.server = "local", .capturedAt = 1796126400, .accounts = {
      {.id = "crane", .agent = "crane", .name = "Crane", .windows = {{.label = "5-hour", .kind = "session", .percent = 40}}}}};
  UsageSnapshotStore(store).write(snapshot);
  const std::vector<std::string> widget{"render", "--directory", store.string(), "--lang", "en", "--at", "1796126400"};
  const auto render = [&](std::vector<std::string> more) {
    more.insert(more.begin(), widget.begin(), widget.end());
    return run(more);
  };
  ::setenv("COLORFGBG", "0;15", 1);
  ::setenv("COLUMNS", "23", 1);
  EXPECT_EQ(render({"--format", "line", "--colors", "polybar"}).out, "%{F#3b82f6}Crane 40%%{F-}\n");
  EXPECT_EQ(render({"--format", "line", "--template", "{agent}: {percent} {{x}}"}).out, "crane: 40% {x}\n");
  EXPECT_EQ(render({"--format", "ansi"}).out,
            "The widget needs 24 columns; this terminal has 23. Try --family small or --format line.\n");
  ::setenv("COLUMNS", "24", 1);
  const std::string white = "48;2;255;255;255";
  EXPECT_EQ(render({"--format", "ansi", "--colors", "truecolor"}).out.find(white), std::string::npos);
  EXPECT_NE(render({"--format", "ansi", "--colors", "truecolor", "--scheme", "light"}).out.find(white),
            std::string::npos);
  ::unsetenv("COLORFGBG");
  ::unsetenv("COLUMNS");
}

// Pictures come from the picture program, run in the command's place from the same prefix: an SVG through
// the command is the picture program's, and a command without one beside it names the program it looked for.
TEST_F(CommandLine, PicturesComeFromThePictureProgramBesideTheCommand) {
  const std::vector<std::string> svg{"render", "--directory", (scratch_ / "none").string(), "--format", "svg"};
  const auto drawn = run(svg);
  EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
  EXPECT_EQ(drawn.out, run(svg, {}, testing_support::Output::file, VELTO_PICTURE_COMMAND).out);
  EXPECT_NE(drawn.out.find("<svg"), std::string::npos);

  const fs::path command(VELTO_COMMAND);
  const auto helper = fs::path(VELTO_PICTURE_COMMAND).lexically_relative(command.parent_path().parent_path());
  const auto alone = scratch_ / "prefix" / "bin" / "velto-widget";
  fs::create_directories(alone.parent_path());
  fs::copy_file(command, alone);
  const auto missing = run({"render", "--format", "png"}, {}, testing_support::Output::file, alone);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(testing_support::said(missing.err), "velto-widget: cannot start the picture program " +
                                                  (scratch_ / "prefix" / helper).string() +
                                                  ": No such file or directory\n");
}


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

/// A live widget as a status bar would run it: its standard output is a pipe, read here.
struct Watch {
  pid_t process;
  int output;
};

Watch startWatch(const fs::path& store) {
  int output[2];
  EXPECT_EQ(::pipe(output), 0);
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
  return {child, output[0]};
}

UsageWidgetSnapshot usedPercent(double percent) {
  const UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = percent};
  return {.server = "local", .capturedAt = 1796126400, .accounts = {
      {.id = "crane", .agent = "crane", .name = "Crane", .windows = {window}}}};
}

// A line at start, a new line at once when the store's file is replaced, and a clean exit on SIGTERM.
TEST_F(CommandLine, WatchPrintsALineForEachChangeAndStopsOnSigterm) {
  const auto store = scratch_ / "store";
  UsageSnapshotStore(store).write(usedPercent(40));
  const Watch watch = startWatch(store);
  const std::string first = readLine(watch.output, 10000);
  EXPECT_NE(first.find(R"("percentage":40)"), std::string::npos) << first;
  UsageSnapshotStore(store).write(usedPercent(75));
  const std::string second = readLine(watch.output, 10000);
  EXPECT_NE(second.find(R"("percentage":75)"), std::string::npos) << second;

  ::kill(watch.process, SIGTERM);
  EXPECT_EQ(testing_support::waitForExit(watch.process), 0);
  ::close(watch.output);
}

// `watch | head -1`: once its reader has gone, the next line it writes ends it quietly, instead of it living on
// with no one to show anything to.
TEST_F(CommandLine, WatchEndsAtTheFirstLineItsReaderIsNoLongerThereFor) {
  const auto store = scratch_ / "store";
  UsageSnapshotStore(store).write(usedPercent(40));
  const Watch watch = startWatch(store);
  EXPECT_NE(readLine(watch.output, 10000), "");
  ::close(watch.output);
  UsageSnapshotStore(store).write(usedPercent(75));
  EXPECT_EQ(testing_support::waitForExit(watch.process), 0);
}

}  // namespace
}  // namespace velto
