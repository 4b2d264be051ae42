// DesktopAppearance: the settings portal read once and then followed by its signal; GTK's settings by
// notification.
#include "DesktopAppearance.h"

#include <gtk/gtk.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "Layout.h"

namespace velto::desktop {
namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* portalInterface = "org.freedesktop.portal.Settings";
constexpr const char* appearanceNamespace = "org.freedesktop.appearance";
constexpr const char* colorSchemeKey = "color-scheme";
/// A portal that is there answers at once; one that is not must not hold up the start for long.
constexpr int portalTimeoutMilliseconds = 1000;
/// GTK's Xft DPI is in 1024ths of a dot per inch; 96 dots per inch is a text scaling of 1.
constexpr double unscaledXftDpi = 96.0 * 1024;

struct VariantUnref {
  void operator()(GVariant* value) const { g_variant_unref(value); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;

/// The colour scheme in a portal value, which may come wrapped in one or two variants.
std::optional<std::uint32_t> colorSchemeIn(GVariant* value) {
  Variant unwrapped(g_variant_ref(value));
  while (g_variant_is_of_type(unwrapped.get(), G_VARIANT_TYPE_VARIANT)) {
    unwrapped.reset(g_variant_get_variant(unwrapped.get()));
  }
  if (!g_variant_is_of_type(unwrapped.get(), G_VARIANT_TYPE_UINT32)) return std::nullopt;
  return g_variant_get_uint32(unwrapped.get());
}

/// The portal's colour scheme now: ReadOne where the portal has it, else the older Read.
std::optional<std::uint32_t> readPortalColorScheme(GDBusConnection* bus) {
  for (const char* method : {"ReadOne", "Read"}) {
    Variant reply(g_dbus_connection_call_sync(bus, portalName, portalPath, portalInterface, method,
                                              g_variant_new("(ss)", appearanceNamespace, colorSchemeKey),
                                              G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
                                              portalTimeoutMilliseconds, nullptr, nullptr));
    if (reply) {
      Variant value(g_variant_get_child_value(reply.get(), 0));
      return colorSchemeIn(value.get());
    }
  }
  return std::nullopt;
}

}  // namespace

render::ColorScheme preferredScheme(std::optional<std::uint32_t> portalColorScheme, bool gtkPrefersDark,
                                    std::string_view gtkThemeName) {
  if (portalColorScheme == 1u) return render::ColorScheme::dark;
  if (portalColorScheme == 2u) return render::ColorScheme::light;
  std::string lower(gtkThemeName);
  for (char& c : lower) c = static_cast<char>(g_ascii_tolower(c));
  const bool darkTheme = lower.ends_with("-dark") || lower.ends_with(":dark");
  return gtkPrefersDark || darkTheme ? render::ColorScheme::dark : render::ColorScheme::light;
}

toolkit::TextSize textSizeForScaling(double factor) {
  const double large = toolkit::pointSize(toolkit::TextStyle::body, toolkit::TextSize::large);
  auto nearest = toolkit::TextSize::xSmall;
  double best = INFINITY;
  for (int index = 0; index <= static_cast<int>(toolkit::TextSize::accessibility5); ++index) {
    const auto size = static_cast<toolkit::TextSize>(index);
    const double distance = std::abs(toolkit::pointSize(toolkit::TextStyle::body, size) / large - factor);
    if (distance < best - 1e-9) {
      best = distance;
      nearest = size;
    }
  }
  return nearest;
}

DesktopAppearance::DesktopAppearance(GDBusConnection* bus, std::function<void()> changed)
    : bus_(bus), settings_(gtk_settings_get_default()), changed_(std::move(changed)) {
  if (bus_) {
    g_object_ref(bus_);
    portalColorScheme_ = readPortalColorScheme(bus_);
    subscription_ = g_dbus_connection_signal_subscribe(bus_, portalName, portalInterface, "SettingChanged",
                                                       portalPath, appearanceNamespace,
                                                       G_DBUS_SIGNAL_FLAGS_MATCH_ARG0_NAMESPACE, onPortalSignal,
                                                       this, nullptr);
  }
  for (const char* signal : {"notify::gtk-application-prefer-dark-theme", "notify::gtk-theme-name",
                             "notify::gtk-xft-dpi"}) {
    g_signal_connect(settings_, signal, G_CALLBACK(onSettingsChanged), this);
  }
}

DesktopAppearance::~DesktopAppearance() {
  g_signal_handlers_disconnect_by_data(settings_, this);
  if (bus_) {
    g_dbus_connection_signal_unsubscribe(bus_, subscription_);
    g_object_unref(bus_);
  }
}

render::ColorScheme DesktopAppearance::scheme() const {
  gboolean prefersDark = FALSE;
  gchar* theme = nullptr;
  g_object_get(settings_, "gtk-application-prefer-dark-theme", &prefersDark, "gtk-theme-name", &theme, nullptr);
  const std::string themeName = theme ? theme : "";
  g_free(theme);
  // GTK_THEME names the theme (and its variant) for this process, over what the settings say.
  const char* forced = g_getenv("GTK_THEME");
  return preferredScheme(portalColorScheme_, prefersDark, forced ? forced : themeName);
}

toolkit::TextSize DesktopAppearance::textSize() const {
  gint dpi = -1;
  g_object_get(settings_, "gtk-xft-dpi", &dpi, nullptr);
  return textSizeForScaling(dpi > 0 ? dpi / unscaledXftDpi : 1.0);
}

void DesktopAppearance::onPortalSignal(GDBusConnection*, const char*, const char*, const char*, const char*,
                                       GVariant* parameters, void* self) {
  auto* appearance = static_cast<DesktopAppearance*>(self);
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssv)"))) return;
  const char* space = nullptr;
  const char* key = nullptr;
  GVariant* value = nullptr;
  g_variant_get(parameters, "(&s&sv)", &space, &key, &value);
  const Variant owned(value);
  if (std::string_view(space) != appearanceNamespace || std::string_view(key) != colorSchemeKey) return;
  appearance->portalColorScheme_ = colorSchemeIn(owned.get());
  appearance->changed_();
}

void DesktopAppearance::onSettingsChanged(void*, void*, void* self) { static_cast<DesktopAppearance*>(self)->changed_(); }

}  // namespace velto::desktop
