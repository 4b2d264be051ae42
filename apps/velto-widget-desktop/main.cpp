// velto-widget-desktop: the usage widgets on the Linux desktop.
#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include <exception>
#include <filesystem>
#include <iostream>

#include "DesktopApplication.h"
#include "DesktopOptions.h"

int main(int argc, char** argv) {
  // Help, version and a wrong command line are answered here, without a display or a running program.
  std::error_code ignored;
  const auto parsed = velto::desktop::parseCommandLine(std::vector<std::string>(argv, argv + argc),
                                                       std::filesystem::current_path(ignored));
  std::cout << parsed.out;
  std::cerr << parsed.err;
  if (!parsed.options) return parsed.exitCode;

  g_set_prgname("velto-widget-desktop");
  // Everything is drawn with Cairo. Without this, GDK on X11 probes OpenGL at start for its visuals and keeps
  // the whole GL driver mapped (Mesa's software one: 48 MiB resident) for nothing; the user's own value wins.
  g_setenv("GDK_GL", "disable", FALSE);
  if (!gtk_init_check(nullptr, nullptr)) {
    std::cerr << "velto-widget-desktop: cannot open the display (is DISPLAY or WAYLAND_DISPLAY set?)\n";
    return 1;
  }
  // The window class as X11 window managers and task bars match it, set after GTK's start, which would
  // otherwise capitalise it.
  gdk_set_program_class("velto-widget-desktop");
  try {
    velto::desktop::DesktopApplication application;
    return application.run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "velto-widget-desktop: " << error.what() << '\n';
    return 1;
  }
}
