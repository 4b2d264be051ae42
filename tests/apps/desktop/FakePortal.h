// FakePortal: the desktop's settings portal as a test plays it: a colour-scheme preference, read and changed.
#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <string>

namespace velto::desktop::testing {

/// Owns "org.freedesktop.portal.Desktop" on the bus at `address` and answers ReadOne of
/// "org.freedesktop.appearance color-scheme" in the test's default main context: only while the test runs it
/// (as DesktopOnX11::windows() does while the program starts and reads the preference).
class FakePortal {
 public:
  FakePortal(const std::string& address, std::uint32_t colorScheme) : colorScheme_(colorScheme) {
    bus_ = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
        "<node><interface name='org.freedesktop.portal.Settings'><method name='ReadOne'>"
        "<arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='v' direction='out'/>"
        "</method></interface></node>",
        nullptr);
    static const GDBusInterfaceVTable table{answer, nullptr, nullptr, {}};
    g_dbus_connection_register_object(bus_, "/org/freedesktop/portal/desktop", node->interfaces[0], &table, this,
                                      nullptr, nullptr);
    g_dbus_node_info_unref(node);
    GVariant* owned = g_dbus_connection_call_sync(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "RequestName",
                                                  g_variant_new("(su)", "org.freedesktop.portal.Desktop", 0u),
                                                  nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (owned) g_variant_unref(owned);
  }
  ~FakePortal() { g_object_unref(bus_); }
  FakePortal(const FakePortal&) = delete;
  FakePortal& operator=(const FakePortal&) = delete;

  /// Changes the preference and says so, as the portal does when the user switches.
  void change(std::uint32_t colorScheme) {
    colorScheme_ = colorScheme;
    g_dbus_connection_emit_signal(bus_, nullptr, "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Settings",
                                  "SettingChanged",
                                  g_variant_new("(ssv)", "org.freedesktop.appearance", "color-scheme",
                                                g_variant_new_uint32(colorScheme)),
                                  nullptr);
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
  }

 private:
  static void answer(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
                     GDBusMethodInvocation* invocation, gpointer self) {
    const std::uint32_t scheme = static_cast<FakePortal*>(self)->colorScheme_;
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", g_variant_new_uint32(scheme)));
  }

  std::uint32_t colorScheme_;
  GDBusConnection* bus_ = nullptr;
};

}  // namespace velto::desktop::testing
