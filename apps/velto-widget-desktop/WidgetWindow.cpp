// WidgetWindow: GTK's signals and actions in, the picture renderer out.
#include "WidgetWindow.h"

#include <gtk-layer-shell.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <iostream>

#include "Accessibility.h"
#include "Layout.h"
#include "MacUsageConfiguration.h"
#include "MacUsageEntryView.h"
#include "PictureRenderer.h"
#include "VeltoMacUsageWidget.h"
#include "WidgetMenu.h"

namespace velto::desktop {
namespace {

/// Between a widget and the edges of the screen, and between widgets stacked by the host.
constexpr int edgeMargin = 16;

toolkit::WidgetCanvas canvasFor(UsageWidgetFamily family) {
  return family == UsageWidgetFamily::medium ? toolkit::WidgetCanvas::medium() : toolkit::WidgetCanvas::small();
}

/// The usable area of the monitor widgets are placed on, in the screen's logical pixels.
GdkRectangle workArea(GtkWidget* widget) {
  GdkDisplay* display = gtk_widget_get_display(widget);
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle area{0, 0, 1280, 800};
  if (monitor) gdk_monitor_get_workarea(monitor, &area);
  return area;
}

std::string accessibleName(const toolkit::Element& body) {
  std::string text = toolkit::accessibilityText(body);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

void logLine(const std::string& line) { std::cerr << "velto-widget-desktop: " << line << std::endl; }

}  // namespace

/// GTK's callbacks, each a plain function that finds its window in the user data.
struct WidgetWindow::Signals {
  static WidgetWindow& of(gpointer self) { return *static_cast<WidgetWindow*>(self); }

  static gboolean draw(GtkWidget*, cairo_t* cr, gpointer self) {
    WidgetWindow& widget = of(self);
    const WidgetLook& look = widget.owner_.look();
    const toolkit::WidgetCanvas canvas = canvasFor(widget.placed_.family);
    // Drawn by Cairo's own rasterizer into an image of the window's device pixels, then copied pixel for
    // pixel: on X11 the window's surface would leave edges to the X server's rasterizer, which antialiases
    // them differently from every other picture of the widget (PNG, SVG, Wayland's shared-memory buffers).
    const int scale = gtk_widget_get_scale_factor(widget.window_);
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(canvas.size.width) * scale,
                                   static_cast<int>(canvas.size.height) * scale);
    cairo_surface_set_device_scale(image, scale, scale);
    cairo_t* painter = cairo_create(image);
    // Transparent: the corners stay clear for the compositor. Opaque: they are cut off by the window's shape,
    // and the background under them keeps the rounded edge's blended pixels free of black.
    if (!widget.transparent()) {
      const render::Rgba under = render::background(look.scheme);
      cairo_set_source_rgb(painter, under.red, under.green, under.blue);
      cairo_paint(painter);
    }
    try {
      render::drawPicture(painter, widget.body_,
                          {.canvas = canvas,
                           .scheme = look.scheme,
                           .redacted = look.redacted,
                           .textSize = look.textSize,
                           .chinese = look.chinese});
    } catch (const std::exception& error) {
      logLine(std::string("cannot draw the widget: ") + error.what());
    }
    cairo_destroy(painter);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(image);
    return TRUE;
  }

  static gboolean press(GtkWidget*, GdkEventButton* event, gpointer self) {
    WidgetWindow& widget = of(self);
    if (gdk_event_triggers_context_menu(reinterpret_cast<GdkEvent*>(event))) {
      widget.popUpMenu(event);
      return TRUE;
    }
    if (event->button == GDK_BUTTON_PRIMARY && event->type == GDK_BUTTON_PRESS) {
      widget.pressedAt_ = {event->x, event->y};
      widget.dragging_ = false;
    }
    return TRUE;
  }

  static gboolean motion(GtkWidget*, GdkEventMotion* event, gpointer self) {
    WidgetWindow& widget = of(self);
    if (!widget.pressedAt_) return FALSE;
    const auto [pressedX, pressedY] = *widget.pressedAt_;
    if (!widget.dragging_) {
      if (!gtk_drag_check_threshold(widget.window_, static_cast<gint>(pressedX), static_cast<gint>(pressedY),
                                    static_cast<gint>(event->x), static_cast<gint>(event->y))) {
        return TRUE;
      }
      widget.dragging_ = true;
      if (!widget.positionKnown_) {
        // Only the compositor can move this window; it is asked to, and keeps where it puts it.
        gtk_window_begin_move_drag(GTK_WINDOW(widget.window_), GDK_BUTTON_PRIMARY, static_cast<gint>(event->x_root),
                                   static_cast<gint>(event->y_root), event->time);
        widget.pressedAt_.reset();
        return TRUE;
      }
    }
    // The window follows the pointer so that the point first pressed stays under it.
    widget.moveTo({widget.position_.x + static_cast<int>(event->x - pressedX),
                   widget.position_.y + static_cast<int>(event->y - pressedY)});
    return TRUE;
  }

  static gboolean release(GtkWidget*, GdkEventButton* event, gpointer self) {
    WidgetWindow& widget = of(self);
    if (event->button != GDK_BUTTON_PRIMARY || !widget.pressedAt_) return FALSE;
    widget.pressedAt_.reset();
    if (widget.dragging_) {
      widget.placed_.position = widget.position_;
      widget.owner_.widgetChanged();
    } else {
      widget.openUsage();
    }
    return TRUE;
  }

  static gboolean keyboardMenu(GtkWidget*, gpointer self) {
    of(self).popUpMenu(nullptr);
    return TRUE;
  }

  static void compositedChanged(GdkScreen*, gpointer self) { of(self).applyShape(); }

  static void agentChosen(GSimpleAction* action, GVariant* value, gpointer self) {
    WidgetWindow& widget = of(self);
    g_simple_action_set_state(action, value);
    widget.placed_.agent = g_variant_get_string(value, nullptr);
    widget.host_.configure(widget.instance_, {widget.placed_.agent});
    widget.owner_.widgetChanged();
  }

  static void sizeChosen(GSimpleAction* action, GVariant* value, gpointer self) {
    const auto family = familyNamed(g_variant_get_string(value, nullptr));
    if (!family) return;
    g_simple_action_set_state(action, value);
    WidgetWindow& widget = of(self);
    widget.setFamily(*family);
    widget.owner_.widgetChanged();
  }

  static void remove(GSimpleAction*, GVariant*, gpointer self) { of(self).owner_.removeWidget(of(self)); }

  static void open(GSimpleAction*, GVariant*, gpointer self) { of(self).openUsage(); }

  static void opened(GObject*, GAsyncResult* result, gpointer url) {
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri_finish(result, &error)) {
      logLine(std::string("nothing opens ") + static_cast<const char*>(url) + ": " + error->message);
      g_error_free(error);
    }
    g_free(url);
  }
};

WidgetWindow::WidgetWindow(GtkApplication* application, Owner& owner, WidgetHost host, PlacedWidget placed,
                           int slot)
    : window_(gtk_application_window_new(application)),
      owner_(owner),
      host_(std::move(host)),
      instance_(host_.place({placed.agent})),
      placed_(std::move(placed)) {
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_title(window, VeltoMacUsageWidget::displayName(owner_.look().chinese).c_str());
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_resizable(window, FALSE);
  gtk_widget_set_app_paintable(window_, TRUE);
  GdkScreen* screen = gtk_widget_get_screen(window_);
  // A window with an alpha channel only looks right where a compositor blends it; without one its clear
  // corners would be black, so there the window stays opaque and is given a rounded shape instead.
  if (gdk_screen_is_composited(screen) && gdk_screen_get_rgba_visual(screen)) {
    gtk_widget_set_visual(window_, gdk_screen_get_rgba_visual(screen));
  }
  gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON1_MOTION_MASK);
  placeOnDesktop();
  addActions();
  g_signal_connect(window_, "draw", G_CALLBACK(Signals::draw), this);
  g_signal_connect(window_, "button-press-event", G_CALLBACK(Signals::press), this);
  g_signal_connect(window_, "motion-notify-event", G_CALLBACK(Signals::motion), this);
  g_signal_connect(window_, "button-release-event", G_CALLBACK(Signals::release), this);
  g_signal_connect(window_, "popup-menu", G_CALLBACK(Signals::keyboardMenu), this);
  g_signal_connect(screen, "composited-changed", G_CALLBACK(Signals::compositedChanged), this);
  moveTo(initialPosition(slot));
  setFamily(placed_.family);
  refresh();
  gtk_widget_show(window_);
}

void WidgetWindow::placeOnDesktop() {
  GtkWindow* window = GTK_WINDOW(window_);
  if (gtk_layer_is_supported()) {
    layerShell_ = true;
    positionKnown_ = true;
    gtk_layer_init_for_window(window);
    gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BOTTOM);
    gtk_layer_set_namespace(window, "velto-widget");
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
    // Keys reach the widget once it is clicked, so that its menu opens from the keyboard.
    gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND);
    return;
  }
#ifdef GDK_WINDOWING_X11
  if (GDK_IS_X11_DISPLAY(gtk_widget_get_display(window_))) {
    positionKnown_ = true;
    gtk_window_set_keep_below(window, TRUE);
    gtk_window_stick(window);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
  }
#endif
}

void WidgetWindow::addActions() {
  const GActionEntry entries[] = {
      {"agent", nullptr, "s", "''", Signals::agentChosen, {}},
      {"size", nullptr, "s", "''", Signals::sizeChosen, {}},
      {"remove", Signals::remove, nullptr, nullptr, nullptr, {}},
      {"open", Signals::open, nullptr, nullptr, nullptr, {}},
  };
  g_action_map_add_action_entries(G_ACTION_MAP(window_), entries, G_N_ELEMENTS(entries), this);
  // The states the menu's radio items check: a widget never configured behaves as the automatic choice.
  const std::string agent = placed_.agent.value_or(MacUsageOptions::defaultResult());
  const std::string family(familyName(placed_.family));
  g_simple_action_set_state(G_SIMPLE_ACTION(g_action_map_lookup_action(G_ACTION_MAP(window_), "agent")),
                            g_variant_new_string(agent.c_str()));
  g_simple_action_set_state(G_SIMPLE_ACTION(g_action_map_lookup_action(G_ACTION_MAP(window_), "size")),
                            g_variant_new_string(family.c_str()));
}

WidgetPosition WidgetWindow::initialPosition(int slot) const {
  const GdkRectangle area = workArea(window_);
  const toolkit::Size size = canvasFor(placed_.family).size;
  const int width = static_cast<int>(size.width);
  const int height = static_cast<int>(size.height);
  const int row = static_cast<int>(toolkit::WidgetCanvas::small().size.height) + edgeMargin;
  const WidgetPosition wanted =
      placed_.position.value_or(WidgetPosition{area.width - width - edgeMargin, edgeMargin + slot * row});
  // A place kept from a larger or another monitor is brought back onto this one, so no widget is lost.
  return {std::clamp(wanted.x, 0, std::max(area.width - width, 0)),
          std::clamp(wanted.y, 0, std::max(area.height - height, 0))};
}

WidgetWindow::~WidgetWindow() {
  g_signal_handlers_disconnect_by_data(gtk_widget_get_screen(window_), this);
  if (menu_) gtk_widget_destroy(menu_);
  gtk_widget_destroy(window_);
}

void WidgetWindow::refresh() {
  const MacUsageEntry& entry = host_.current(instance_);
  if (shown_ == entry) return;
  shown_ = entry;
  rebuild();
}

void WidgetWindow::snapshotChanged() { host_.snapshotChanged(); }

void WidgetWindow::redraw() {
  gtk_window_set_title(GTK_WINDOW(window_), VeltoMacUsageWidget::displayName(owner_.look().chinese).c_str());
  rebuild();
}

std::optional<Instant> WidgetWindow::nextChange() const { return host_.nextChange(instance_); }

void WidgetWindow::rebuild() {
  if (!shown_) return;
  const WidgetLook& look = owner_.look();
  body_ = MacUsageEntryView{.entry = *shown_,
                            .family = placed_.family,
                            .chinese = look.chinese,
                            .textSize = look.textSize,
                            .environment = look.environment}
              .body();
  // Redacted, the widget says no more to a screen reader than it shows: its name.
  const std::string name =
      look.redacted ? VeltoMacUsageWidget::displayName(look.chinese) : accessibleName(body_);
  atk_object_set_name(gtk_widget_get_accessible(window_), name.c_str());
  gtk_widget_queue_draw(window_);
}

void WidgetWindow::setFamily(UsageWidgetFamily family) {
  placed_.family = family;
  const toolkit::Size size = canvasFor(family).size;
  const int width = static_cast<int>(size.width);
  const int height = static_cast<int>(size.height);
  gtk_widget_set_size_request(window_, width, height);
  gtk_window_resize(GTK_WINDOW(window_), width, height);
  applyShape();
  rebuild();
}

bool WidgetWindow::transparent() const {
  GdkScreen* screen = gtk_widget_get_screen(window_);
  return gdk_screen_is_composited(screen) && gtk_widget_get_visual(window_) == gdk_screen_get_rgba_visual(screen);
}

void WidgetWindow::applyShape() {
  if (transparent()) {
    gtk_widget_shape_combine_region(window_, nullptr);
    return;
  }
  // The shape is the widget's own rounded background, drawn by the renderer as a mask: a pixel belongs to
  // the window when the background covers more than half of it.
  const toolkit::WidgetCanvas canvas = canvasFor(placed_.family);
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, static_cast<int>(canvas.size.width),
                                                     static_cast<int>(canvas.size.height));
  cairo_t* cr = cairo_create(mask);
  render::drawPicture(cr, toolkit::Element(), {.canvas = canvas});
  cairo_destroy(cr);
  cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
  gtk_widget_shape_combine_region(window_, region);
  cairo_region_destroy(region);
  cairo_surface_destroy(mask);
}

void WidgetWindow::moveTo(WidgetPosition position) {
  position_ = position;
  if (layerShell_) {
    // Margins push the widget in from the corner it is anchored to; the compositor keeps it on the output.
    gtk_layer_set_margin(GTK_WINDOW(window_), GTK_LAYER_SHELL_EDGE_LEFT, std::max(position.x, 0));
    gtk_layer_set_margin(GTK_WINDOW(window_), GTK_LAYER_SHELL_EDGE_TOP, std::max(position.y, 0));
  } else if (positionKnown_) {
    const GdkRectangle area = workArea(window_);
    gtk_window_move(GTK_WINDOW(window_), area.x + position.x, area.y + position.y);
  }
}

void WidgetWindow::popUpMenu(const GdkEventButton* event) {
  const WidgetLook& look = owner_.look();
  // The options are read afresh each time, from the snapshot as it is now.
  GMenu* model = widgetMenu(host_.options(look.chinese), placed_.family, look.chinese);
  if (menu_) gtk_widget_destroy(menu_);
  menu_ = gtk_menu_new_from_model(G_MENU_MODEL(model));
  g_object_unref(model);
  gtk_menu_attach_to_widget(GTK_MENU(menu_), window_, nullptr);
  if (event) {
    gtk_menu_popup_at_pointer(GTK_MENU(menu_), reinterpret_cast<const GdkEvent*>(event));
  } else {
    // The arrow keys select from here. (gtk_menu_shell_select_first would select the first item at once, but
    // GTK 3.24 loses a list node on that path, which the leak checker reports at exit.)
    gtk_menu_popup_at_widget(GTK_MENU(menu_), window_, GDK_GRAVITY_CENTER, GDK_GRAVITY_NORTH_WEST, nullptr);
  }
}

void WidgetWindow::openUsage() {
  // The URL the entry's tree asks to be opened with, as the platform opens a tapped widget's.
  const auto& url = body_.node().traits.url;
  if (!url) return;
  GdkAppLaunchContext* context = gdk_display_get_app_launch_context(gtk_widget_get_display(window_));
  g_app_info_launch_default_for_uri_async(url->c_str(), G_APP_LAUNCH_CONTEXT(context), nullptr, Signals::opened,
                                          g_strdup(url->c_str()));
  g_object_unref(context);
}

}  // namespace velto::desktop
