// DesktopApplication: command lines in, windows out; the timer, the folder monitor and the appearance drive
// the redraws.
#include "DesktopApplication.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iostream>

#include "MacUsageWidgetContainer.h"
#include "PreferredLanguages.h"
#include "UsageSnapshotStore.h"
#include "UsageWidgetLanguage.h"

namespace velto::desktop {
namespace {

Instant currentInstant() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void logLine(const std::string& line) { std::cerr << "velto-widget-desktop: " << line << std::endl; }

bool namesSnapshotFile(GFile* file) {
  if (!file) return false;
  char* name = g_file_get_basename(file);
  const bool named = name && UsageSnapshotStore::fileName == name;
  g_free(name);
  return named;
}

}  // namespace

/// GTK's and GLib's callbacks, each a plain function that finds the application in the user data.
struct DesktopApplication::Signals {
  static DesktopApplication& of(gpointer self) { return *static_cast<DesktopApplication*>(self); }

  static int commandLine(GApplication*, GApplicationCommandLine* commandLine, gpointer self) {
    return of(self).commandLine(commandLine);
  }

  static void folderChanged(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event, gpointer self) {
    DesktopApplication& application = of(self);
    if (event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED) return;
    // The folder itself coming or going changes what can be read as much as the file does.
    if (!namesSnapshotFile(file) && !namesSnapshotFile(other) && !g_file_equal(file, application.watchedFolder_)) {
      return;
    }
    // A replacement comes as several events; the file is read once, after the last of them.
    if (application.pendingReload_ == 0) application.pendingReload_ = g_idle_add(reload, self);
  }

  static gboolean reload(gpointer self) {
    DesktopApplication& application = of(self);
    application.pendingReload_ = 0;
    for (auto& window : application.windows_) window->snapshotChanged();
    application.refresh();
    return G_SOURCE_REMOVE;
  }

  static gboolean stop(gpointer self) {
    g_application_quit(G_APPLICATION(of(self).application_));
    return G_SOURCE_CONTINUE;
  }

  static void addWidget(GSimpleAction*, GVariant* size, gpointer self) {
    const auto family = familyNamed(g_variant_get_string(size, nullptr));
    if (!family) return;
    of(self).addWidget({.family = *family});
    of(self).save();
  }

  static void quit(GSimpleAction*, GVariant*, gpointer self) { g_application_quit(G_APPLICATION(of(self).application_)); }

  static gboolean removeLeaving(gpointer self) {
    DesktopApplication& application = of(self);
    application.pendingRemoval_ = 0;
    std::erase_if(application.windows_, [&](const auto& window) {
      return std::find(application.leaving_.begin(), application.leaving_.end(), window.get()) !=
             application.leaving_.end();
    });
    application.leaving_.clear();
    application.save();
    if (application.windows_.empty()) g_application_quit(G_APPLICATION(application.application_));
    return G_SOURCE_REMOVE;
  }
};

DesktopApplication::DesktopApplication()
    : application_(gtk_application_new(id, G_APPLICATION_HANDLES_COMMAND_LINE)),
      stateFile_(DesktopStateFile::userFile()) {
  g_signal_connect(application_, "command-line", G_CALLBACK(Signals::commandLine), this);
  const GActionEntry entries[] = {
      {"add-widget", Signals::addWidget, "s", nullptr, nullptr, {}},
      {"quit", Signals::quit, nullptr, nullptr, nullptr, {}},
  };
  g_action_map_add_action_entries(G_ACTION_MAP(application_), entries, G_N_ELEMENTS(entries), this);
}

DesktopApplication::~DesktopApplication() {
  windows_.clear();
  for (const unsigned source : signalSources_) g_source_remove(source);
  if (pendingReload_) g_source_remove(pendingReload_);
  if (pendingRemoval_) g_source_remove(pendingRemoval_);
  if (monitor_) g_object_unref(monitor_);
  if (watchedFolder_) g_object_unref(watchedFolder_);
  timer_.reset();
  appearance_.reset();
  g_object_unref(application_);
}

int DesktopApplication::run(int argc, char** argv) { return g_application_run(G_APPLICATION(application_), argc, argv); }

int DesktopApplication::commandLine(GApplicationCommandLine* commandLine) {
  int argc = 0;
  gchar** argv = g_application_command_line_get_arguments(commandLine, &argc);
  const std::vector<std::string> arguments(argv, argv + argc);
  g_strfreev(argv);
  const char* cwd = g_application_command_line_get_cwd(commandLine);
  const CommandLine parsed = parseCommandLine(arguments, cwd ? cwd : "/");
  if (!parsed.out.empty()) g_application_command_line_print(commandLine, "%s", parsed.out.c_str());
  if (!parsed.err.empty()) g_application_command_line_printerr(commandLine, "%s", parsed.err.c_str());
  if (!parsed.options) return parsed.exitCode;
  if (!options_) return start(*parsed.options, commandLine);

  // A later start: it may add a widget and fix the look, but the widgets stay on the store they show.
  const DesktopOptions& asked = *parsed.options;
  std::error_code ignored;
  if (asked.directory && !std::filesystem::equivalent(*asked.directory, folder_, ignored)) {
    g_application_command_line_printerr(commandLine,
                                        "velto-widget-desktop: already running on the store in %s; quit it to "
                                        "start on another\n",
                                        folder_.c_str());
    return 1;
  }
  if (asked.chinese) options_->chinese = asked.chinese;
  if (asked.scheme) options_->scheme = asked.scheme;
  if (asked.textSize) options_->textSize = asked.textSize;
  options_->redact = options_->redact || asked.redact;
  updateLook();
  if (asked.add) {
    addWidget({.family = *asked.add});
    save();
  }
  return 0;
}

int DesktopApplication::start(const DesktopOptions& options, GApplicationCommandLine* commandLine) {
  const auto directory = options.directory;
  const UsageSnapshotStore store = directory ? UsageSnapshotStore(*directory) : MacUsageWidgetContainer::store();
  if (!store.directory()) {
    g_application_command_line_printerr(commandLine, "velto-widget-desktop: no store directory to watch (name one "
                                                     "with --directory DIR)\n");
    return 1;
  }
  folder_ = *store.directory();
  std::error_code error;
  if (std::filesystem::exists(folder_, error) && !std::filesystem::is_directory(folder_, error)) {
    g_application_command_line_printerr(commandLine, "velto-widget-desktop: %s: not a folder\n", folder_.c_str());
    return 1;
  }
  options_ = options;

  GDBusConnection* bus = g_application_get_dbus_connection(G_APPLICATION(application_));
  if (!bus) logLine("no session bus: running on its own, so a second start will not reach this one");
  appearance_ = std::make_unique<DesktopAppearance>(bus, [this] { updateLook(); });
  look_.emplace(WidgetLook{.environment = UsageWidgetContentEnvironment::current()});
  updateLook();
  timer_ = std::make_unique<WallClockTimer>([this] { refresh(); });

  watchedFolder_ = g_file_new_for_path(folder_.c_str());
  GError* failure = nullptr;
  monitor_ = g_file_monitor_directory(watchedFolder_, G_FILE_MONITOR_WATCH_MOVES, nullptr, &failure);
  if (monitor_) {
    g_signal_connect(monitor_, "changed", G_CALLBACK(Signals::folderChanged), this);
  } else {
    logLine(folder_.string() + ": cannot watch for changes (" + failure->message + "); redrawing by date alone");
    g_error_free(failure);
  }
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) signalSources_.push_back(g_unix_signal_add(signal, Signals::stop, this));

  DesktopStateFile::Loaded loaded = stateFile_.load();
  if (!loaded.problem.empty()) logLine("refusing the widgets' state: " + loaded.problem);
  // Removing the last widget quits; the next start shows the first start's widget again.
  if (loaded.state.widgets.empty()) loaded.state = DesktopState::firstStart();
  for (auto& placed : loaded.state.widgets) addWidget(std::move(placed));
  if (options.add) {
    addWidget({.family = *options.add});
    save();
  }
  return 0;
}

void DesktopApplication::addWidget(PlacedWidget placed) {
  // Each store request resolves the store afresh, as the widget expects.
  WidgetHost host(currentInstant,
                  [directory = options_->directory] {
                    return directory ? UsageSnapshotStore(*directory) : MacUsageWidgetContainer::store();
                  },
                  look_->environment.timeZone);
  const int slot = static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                                  [](const auto& window) { return !window->placed().position; }));
  windows_.push_back(std::make_unique<WidgetWindow>(application_, *this, std::move(host), std::move(placed), slot));
  refresh();
}

void DesktopApplication::refresh() {
  std::optional<Instant> next;
  for (auto& window : windows_) {
    window->refresh();
    if (const auto change = window->nextChange()) next = next ? std::min(*next, *change) : *change;
  }
  if (next) timer_->set(*next);
}

void DesktopApplication::updateLook() {
  WidgetLook& look = *look_;
  const WidgetLook before = look;
  look.chinese = options_->chinese.value_or(prefersChinese(platform::preferredLanguages()));
  look.scheme = options_->scheme.value_or(appearance_->scheme());
  look.textSize = options_->textSize.value_or(appearance_->textSize());
  look.redacted = options_->redact;
  if (look.chinese == before.chinese && look.scheme == before.scheme && look.textSize == before.textSize &&
      look.redacted == before.redacted) {
    return;
  }
  for (auto& window : windows_) window->redraw();
}

void DesktopApplication::widgetChanged() {
  save();
  refresh();
}

void DesktopApplication::removeWidget(const WidgetWindow& window) {
  // The window is inside one of its own signals now; it goes once that is over.
  leaving_.push_back(&window);
  if (pendingRemoval_ == 0) pendingRemoval_ = g_idle_add(Signals::removeLeaving, this);
}

void DesktopApplication::save() {
  DesktopState state;
  for (const auto& window : windows_) state.widgets.push_back(window->placed());
  try {
    stateFile_.save(state);
  } catch (const std::exception& error) {
    logLine("cannot keep the widgets' state in " + stateFile_.path().string() + ": " + error.what());
  }
}

}  // namespace velto::desktop
