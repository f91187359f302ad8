// Desktop windows for our top-level windows: made when one is shown, titled, enabled, placed and
// sized as it is, showing the client part of its surface, and gone with it.
#include <algorithm>
#include <iterator>

#include "platform/gdi/surface.h"
#include "platform/gdi/surface_impl.h"
#include "platform/gtk/screen_internal.h"
#include "platform/text/text.h"
#include "platform/win/dialog.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::gtk::detail {
namespace {

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  if (!sw->surface) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    return TRUE;
  }
  cairo_surface_t* pixels = sw->surface->impl().surface;
  cairo_set_source_surface(cr, pixels, -sw->clientOffset.x, -sw->clientOffset.y);
  cairo_paint(cr);
  return TRUE;
}

// Whether a modal dialog stands over `hwnd`: a message box or file chooser is running, or one of
// our dialogs was shown after it and is still up. Every dialog runs a modal loop on this thread, so
// the window under it must stay until the loop has ended, even when the dialog has no owner that it
// could disable (the upload's progress dialog has none).
bool UnderDialog(HWND hwnd) {
  const auto& screen = TheScreen();
  if (screen.desktopDialogs > 0) return true;
  auto it = std::find(screen.shown.begin(), screen.shown.end(), hwnd);
  if (it == screen.shown.end()) return false;
  return std::any_of(std::next(it), screen.shown.end(), [](HWND later) {
    return win::IsWindowVisible(later) && win::GetClassName(later) == win::WC_DIALOG;
  });
}

// The window manager's close button: WM_CLOSE for our window, whose handling decides; a disabled
// window, or one with a modal dialog above it, cannot be closed this way.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  HWND hwnd = static_cast<ScreenWindow*>(data)->hwnd;
  if (win::IsWindowEnabled(hwnd) && !UnderDialog(hwnd)) win::PostMessage(hwnd, win::WM_CLOSE, 0, 0);
  return TRUE;  // the desktop window goes only when ours does
}

// The desktop moved or resized the window: ours follows, so that screen points and sizes agree.
gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  GdkWindow* gdk = gtk_widget_get_window(sw->area);
  if (!gdk) return FALSE;
  int x = 0, y = 0;
  gdk_window_get_origin(gdk, &x, &y);
  SIZE client{gtk_widget_get_allocated_width(sw->area), gtk_widget_get_allocated_height(sw->area)};
  bool moved = x != sw->origin.x || y != sw->origin.y;
  bool sized = sw->resizable && (client.cx != sw->client.cx || client.cy != sw->client.cy);
  if (!moved && !sized) return FALSE;
  sw->origin = POINT{x, y};
  if (sized) sw->client = client;
  HWND hwnd = sw->hwnd;
  Defer([hwnd, x, y, client, sized] {
    win::TopLevelState state;
    if (!win::GetTopLevelState(hwnd, &state)) return;
    int frameX = state.clientOrigin.x - state.window.left, frameY = state.clientOrigin.y - state.window.top;
    int width = state.window.Width(), height = state.window.Height();
    if (sized) {
      width += client.cx - state.client.cx;
      height += client.cy - state.client.cy;
    }
    win::SetWindowPos(hwnd, nullptr, x - frameX, y - frameY, width, height, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
  });
  return FALSE;
}

// A dialog shown for the first time stands centred on the window it serves (its owner, else the
// window shown last), as the desktop's dialogs do.
void CentreDialog(HWND hwnd, const win::TopLevelState& state) {
  if (win::GetClassName(hwnd) != win::WC_DIALOG) return;
  win::TopLevelState over;
  HWND on = state.owner ? state.owner : ModalOwnerFor(nullptr);
  if (!on || on == hwnd || !win::GetTopLevelState(on, &over)) return;
  int x = over.window.left + (over.window.Width() - state.window.Width()) / 2;
  int y = over.window.top + (over.window.Height() - state.window.Height()) / 2;
  win::SetWindowPos(hwnd, nullptr, std::max(0, x), std::max(0, y), 0, 0,
                    win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

void Destroy(HWND hwnd) {
  auto& screen = TheScreen();
  std::erase(screen.shown, hwnd);
  auto it = screen.windows.find(hwnd);
  if (it == screen.windows.end()) return;
  std::unique_ptr<ScreenWindow> sw = std::move(it->second);
  screen.windows.erase(it);
  gtk_widget_destroy(sw->window);
}

ScreenWindow* Make(HWND hwnd, const win::TopLevelState& state) {
  auto sw = std::make_unique<ScreenWindow>();
  sw->hwnd = hwnd;
  sw->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  sw->area = gtk_drawing_area_new();
  sw->resizable = (state.style & win::WS_THICKFRAME) != 0;
  gtk_widget_set_can_focus(sw->area, TRUE);
  gtk_container_add(GTK_CONTAINER(sw->window), sw->area);
  gtk_window_set_decorated(GTK_WINDOW(sw->window), (state.style & win::WS_CAPTION) == win::WS_CAPTION);
  gtk_window_set_resizable(GTK_WINDOW(sw->window), sw->resizable);
  gtk_window_set_gravity(GTK_WINDOW(sw->window), GDK_GRAVITY_STATIC);
  // A dialog made without an owner (the upload's progress dialog) still runs a modal loop over the
  // window shown before it: it stands over that window and takes the application's input while it is
  // up, so that the page cannot be clicked under it.
  const bool ownerless = !state.owner && win::GetClassName(hwnd) == win::WC_DIALOG;
  HWND over = state.owner ? state.owner : ownerless ? ModalOwnerFor(nullptr) : nullptr;
  if (over && over != hwnd)
    if (ScreenWindow* owner = FindScreenWindow(over))
      gtk_window_set_transient_for(GTK_WINDOW(sw->window), GTK_WINDOW(owner->window));
  // A window shown while its owner is disabled is that owner's modal dialog.
  if ((state.owner && !win::IsWindowEnabled(state.owner)) || (ownerless && over && over != hwnd))
    gtk_window_set_modal(GTK_WINDOW(sw->window), TRUE);
  ScreenWindow* raw = sw.get();
  g_signal_connect(sw->area, "draw", G_CALLBACK(OnDraw), raw);
  g_signal_connect(sw->window, "delete-event", G_CALLBACK(OnDelete), raw);
  g_signal_connect(sw->window, "configure-event", G_CALLBACK(OnConfigure), raw);
  ConnectInput(*raw);
  ConnectDrop(*raw);
  TheScreen().windows.emplace(hwnd, std::move(sw));
  return raw;
}

void Apply(ScreenWindow& sw, const win::TopLevelState& state) {
  gtk_window_set_title(GTK_WINDOW(sw.window), text::Cp949ToUtf8(state.text).c_str());
  gtk_widget_set_sensitive(sw.window, state.enabled);
  sw.clientOffset = POINT{state.clientOrigin.x - state.window.left, state.clientOrigin.y - state.window.top};
  if (state.client.cx != sw.client.cx || state.client.cy != sw.client.cy) {
    sw.client = state.client;
    if (sw.resizable) {
      gtk_widget_set_size_request(sw.area, 1, 1);
      gtk_window_resize(GTK_WINDOW(sw.window), std::max(1, int(state.client.cx)), std::max(1, int(state.client.cy)));
    } else {
      gtk_widget_set_size_request(sw.area, std::max(1, int(state.client.cx)), std::max(1, int(state.client.cy)));
    }
  }
  if (state.clientOrigin.x != sw.origin.x || state.clientOrigin.y != sw.origin.y) {
    sw.origin = state.clientOrigin;
    gtk_window_move(GTK_WINDOW(sw.window), state.clientOrigin.x, state.clientOrigin.y);
  }
}

}  // namespace

void Sync(HWND hwnd, win::TopLevelChange change) {
  // Placing a new dialog moves it, which comes back here before its desktop window exists.
  static bool placing = false;
  if (hwnd == TheScreen().taskWindow || (placing && change == win::TopLevelChange::Geometry)) return;
  win::TopLevelState state;
  if (change == win::TopLevelChange::Destroyed || !win::GetTopLevelState(hwnd, &state) ||
      state.threadId != TheScreen().uiThread) {
    Destroy(hwnd);
    return;
  }
  ScreenWindow* sw = FindScreenWindow(hwnd);
  if (!sw) {
    if (!state.visible) return;
    placing = true;
    CentreDialog(hwnd, state);
    placing = false;
    win::GetTopLevelState(hwnd, &state);
    sw = Make(hwnd, state);
    sw->origin = POINT{state.clientOrigin.x + 1, state.clientOrigin.y};  // not yet placed
  }
  Apply(*sw, state);
  auto& shown = TheScreen().shown;
  if (state.visible && !gtk_widget_get_visible(sw->window)) {
    std::erase(shown, hwnd);
    shown.push_back(hwnd);
    gtk_widget_show_all(sw->window);
    gtk_window_present(GTK_WINDOW(sw->window));
    // Moved again once mapped: some window managers place a new window themselves.
    gtk_window_move(GTK_WINDOW(sw->window), state.clientOrigin.x, state.clientOrigin.y);
  } else if (!state.visible && gtk_widget_get_visible(sw->window)) {
    std::erase(shown, hwnd);
    gtk_widget_hide(sw->window);
  }
}

}  // namespace plat::gtk::detail
