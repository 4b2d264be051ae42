// DesktopApplication: the desktop host: one program, unique on the session bus, that keeps the widgets live.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "DesktopAppearance.h"
#include "DesktopOptions.h"
#include "DesktopState.h"
#include "WallClockTimer.h"
#include "WidgetLook.h"
#include "WidgetWindow.h"

extern "C" {
typedef struct _GApplicationCommandLine GApplicationCommandLine;
typedef struct _GFileMonitor GFileMonitor;
typedef struct _GFile GFile;
}

namespace velto::desktop {

/// A GtkApplication ("com.velto.WidgetDesktop") that shows the stored widgets, redraws each when its entry's
/// date comes or the snapshot file changes (one wall-clock timer, one folder monitor: nothing wakes in
/// between), follows the desktop's appearance, and keeps the widgets in the state file. A second start hands
/// its command line to the running program over the session bus; without a session bus every start runs on
/// its own. Its actions "add-widget" (a size) and "quit" are exported there with the windows' own.
class DesktopApplication final : public WidgetWindow::Owner {
 public:
  /// The application id, which also names the bus name and the object path of the exported actions.
  static constexpr const char* id = "com.velto.WidgetDesktop";

  DesktopApplication();
  ~DesktopApplication() override;
  DesktopApplication(const DesktopApplication&) = delete;
  DesktopApplication& operator=(const DesktopApplication&) = delete;

  /// Runs until quit with the program's command line, already checked with parseCommandLine (GTK already
  /// initialised); returns the exit code.
  int run(int argc, char** argv);

  // What the windows ask of it.
  const WidgetLook& look() const override { return *look_; }
  /// Keeps the state and redraws what the change affects.
  void widgetChanged() override;
  void removeWidget(const WidgetWindow& window) override;

 private:
  struct Signals;
  friend struct Signals;

  int commandLine(GApplicationCommandLine* commandLine);
  int start(const DesktopOptions& options, GApplicationCommandLine* commandLine);
  void addWidget(PlacedWidget placed);
  void refresh();
  void updateLook();
  void save();

  GtkApplication* application_;
  std::optional<DesktopOptions> options_;  ///< as started, with what later command lines changed
  std::filesystem::path folder_;           ///< the store's folder, watched
  DesktopStateFile stateFile_;
  std::optional<WidgetLook> look_;         ///< from the start on
  std::unique_ptr<DesktopAppearance> appearance_;
  std::unique_ptr<WallClockTimer> timer_;
  GFile* watchedFolder_ = nullptr;
  GFileMonitor* monitor_ = nullptr;
  unsigned pendingReload_ = 0;
  unsigned pendingRemoval_ = 0;
  std::vector<const WidgetWindow*> leaving_;  ///< removed by the user, destroyed when their signal is over
  std::vector<unsigned> signalSources_;
  std::vector<std::unique_ptr<WidgetWindow>> windows_;
};

}  // namespace velto::desktop
