// X11Windows: Xlib for the windows and their pixels, XTest for the pointer.
#include "X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace velto::desktop::testing {
namespace {

std::string utf8Property(Display* display, Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const Atom property = XInternAtom(display, name, False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  if (XGetWindowProperty(display, window, property, 0, 1024, False, utf8, &type, &format, &items, &after, &data) !=
          Success ||
      !data) {
    return "";
  }
  std::string text(reinterpret_cast<const char*>(data), items);
  XFree(data);
  return text;
}

}  // namespace

X11Display::X11Display(const std::string& name) : display_(XOpenDisplay(name.c_str())) {
  // A window that goes away between two requests must not end the test program.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

X11Display::~X11Display() {
  if (display_) XCloseDisplay(display_);
}

std::vector<X11Window> X11Display::windowsOfClass(const std::string& className) const {
  std::vector<X11Window> found;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return found;
  for (unsigned index = 0; index < count; ++index) {
    XClassHint hint{};
    if (!XGetClassHint(display_, children[index], &hint)) continue;
    const bool ofClass = className == hint.res_class;
    XFree(hint.res_name);
    XFree(hint.res_class);
    XWindowAttributes attributes{};
    if (!ofClass || !XGetWindowAttributes(display_, children[index], &attributes)) continue;
    found.push_back({.id = children[index],
                     .title = utf8Property(display_, children[index], "_NET_WM_NAME"),
                     .x = attributes.x,
                     .y = attributes.y,
                     .width = attributes.width,
                     .height = attributes.height,
                     .viewable = attributes.map_state == IsViewable});
  }
  XFree(children);
  return found;
}

std::optional<Capture> X11Display::capture(const X11Window& window) const {
  XImage* image = XGetImage(display_, window.id, 0, 0, static_cast<unsigned>(window.width),
                            static_cast<unsigned>(window.height), AllPlanes, ZPixmap);
  if (!image) return std::nullopt;
  Capture capture{window.width, window.height, {}};
  capture.pixels.reserve(static_cast<std::size_t>(window.width) * static_cast<std::size_t>(window.height));
  for (int y = 0; y < window.height; ++y) {
    for (int x = 0; x < window.width; ++x) {
      const unsigned long value = XGetPixel(image, x, y);
      capture.pixels.push_back({static_cast<int>((value & image->red_mask) >> 16),
                                static_cast<int>((value & image->green_mask) >> 8),
                                static_cast<int>(value & image->blue_mask), 255});
    }
  }
  XDestroyImage(image);
  return capture;
}

void X11Display::movePointer(int x, int y) const {
  XTestFakeMotionEvent(display_, 0, x, y, CurrentTime);
  XSync(display_, False);
}

void X11Display::pressButton(bool down) const {
  XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
  XSync(display_, False);
}

void X11Display::typeKey(const char* keysym) const {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XSync(display_, False);
}

}  // namespace velto::desktop::testing
