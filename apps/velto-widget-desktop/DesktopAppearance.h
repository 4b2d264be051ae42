// DesktopAppearance: the desktop's light or dark preference and its text scaling, followed while they change.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "Palette.h"
#include "TextSize.h"

extern "C" {
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GtkSettings GtkSettings;
typedef struct _GVariant GVariant;
}

namespace velto::desktop {

/// The scheme the desktop prefers. The settings portal's "org.freedesktop.appearance color-scheme" decides
/// when it has a preference (1: dark, 2: light); without one (0, or no portal) GTK's settings do: its
/// prefer-dark setting, or a theme whose name ends in "-dark" or names the ":dark" variant.
render::ColorScheme preferredScheme(std::optional<std::uint32_t> portalColorScheme, bool gtkPrefersDark,
                                    std::string_view gtkThemeName);

/// The standard text size whose body text is nearest to the desktop's text scaling `factor` (1: `large`);
/// halfway between two sizes gives the smaller.
toolkit::TextSize textSizeForScaling(double factor);

/// Watches the settings portal (over `bus`, when there is one) and GTK's settings, and calls `changed` when
/// the scheme or the text size the desktop asks for may have changed. Belongs to the main thread.
class DesktopAppearance {
 public:
  DesktopAppearance(GDBusConnection* bus, std::function<void()> changed);
  ~DesktopAppearance();
  DesktopAppearance(const DesktopAppearance&) = delete;
  DesktopAppearance& operator=(const DesktopAppearance&) = delete;

  /// The scheme the desktop asks for now (preferredScheme of what the portal and GTK say).
  render::ColorScheme scheme() const;
  /// The text size the desktop's text scaling asks for now (GTK's Xft DPI over 96).
  toolkit::TextSize textSize() const;

 private:
  static void onPortalSignal(GDBusConnection*, const char*, const char*, const char*, const char*,
                             GVariant* parameters, void* self);
  static void onSettingsChanged(void*, void*, void* self);

  GDBusConnection* bus_;
  GtkSettings* settings_;
  std::function<void()> changed_;
  std::optional<std::uint32_t> portalColorScheme_;
  unsigned subscription_ = 0;
};

}  // namespace velto::desktop
