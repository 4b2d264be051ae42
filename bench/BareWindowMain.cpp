// velto-bare-window: two undecorated GTK 3 windows of the widgets' sizes, each filled with one colour; the
// desktop host's memory and idle CPU are quoted against it.
#include <gtk/gtk.h>

namespace {

gboolean fill(GtkWidget*, cairo_t* cr, gpointer) {
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.97);
  cairo_paint(cr);
  return TRUE;
}

void showWindow(GtkApplication* application, int width, int height) {
  GtkWidget* window = gtk_application_window_new(application);
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_widget_set_size_request(window, width, height);
  gtk_widget_set_app_paintable(window, TRUE);
  g_signal_connect(window, "draw", G_CALLBACK(fill), nullptr);
  gtk_widget_show(window);
}

void activate(GtkApplication* application, gpointer) {
  showWindow(application, 364, 170);
  showWindow(application, 170, 170);
}

}  // namespace

int main(int argc, char** argv) {
  // As velto-widget-desktop does: no OpenGL probe at start (see its main.cpp).
  g_setenv("GDK_GL", "disable", FALSE);
  GtkApplication* application = gtk_application_new("com.velto.BareWindow", G_APPLICATION_NON_UNIQUE);
  g_signal_connect(application, "activate", G_CALLBACK(activate), nullptr);
  const int status = g_application_run(G_APPLICATION(application), argc, argv);
  g_object_unref(application);
  return status;
}
