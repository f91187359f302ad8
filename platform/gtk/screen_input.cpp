// The desktop's pointer and keyboard events on one of our windows, queued as the window messages
// real input sends (through plat::win's input path, which finds the window under the pointer, the
// focus window and whether either can take input).
#include <string>

#include "platform/gtk/screen_internal.h"
#include "platform/text/text.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace plat::gtk::detail {
namespace {

WPARAM KeysOf(guint state) {
  WPARAM keys = 0;
  if (state & GDK_BUTTON1_MASK) keys |= win::MK_LBUTTON;
  if (state & GDK_BUTTON2_MASK) keys |= win::MK_MBUTTON;
  if (state & GDK_BUTTON3_MASK) keys |= win::MK_RBUTTON;
  if (state & GDK_SHIFT_MASK) keys |= win::MK_SHIFT;
  if (state & GDK_CONTROL_MASK) keys |= win::MK_CONTROL;
  return keys;
}

POINT PointOf(double x, double y) { return POINT{static_cast<int>(x), static_cast<int>(y)}; }

gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  // The desktop's double-click events come after two presses, which are enough here.
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
  bool press = event->type == GDK_BUTTON_PRESS;
  UINT message = 0;
  WPARAM keys = KeysOf(event->state);
  switch (event->button) {
    case 1:
      message = press ? win::WM_LBUTTONDOWN : win::WM_LBUTTONUP;
      keys = press ? keys | win::MK_LBUTTON : keys & ~win::MK_LBUTTON;
      break;
    case 2: message = press ? win::WM_MBUTTONDOWN : win::WM_MBUTTONUP; break;
    case 3: message = press ? win::WM_RBUTTONDOWN : win::WM_RBUTTONUP; break;
    default: return TRUE;
  }
  if (press) gtk_widget_grab_focus(widget);
  win::PostPointerInput(sw->hwnd, message, PointOf(event->x, event->y), keys);
  return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  win::PostPointerInput(sw->hwnd, win::WM_MOUSEMOVE, PointOf(event->x, event->y), KeysOf(event->state));
  return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  int delta = 0;
  if (event->direction == GDK_SCROLL_UP) delta = 120;
  else if (event->direction == GDK_SCROLL_DOWN) delta = -120;
  else if (event->direction == GDK_SCROLL_SMOOTH) delta = static_cast<int>(-event->delta_y * 120);
  if (delta != 0)
    win::PostPointerInput(sw->hwnd, win::WM_MOUSEWHEEL, PointOf(event->x, event->y), KeysOf(event->state), delta);
  return TRUE;
}

// The CP949 bytes of a key's character: what WM_CHAR carries to an ANSI window.
std::string CharBytesOf(guint keyval, guint state) {
  if (state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return {};
  gunichar c = gdk_keyval_to_unicode(keyval);
  if (keyval == GDK_KEY_BackSpace) return std::string(1, '\b');
  if (c < 0x20 || c == 0x7F) return {};
  char utf8[8] = {};
  int n = g_unichar_to_utf8(c, utf8);
  bool lossless = true;
  std::string bytes = text::Utf8ToCp949(std::string(utf8, static_cast<std::size_t>(n)), &lossless);
  return lossless ? bytes : std::string();
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  bool down = event->type == GDK_KEY_PRESS;
  UINT vk = VirtualKeyOf(event->keyval);
  if (vk) win::PostKeyInput(sw->hwnd, down ? win::WM_KEYDOWN : win::WM_KEYUP, vk);
  if (down)
    for (char byte : CharBytesOf(event->keyval, event->state))
      win::PostKeyInput(sw->hwnd, win::WM_CHAR, static_cast<unsigned char>(byte));
  return TRUE;  // Tab and the arrows are ours, not GTK's focus keys
}

}  // namespace

void ConnectInput(ScreenWindow& sw) {
  gtk_widget_add_events(sw.area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                     GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK);
  g_signal_connect(sw.area, "button-press-event", G_CALLBACK(OnButton), &sw);
  g_signal_connect(sw.area, "button-release-event", G_CALLBACK(OnButton), &sw);
  g_signal_connect(sw.area, "motion-notify-event", G_CALLBACK(OnMotion), &sw);
  g_signal_connect(sw.area, "scroll-event", G_CALLBACK(OnScroll), &sw);
  g_signal_connect(sw.window, "key-press-event", G_CALLBACK(OnKey), &sw);
  g_signal_connect(sw.window, "key-release-event", G_CALLBACK(OnKey), &sw);
}

}  // namespace plat::gtk::detail
