// WidgetWindow: one widget on the desktop: a borderless window the entry is drawn into, placed, dragged,
// clicked and configured from its menu.
#pragma once

#include <optional>

#include "DesktopState.h"
#include "Element.h"
#include "MacUsageEntry.h"
#include "WidgetHost.h"
#include "WidgetLook.h"

extern "C" {
typedef struct _GtkApplication GtkApplication;
typedef struct _GtkWidget GtkWidget;
typedef struct _GdkEventButton GdkEventButton;
}

namespace velto::desktop {

/// One widget instance in its own window of the family's size. On a compositor with layer-shell it lies on
/// the bottom layer, anchored to the top-left corner of the monitor's usable area by margins; on X11 below
/// other windows on every workspace, out of the task bar and pager; elsewhere it is a small normal window.
/// Its actions ("win.agent", "win.size", "win.remove", "win.open") are what its menu shows and what the
/// application exports on the session bus.
class WidgetWindow {
 public:
  /// What a window asks of the program that shows it.
  class Owner {
   public:
    virtual ~Owner() = default;
    /// How every widget is drawn now.
    virtual const WidgetLook& look() const = 0;
    /// The widget's configuration, size or position changed: the state is to be kept.
    virtual void widgetChanged() = 0;
    /// The user asked to remove this widget; the owner destroys it once the current event is over.
    virtual void removeWidget(const WidgetWindow& window) = 0;
  };

  /// A window for `placed` on `application`, shown at once; `slot` picks its place when the user never
  /// placed it (the first one at the top-right corner, each further one below the one before).
  WidgetWindow(GtkApplication* application, Owner& owner, WidgetHost host, PlacedWidget placed, int slot);
  ~WidgetWindow();
  WidgetWindow(const WidgetWindow&) = delete;
  WidgetWindow& operator=(const WidgetWindow&) = delete;

  /// The widget as the state keeps it (its position only where the desktop lets the program know it).
  const PlacedWidget& placed() const { return placed_; }

  /// Shows the entry whose date has come, asking for a new timeline when the host's is due; redraws only when
  /// the entry differs from the one shown.
  void refresh();
  /// The snapshot file changed: the next refresh asks for a new timeline.
  void snapshotChanged();
  /// The look changed: the entry is drawn again.
  void redraw();
  /// When this widget next changes by itself.
  std::optional<Instant> nextChange() const;

 private:
  struct Signals;
  friend struct Signals;

  /// Layer-shell or X11's hints, by what the desktop offers.
  void placeOnDesktop();
  void addActions();
  /// Where the window goes first: where the user left it, else at its slot; on the monitor either way.
  WidgetPosition initialPosition(int slot) const;
  void rebuild();
  void setFamily(UsageWidgetFamily family);
  void applyShape();
  void moveTo(WidgetPosition position);
  /// Opens the menu at the pointer of `event`, or over the window when it comes from the keyboard (no event).
  void popUpMenu(const GdkEventButton* event);
  void openUsage();
  bool transparent() const;

  GtkWidget* window_;
  Owner& owner_;
  WidgetHost host_;
  WidgetHost::Instance instance_;
  PlacedWidget placed_;
  bool layerShell_ = false;
  bool positionKnown_ = false;  ///< the program can set and know where the window lies
  WidgetPosition position_;     ///< where the window was put last
  GtkWidget* menu_ = nullptr;   ///< the menu opened last, replaced by the next
  std::optional<MacUsageEntry> shown_;
  toolkit::Element body_;
  /// Where the pointer went down in the window, while the left button is held.
  std::optional<std::pair<double, double>> pressedAt_;
  bool dragging_ = false;
};

}  // namespace velto::desktop
