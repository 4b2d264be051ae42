// velto-widget: the command line over the usage widget's library.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <exception>
#include <iostream>
#include <system_error>

#include "Commands.h"
#include "DemoCommand.h"
#include "EntryFormat.h"
#include "HostCommand.h"
#include "PictureFormat.h"
#include "PictureProgram.h"
#include "PreferredLanguages.h"
#include "ProducerCommands.h"
#include "SampleReportCommand.h"
#include "StandardOutput.h"
#include "StatusTemplate.h"
#include "UsageWidgetLanguage.h"
#include "WidgetCommands.h"

namespace {

namespace fs = std::filesystem;
using velto::app::ExitCode;

// The one rule for output that cannot be written, whatever the command: a reader that went away (EPIPE: `| head`)
// ends the program quietly, with the command's own status when it had finished and with success when it was cut
// short; any other failure (a full disk, a closed descriptor) is reported with status 1.
bool readerWentAway(const std::system_error& error) { return error.code() == std::errc::broken_pipe; }

// Delivers what is still buffered for standard output, then ends with `code` by the rule above.
int finish(int code, std::ostream& out) {
  try {
    velto::app::deliver(out);
    return code;
  } catch (const std::system_error& error) {
    if (readerWentAway(error)) return code;
    std::cerr << "velto-widget: " << error.what() << '\n';
    return velto::app::exitRefused;
  }
}

// Runs a command, turning every exception into a message and exit code 1: the program never ends by an
// uncaught exception.
int run(const std::function<ExitCode(velto::app::Streams)>& command, std::ostream& out) {
  try {
    return finish(command({out, std::cerr}), out);
  } catch (const std::system_error& error) {
    if (readerWentAway(error)) return velto::app::exitSuccess;
    std::cerr << "velto-widget: " << error.what() << '\n';
  } catch (const std::exception& error) {
    std::cerr << "velto-widget: " << error.what() << '\n';
  }
  return finish(velto::app::exitRefused, out);
}

// Every command that touches the store takes it the same way. An empty name would be read as the current
// folder by some calls and refused by others, so it is no folder at all.
void addDirectoryOption(CLI::App& command, std::optional<fs::path>& directory) {
  command
      .add_option("--directory", directory, "The folder that holds usage-v1.json (default: the widget's store).")
      ->type_name("DIR")
      ->check(CLI::Validator([](const std::string& name) { return name.empty() ? "must not be empty" : ""; },
                             "", "non-empty"));
}

// The options `render` and `watch` share: which widget, drawn how, written where.
void addWidgetOptions(CLI::App& command, velto::app::WidgetRequest& request, std::string& language,
                      const std::vector<std::string>& formats) {
  addDirectoryOption(command, request.directory);
  command.add_option("--agent", request.agent,
                     "The widget's configured value as stored: automatic, provider:KEY, or anything else.")
      ->type_name("VALUE");
  command.add_option("--format", request.format, "What to write (default: " + request.format + ").")
      ->check(CLI::IsMember(formats));
  // The widget is offered in these two families only.
  command.add_option("--family", request.family, "The widget's size (default: small).")
      ->check(CLI::IsMember({"small", "medium"}));
  command.add_option("--lang", language, "The language (default: the user's).")->check(CLI::IsMember({"en", "zh"}));
  command.add_option("--text-size", request.textSize, "The text size, xSmall ... accessibility5 (default: large).")
      ->check(CLI::IsMember({"xSmall", "small", "medium", "large", "xLarge", "xxLarge", "xxxLarge", "accessibility1",
                             "accessibility2", "accessibility3", "accessibility4", "accessibility5"}));
  command
      .add_option("--scheme", request.scheme,
                  "Light or dark colours (default: auto: a terminal's own background, from COLORFGBG where set, "
                  "else dark; pictures light).")
      ->check(CLI::IsMember({"auto", "light", "dark"}));
  command.add_option("--scale", request.scale, "Pixels per point of a picture (default: 2).")
      ->check(CLI::IsMember({1, 2, 3}));
  command.add_flag("--redact", request.redact, "Draw private content as placeholder shapes, as on a locked screen.");
  command
      .add_option("--colors", request.colors,
                  "Terminal colours (default: auto: none unless a colour terminal); for --format line also "
                  "i3blocks (full text, short text and colour lines) or polybar (%{F#rrggbb}).")
      ->check(CLI::IsMember({"auto", "truecolor", "256", "none", "i3blocks", "polybar"}));
  command
      .add_option("--template", request.lineTemplate,
                  "The text of --format line and waybar, with placeholders " +
                      std::string(velto::render::StatusTemplate::placeholders) + " and {{ }} for braces (default: " +
                      std::string(velto::render::StatusTemplate::standard) + ").")
      ->type_name("TEXT")
      ->check(CLI::Validator(
          [](const std::string& text) {
            try {
              velto::render::StatusTemplate{text};
              return std::string();
            } catch (const std::invalid_argument& error) {
              return std::string(error.what());
            }
          },
          "", ""));
  command
      .add_option("-o,--output", request.output,
                  "Write to FILE instead of standard output (- is standard output): a regular file is replaced "
                  "whole and keeps its mode, a FIFO or a device is written into, a symbolic link is followed.")
      ->type_name("FILE");
}

// A number of seconds from `low` to `high`; the error names the bounds as a person writes them.
CLI::Validator secondsBetween(double low, double high) {
  const auto shown = [](double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
  };
  return CLI::Validator(
      [=](std::string& text) {
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        const bool whole = error == std::errc() && end == text.data() + text.size();
        if (whole && value >= low && value <= high) return std::string();
        return "\"" + text + "\" is not a number of seconds from " + shown(low) + " to " + shown(high);
      },
      "");
}

// `help [COMMAND]`: the program's help, or one command's.
int help(const CLI::App& app, const std::string& topic, std::ostream& out) {
  if (topic.empty()) {
    out << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
    return velto::app::exitSuccess;
  }
  const auto named = app.get_subcommands([&](const CLI::App* command) { return command->get_name() == topic; });
  if (named.empty() || topic == "help") {
    std::cerr << "velto-widget: help: no command named \"" << topic << "\"\nRun with --help for more information.\n";
    return velto::app::exitUsage;
  }
  out << named.front()->help(app.get_name());
  return velto::app::exitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  velto::app::reserveStandardDescriptors();
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe becomes EPIPE from write, for finish() to judge, not a signal
  velto::app::DescriptorBuffer outBuffer(STDOUT_FILENO);
  std::ostream out(&outBuffer);

  CLI::App app{"velto-widget: reads, checks and shows the usage snapshot of AI agents under quotas.",
               "velto-widget"};
  app.set_version_flag("--version", "velto-widget " VELTO_VERSION);
  app.require_subcommand(0, 1);  // checked below, so that an unknown command is named in the error
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return "velto-widget: " + std::string(error.what()) + "\nRun with --help for more information.\n";
  });

  std::optional<std::filesystem::path> directory;
  std::string file;

  auto* read = app.add_subcommand("read", "Print the stored snapshot as the store encodes it.");
  addDirectoryOption(*read, directory);

  auto* check = app.add_subcommand("check", "Decode and validate a snapshot file; print \"valid\" or the first "
                                            "rule it breaks, with its JSON path.");
  check->add_option("file", file, "The snapshot file, or - for standard input.")->required()->type_name("FILE");

  std::optional<std::string> demoPictures;
  auto* demo = app.add_subcommand("demo", "Project the bundled sample report, draw the widget in every size, "
                                          "language and scheme, and show it here.");
  demo->add_option("-o,--output", demoPictures, "The folder for the pictures (default: beside the sample's store).")
      ->type_name("DIR");

  velto::app::ProjectRequest projectRequest;
  auto* project = app.add_subcommand("project", "Project a raw usage report into a snapshot and store it (or print it "
                                                "with --print).");
  project->add_option("file", projectRequest.file, "The report, or - for standard input (the default).")
      ->type_name("FILE");
  project->add_option("--server", projectRequest.server, "The name of the server the report came from.")
      ->required()
      ->type_name("NAME");
  project->add_option("--at", projectRequest.at, "The time of projection: seconds since 1970, or an ISO 8601 time "
                                                 "such as 2026-12-01T12:00:00Z (default: now).")
      ->type_name("TIME");
  project->add_flag("--print", projectRequest.print, "Print the snapshot instead of storing it.");
  addDirectoryOption(*project, projectRequest.directory);

  velto::app::HostRequest hostRequest;
  auto* host = app.add_subcommand(
      "host", "Run a collector on a schedule and store the report it prints, until SIGTERM or SIGINT: at start, "
              "every --every seconds and on SIGUSR1 or SIGHUP, refreshes starting at least 60 s apart; after a "
              "stored report, run the reload commands, at most every 300 s. One log line per refresh on "
              "standard error.");
  host->add_option("--server", hostRequest.server, "The name of the server the reports come from.")
      ->required()
      ->type_name("NAME");
  host->add_option("--every", hostRequest.every,
                   "Seconds between refreshes (default: 300); less than 60 is taken as 60.")
      ->check(secondsBetween(1, 31'536'000))
      ->type_name("SECONDS");
  host->add_option("--timeout", hostRequest.timeout,
                   "Seconds the collector and each reload command may run before they are stopped (default: 60).")
      ->check(secondsBetween(0.001, 86'400))
      ->type_name("SECONDS");
  host->add_option("--reload-command", hostRequest.reloadCommands,
                   "A command, run with /bin/sh -c, that makes a widget host reload (for waybar: "
                   "pkill -RTMIN+8 waybar); may be given several times.")
      ->allow_extra_args(false)
      ->type_name("COMMAND");
  host->add_flag("--once", hostRequest.once, "One refresh, then exit: 0 when it stored a snapshot, 1 when not.");
  addDirectoryOption(*host, hostRequest.directory);
  host->add_option("collector", hostRequest.collector,
                   "After --: the collector, a program that prints a raw usage report, and its arguments, run "
                   "without a shell.")
      ->required()
      ->type_name("PROGRAM [ARG...]");

  std::optional<std::string> sampleAt;
  auto* sampleReport = app.add_subcommand("sample-report", "Print the bundled sample report, moved so that it reads "
                                                           "as taken at TIME: a collector for trying out host.");
  sampleReport->add_option("--at", sampleAt, "The time: seconds since 1970 or ISO 8601 (default: now).")
      ->type_name("TIME");

  std::string language;
  auto* options = app.add_subcommand("options", "Print the agent choices a widget offers, as JSON.");
  addDirectoryOption(*options, directory);
  options->add_option("--lang", language, "The language of the automatic choice's name (default: the user's).")
      ->check(CLI::IsMember({"en", "zh"}));

  velto::app::TimelineRequest timelineRequest;
  auto* timeline = app.add_subcommand("timeline", "Print the timeline a widget gets, as JSON.");
  addDirectoryOption(*timeline, timelineRequest.directory);
  timeline->add_option("--agent", timelineRequest.agent,
                       "The widget's configured value as stored: automatic, provider:KEY, or anything else.")
      ->type_name("VALUE");
  timeline->add_option("--at", timelineRequest.at, "The time of the request: seconds since 1970 or ISO 8601.")
      ->type_name("TIME");

  velto::app::RenderRequest renderRequest;
  std::string renderLanguage;
  auto* render = app.add_subcommand("render", "Render the entry a widget shows at an instant.");
  addWidgetOptions(*render, renderRequest, renderLanguage,
                   {"text", "accessibility", "png", "svg", "ansi", "waybar", "line"});
  render->add_option("--at", renderRequest.at, "The instant: seconds since 1970 or ISO 8601 (default: now).")
      ->type_name("TIME");

  velto::app::WidgetRequest watchRequest;
  watchRequest.format = "ansi";
  std::string watchLanguage;
  auto* watch = app.add_subcommand("watch", "Keep a widget live: redraw it whenever what it shows changes, "
                                            "until interrupted.");
  addWidgetOptions(*watch, watchRequest, watchLanguage,
                   {"ansi", "png", "svg", "waybar", "line", "text", "accessibility"});

  auto* clear = app.add_subcommand("clear", "Delete the stored snapshot.");
  addDirectoryOption(*clear, directory);

  std::string helpTopic;
  auto* helpCommand = app.add_subcommand("help", "Show how to use velto-widget, or one of its commands.");
  helpCommand->add_option("command", helpTopic, "The command to explain.")->type_name("COMMAND");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // --help and --version arrive here too, as "errors" with exit code 0 whose text goes to `out`.
    const int code = app.exit(error, out, std::cerr);
    return finish(code == 0 ? velto::app::exitSuccess : velto::app::exitUsage, out);
  }

  // Pictures are drawn by the picture program, the same commands linked with the picture stack, which this
  // program loads none of: it runs that program in its place, before doing anything else.
  const auto pictureFormat = [](const std::string& format) {
    return velto::app::isPicture(velto::app::formatNamed(format));
  };
  const bool drawsPicture = demo->parsed() || (render->parsed() && pictureFormat(renderRequest.format)) ||
                            (watch->parsed() && pictureFormat(watchRequest.format));
  if (drawsPicture && !velto::app::drawsPictures()) {
    return finish(velto::app::runPictureProgram(argv, std::cerr), out);
  }

  const auto runCommand = [&out](const std::function<ExitCode(velto::app::Streams)>& command) {
    return run(command, out);
  };
  if (helpCommand->parsed()) return finish(help(app, helpTopic, out), out);
  if (read->parsed()) return runCommand([&](auto streams) { return velto::app::readCommand(directory, streams); });
  if (check->parsed()) return runCommand([&](auto streams) { return velto::app::checkCommand(file, streams); });
  if (project->parsed()) {
    return runCommand([&](auto streams) { return velto::app::projectCommand(projectRequest, streams); });
  }
  if (clear->parsed()) return runCommand([&](auto streams) { return velto::app::clearCommand(directory, streams); });
  if (host->parsed()) return runCommand([&](auto streams) { return velto::app::hostCommand(hostRequest, streams); });
  if (sampleReport->parsed()) {
    return runCommand([&](auto streams) { return velto::app::sampleReportCommand(sampleAt, streams); });
  }
  if (options->parsed()) {
    const bool chinese = language.empty() ? velto::prefersChinese(velto::platform::preferredLanguages()) : language == "zh";
    return runCommand([&](auto streams) { return velto::app::optionsCommand(directory, chinese, streams); });
  }
  if (timeline->parsed()) {
    return runCommand([&](auto streams) { return velto::app::timelineCommand(timelineRequest, streams); });
  }
  if (render->parsed()) {
    if (!renderLanguage.empty()) renderRequest.chinese = renderLanguage == "zh";
    return runCommand([&](auto streams) { return velto::app::renderCommand(renderRequest, streams); });
  }
  if (watch->parsed()) {
    if (!watchLanguage.empty()) watchRequest.chinese = watchLanguage == "zh";
    return runCommand([&](auto streams) { return velto::app::watchCommand(watchRequest, streams); });
  }
  if (demo->parsed()) return runCommand([&](auto streams) { return velto::app::demoCommand(demoPictures, streams); });
  std::cerr << "velto-widget: a command is required (project, host, sample-report, read, options, timeline, render, "
               "watch, check, clear, demo or help)\nRun with --help for more information.\n";
  return velto::app::exitUsage;
}
