// DesktopState: the widgets a user has placed on the desktop, as the host keeps them between runs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UsageWidgetFamily.h"

namespace velto::desktop {

/// "small" or "medium", as the state file and the command line write a widget's size.
std::string_view familyName(UsageWidgetFamily family);
/// The size of that name; nothing for any other text.
std::optional<UsageWidgetFamily> familyNamed(std::string_view name);

/// Where a widget's top-left corner lies, in logical pixels from the top-left corner of the monitor's work
/// area.
struct WidgetPosition {
  int x = 0;
  int y = 0;
  friend bool operator==(const WidgetPosition&, const WidgetPosition&) = default;
};

/// One placed widget: its size, the value its configuration holds, and where the user put it.
struct PlacedWidget {
  UsageWidgetFamily family = UsageWidgetFamily::medium;
  std::optional<std::string> agent;          ///< the configured value; absent: never configured
  std::optional<WidgetPosition> position;    ///< absent: not placed by the user, the host picks a place
  friend bool operator==(const PlacedWidget&, const PlacedWidget&) = default;
};

/// Every placed widget, in the order they were added.
struct DesktopState {
  /// More is refused as a hostile file: no desktop holds that many widgets.
  static constexpr std::size_t maximumWidgets = 64;
  /// The largest state file read; a longer one is refused.
  static constexpr std::size_t maximumBytes = 64 * 1024;

  std::vector<PlacedWidget> widgets;

  /// What a first start shows: one medium widget on the automatic choice.
  static DesktopState firstStart();

  friend bool operator==(const DesktopState&, const DesktopState&) = default;
};

/// The state as the file holds it (a key file: one group per widget).
std::string formatDesktopState(const DesktopState& state);

/// A state file's text read back, or a sentence saying why it is refused (not a key file, a family other than
/// small or medium, a value with a control character or longer than 256 bytes, a position out of range, more
/// than `maximumWidgets` widgets). Keys it does not know are skipped.
struct StateReading {
  std::optional<DesktopState> state;
  std::string problem;
};
StateReading parseDesktopState(std::string_view text);

/// The state file in its folder: `$XDG_CONFIG_HOME/velto-widget/desktop-widgets.ini`.
class DesktopStateFile {
 public:
  explicit DesktopStateFile(std::filesystem::path file);

  /// The file the user's configuration folder holds it in.
  static DesktopStateFile userFile();

  /// Where the file lies.
  const std::filesystem::path& path() const { return file_; }

  /// What loading found: the state to start from, and why the file was refused (empty when it was not).
  struct Loaded {
    DesktopState state;
    std::string problem;
  };

  /// The stored state. No file gives the first start's state; so does a file that is refused (not a regular
  /// file, longer than `maximumBytes`, unreadable, or refused by parseDesktopState), which is then moved
  /// aside to the same name ending in ".refused", so that the next save loses nothing the user may want.
  Loaded load() const;

  /// Replaces the file atomically (its folder made with mode 0700, the file with 0600); throws
  /// std::runtime_error saying what failed, leaving the old file as it was.
  void save(const DesktopState& state) const;

 private:
  std::filesystem::path file_;
};

}  // namespace velto::desktop
