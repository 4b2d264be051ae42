// X11Windows: a test's look at an X server: a program's windows (class, title, geometry), their pixels, and
// a pointer that the test moves and presses. Xlib's macros stay in X11Windows.cpp.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PixelImage.h"

extern "C" {
typedef struct _XDisplay Display;
}

namespace velto::desktop::testing {

using render::testing::Pixel;

/// A top-level window as the X server has it.
struct X11Window {
  unsigned long id = 0;
  std::string title;  ///< _NET_WM_NAME, UTF-8
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool viewable = false;
};

/// What a window shows, pixel by pixel (opaque).
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
  Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

/// One connection to the X server named `name` (":3").
class X11Display {
 public:
  explicit X11Display(const std::string& name);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  bool open() const { return display_ != nullptr; }

  /// The top-level windows whose WM_CLASS class is `className`, in stacking order.
  std::vector<X11Window> windowsOfClass(const std::string& className) const;

  /// The pixels `window` shows now; nothing when it is not on the screen.
  std::optional<Capture> capture(const X11Window& window) const;

  /// Moves the pointer to (x, y) on the screen, as a mouse would (XTest).
  void movePointer(int x, int y) const;
  /// Presses or releases the left button.
  void pressButton(bool down) const;
  /// Presses and releases the key of `keysym` ("Menu", "Escape").
  void typeKey(const char* keysym) const;

 private:
  Display* display_;
};

}  // namespace velto::desktop::testing
