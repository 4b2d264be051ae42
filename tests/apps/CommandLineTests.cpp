// Tests of the velto-widget command as a user runs it: exit codes, standard output and standard error.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Golden.h"
#include "SnapshotJson.h"
#include "UsageSnapshotStore.h"

namespace velto {
namespace {

namespace fs = std::filesystem;

using testing_support::CommandLine;
using testing_support::expectGolden;
using testing_support::Output;
using testing_support::readFile;
using testing_support::readLine;
using namespace std::chrono_literals;

const fs::path fixtures = fs::path(VELTO_FIXTURES_DIR) / "json";

const fs::path reports = fs::path(VELTO_FIXTURES_DIR) / "reports";

const fs::path goldens = fs::path(VELTO_FIXTURES_DIR) / "apps";

/// Crane's five-hour window at `percent`, read at `capturedAt`, resetting at `resetAt` when given.
UsageWidgetSnapshot crane(double percent, Instant capturedAt = 1796126400, std::optional<Instant> resetAt = {}) {
  const UsageWidgetWindow window{.label = "5-hour", .kind = "session", .model = "", .percent = percent,
                                 .resetAt = resetAt};
  return {.server = "local", .capturedAt = capturedAt, .accounts = {
      {.id = "crane", .agent = "crane", .name = "Crane", .windows = {window}}}};
}

// Help and a valid file answer (0) on standard output; every wrong command line (2) and refused input or failed
// operation (1) says what was wrong. Each leaves the stored snapshot as it was.
TEST_F(CommandLine, AnswersAndRefusalsNameTheProblemAndKeepTheStoredFile) {
  const auto store = scratch_ / "store";
  UsageSnapshotStore(store).write({.server = "before", .capturedAt = 1, .accounts = {}});
  const std::string before = readFile(store / "usage-v1.json");
  const auto file = scratch_ / "file";
  std::ofstream(file) << "x";
  const auto large = scratch_ / "large.json";  // too large for a report
  std::ofstream(large) << std::string(2'097'153, ' ');
  const auto cleared = scratch_ / "cleared";
  fs::create_directories(cleared / "usage-v1.json");
  fs::create_symlink(scratch_ / "nowhere", scratch_ / "dangling");
  const auto into = [](const fs::path& output) {
    return std::vector<std::string>{"render", "--format", "text", "-o", output.string()};
  };
  const auto project = [&](const fs::path& report, const std::string& at = "1796126400") {
    return std::vector<std::string>{"project", report.string(), "--server", "s", "--at", at, "--directory",
                                    store.string()};
  };
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string said;  ///< on standard output for 0, else on standard error
    fs::path input = {};
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage:"},
      {{"help"}, 0, "Usage: velto-widget"},
      {{"help", "check"}, 0, "check [OPTIONS] file"},
      {{"check", (fixtures / "pass" / "every-field.json").string()}, 0, "valid\n"},
      {{}, 2, "a command is required"},
      {{"help", "bogus"}, 2, "no command named \"bogus\""},
      // An empty folder name is no folder; read would take it as the current one.
      {{"read", "--directory", ""}, 2, "--directory: must not be empty"},
      // The widget comes in the small and the medium family only.
      {{"render", "--family", "large"}, 2, "large not in {small,medium}"},
      // A template is checked before anything is read, and options of another format are refused.
      {{"render", "--format", "line", "--template", "{nope}"}, 2, "unknown placeholder {nope} in the template"},
      {{"render", "--format", "ansi", "--colors", "polybar"}, 2, "--colors polybar is for --format line"},
      {{"render", "--format", "text", "--template", "{name}"}, 2, "--template is for --format line or waybar"},
      {{"timeline", "--at", "yesterday"}, 2, "--at"},
      {{"host", "--server", "x"}, 2, "collector is required"},
      {{"host", "--directory", store.string(), "--", "true"}, 2, "--server is required"},
      {{"host", "--server", "x", "--every", "0", "--", "true"}, 2, "--every"},
      {{"sample-report", "--at", "yesterday"}, 2, "--at"},
      {{"check", "-"}, 1, "standard input: ", fixtures / "fail" / "percent-as-text.json"},
      {{"read", "--directory", (scratch_ / "empty").string()}, 1, "no usable snapshot"},
      {{"clear", "--directory", cleared.string()}, 1, "cannot clear "},
      {into(scratch_), 1, "a directory, not a file to write"},
      {into(scratch_ / "dangling"), 1, "a symbolic link that leads nowhere"},
      {into(scratch_ / "no" / "such" / "folder"), 1, "No such file or directory"},
      // A demo that cannot put its pictures where it was asked finds out before making its private folder or
      // after; either way it leaves none behind (below).
      {{"demo", "-o", file.string()}, 1, file.string() + ": a regular file, not a folder for the pictures\n"},
      {{"demo", "-o", (file / "pictures").string()}, 1,
       "create folder " + (file / "pictures").string() + ": Not a directory\n"},
      {project(reports / "fail" / "pct-used-as-text.json"), 1, "pct-used-as-text.json: not a usage report: "},
      {project(large), 1, "large.json: report refused: "},
      // A capture time before 1970 is the one thing a projected snapshot can get wrong.
      {project(reports / "pass" / "empty-object.json", "-1"), 1,
       "was not stored: refusing to write an invalid snapshot: capturedAt: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const auto result = run(c.arguments, c.input);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_TRUE(c.exitCode == 0 || result.err.starts_with("velto-widget: ")) << result.err;
    const std::string& shown = c.exitCode == 0 ? result.out : result.err;
    EXPECT_NE(shown.find(c.said), std::string::npos) << shown;
    EXPECT_EQ(readFile(store / "usage-v1.json"), before);
  }
  EXPECT_TRUE(fs::is_symlink(scratch_ / "dangling"));
  for (const auto& entry : fs::directory_iterator(scratch_)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("velto-widget-demo-")) << entry.path();
  }
}

// The report's snapshot as the store encodes it, projected at 2026-12-01T12:00:00Z for the server "workstation".
std::string expectedSnapshot(const std::string& report) {
  return encode(decodeSnapshot(readFile(reports / "pass" / (report + ".snapshot.json")))) + "\n";
}

// --at is seconds since 1970 or a date and time with its offset; anything else is a wrong command line.
TEST_F(CommandLine, ProjectPrintsTheSnapshotAtTheGivenTime) {
  const auto report = (reports / "pass" / "every-account-kind.json").string();
  for (const std::string at : {"1796126400", "1796126400.0", "2026-12-01T12:00:00Z", "2026-12-01T20:00:00+08:00",
                               "2026-12-01T07:00-05:00"}) {
    SCOPED_TRACE(at);
    const auto result = run({"project", report, "--server", " workstation ", "--at", at, "--print"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, expectedSnapshot("every-account-kind"));
  }
  for (const std::string at : {"tomorrow", "2026-02-30T00:00:00Z", "2026-12-01T12:00:00", "2026-12-01", "nan",
                               "1e999", "2026-12-01T24:00:00Z", "2026-12-01T12:00:60Z"}) {
    SCOPED_TRACE(at);
    const auto result = run({"project", report, "--server", "s", "--at", at, "--print"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.starts_with("velto-widget: --at: \"" + at + "\" is neither")) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

// Without --directory, the host side's commands write where the widget side's commands read: the widget's
// store in the bundle's group container under XDG_DATA_HOME. The report here comes from standard input.
TEST_F(CommandLine, WithoutDirectoryCommandsShareTheWidgetStore) {
  auto result = run({"project", "--server", "workstation", "--at", "1796126400"}, reports / "pass" / "outputs.json");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with("Stored 3 accounts in " + (scratch_ / "data").string())) << result.out;
  EXPECT_TRUE(result.out.ends_with("/usage-v1.json\n")) << result.out;

  result = run({"read"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, expectedSnapshot("outputs"));

  // Without --lang, the names are in the user's first preferred language; --lang overrides it.
  ::setenv("LANGUAGE", "zh_TW.UTF-8:en", 1);
  result = run({"options"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with(R"([{"id":"automatic","name":"自动"},{"id":"provider:)")) << result.out;
  EXPECT_TRUE(run({"options", "--lang", "en"}).out.starts_with(R"([{"id":"automatic","name":"Automatic"})"));
  ::unsetenv("LANGUAGE");

  EXPECT_EQ(run({"clear"}).exitCode, 0);
  EXPECT_EQ(run({"read"}).exitCode, 1);
}

// The timeline's entries and the date to ask again. The text in each host's form: as text and as a screen
// reader says it, in the chosen language with times in the zone TZ names; for a bar, with its colour convention
// or a template; for a terminal, on its own background (COLORFGBG), and as one line instead of a box it is too
// narrow for (COLUMNS, as standard output here is a file). Watched: a line at start and a new line at once when
// the store's file is replaced, and a clean exit on SIGTERM (a reader that goes away ends it too: OutputFileTests).
TEST_F(CommandLine, TimelineRenderAndWatchForReadersBarsAndTerminals) {
  const auto store = scratch_ / "store";
  UsageSnapshotStore(store).write(crane(40, 1796126400 - 600, 1796130000));
  const auto timeline = run({"timeline", "--directory", store.string(), "--at", "2026-12-01T12:00:00Z", "--agent",
                             "provider:crane"});
  EXPECT_EQ(timeline.exitCode, 0) << timeline.err;
  expectGolden(goldens / "timeline.json", timeline.out);

  UsageSnapshotStore(store).write(crane(40, 1796126400, 1796127000));
  const auto render = [&](std::vector<std::string> more, const std::string& language = "en") {
    more.insert(more.begin(), {"render", "--directory", store.string(), "--lang", language, "--at", "1796126400"});
    return run(more).out;
  };
  ::setenv("TZ", "UTC", 1);
  ::setenv("COLORFGBG", "0;15", 1);
  ::setenv("COLUMNS", "23", 1);
  expectGolden(goldens / "render-text.txt", render({"--format", "text"}));
  EXPECT_NE(render({"--format", "accessibility"}, "zh").find("Crane, 会话额度"), std::string::npos);
  EXPECT_EQ(render({"--format", "line", "--colors", "polybar"}), "%{F#3b82f6}Crane 40%%{F-}\n");
  EXPECT_EQ(render({"--format", "line", "--template", "{agent}: {percent} {{x}}"}), "crane: 40% {x}\n");
  EXPECT_EQ(render({"--format", "ansi"}),
            "The widget needs 24 columns; this terminal has 23. Try --family small or --format line.\n");
  ::setenv("COLUMNS", "24", 1);
  const std::string white = "48;2;255;255;255";
  EXPECT_EQ(render({"--format", "ansi", "--colors", "truecolor"}).find(white), std::string::npos);
  EXPECT_NE(render({"--format", "ansi", "--colors", "truecolor", "--scheme", "light"}).find(white), std::string::npos);
  ::unsetenv("TZ");
  ::unsetenv("COLORFGBG");
  ::unsetenv("COLUMNS");

  UsageSnapshotStore(store).write(crane(40));
  const auto watch =
      start({"watch", "--format", "waybar", "--lang", "en", "--directory", store.string()}, {}, Output::pipe);
  const std::string first = readLine(watch->output(), 10s);
  EXPECT_NE(first.find(R"("percentage":40)"), std::string::npos) << first;
  UsageSnapshotStore(store).write(crane(75));
  const std::string second = readLine(watch->output(), 10s);
  EXPECT_NE(second.find(R"("percentage":75)"), std::string::npos) << second;
  ::kill(watch->pid(), SIGTERM);
  EXPECT_EQ(watch->wait(10s), 0);
}

// Pictures come from the picture program, run in the command's place from the same prefix: an SVG through
// the command is the picture program's, and a command without one beside it names the program it looked for.
TEST_F(CommandLine, PicturesComeFromThePictureProgramBesideTheCommand) {
  const std::vector<std::string> svg{"render", "--directory", (scratch_ / "none").string(), "--format", "svg"};
  const auto drawn = run(svg);
  EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
  EXPECT_EQ(drawn.out, run(svg, {}, Output::file, VELTO_PICTURE_COMMAND).out);
  EXPECT_NE(drawn.out.find("<svg"), std::string::npos);

  const fs::path command(VELTO_COMMAND);
  const auto helper = fs::path(VELTO_PICTURE_COMMAND).lexically_relative(command.parent_path().parent_path());
  const auto alone = scratch_ / "prefix" / "bin" / "velto-widget";
  fs::create_directories(alone.parent_path());
  fs::copy_file(command, alone);
  const auto missing = run({"render", "--format", "png"}, {}, Output::file, alone);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(testing_support::said(missing.err), "velto-widget: cannot start the picture program " +
                                                  (scratch_ / "prefix" / helper).string() +
                                                  ": No such file or directory\n");
}

}  // namespace
}  // namespace velto
