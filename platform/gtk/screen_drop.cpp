// Files dropped from the desktop's file manager: a text/uri-list drag over one of our windows that
// accepts files (WS_EX_ACCEPTFILES) is offered a copy, and its local file:// paths become the
// WM_DROPFILES drop that window handles, in the order the drag lists them. Anything else is refused.
#include <string>
#include <vector>

#include "platform/gtk/screen_internal.h"
#include "platform/shell/file_drop.h"
#include "platform/win/window.h"

namespace plat::gtk::detail {
namespace {

constexpr const char* kUriList = "text/uri-list";

// The window under a client point of `top` that takes file drops (it or its nearest ancestor with
// WS_EX_ACCEPTFILES, enabled), or null.
HWND AcceptingWindow(HWND top, POINT client) {
  if (!win::IsWindowEnabled(top)) return nullptr;
  for (HWND h = win::ChildWindowFromPointDeep(top, client); h; h = win::GetParent(h)) {
    if (!win::IsWindowEnabled(h)) return nullptr;
    if (win::GetWindowLongPtr(h, win::GWL_EXSTYLE) & win::WS_EX_ACCEPTFILES) return h;
  }
  return nullptr;
}

bool OffersUris(GtkWidget* widget, GdkDragContext* context) {
  GdkAtom target = gtk_drag_dest_find_target(widget, context, nullptr);
  return target != GDK_NONE && target == gdk_atom_intern_static_string(kUriList);
}

gboolean OnMotion(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  bool accept = OffersUris(widget, context) && AcceptingWindow(sw->hwnd, POINT{x, y});
  gdk_drag_status(context, accept ? GDK_ACTION_COPY : static_cast<GdkDragAction>(0), time);
  return TRUE;
}

gboolean OnDrop(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  if (!OffersUris(widget, context) || !AcceptingWindow(sw->hwnd, POINT{x, y})) {
    gtk_drag_finish(context, FALSE, FALSE, time);
    return TRUE;
  }
  gtk_drag_get_data(widget, context, gdk_atom_intern_static_string(kUriList), time);
  return TRUE;
}

// The local paths of a URI list, in its order; other URIs (another host, another scheme) are left out.
std::vector<std::string> LocalPaths(gchar** uris) {
  std::vector<std::string> paths;
  for (gchar** uri = uris; uri && *uri; ++uri) {
    gchar* host = nullptr;
    gchar* path = g_filename_from_uri(*uri, &host, nullptr);
    bool local = path && (!host || g_str_equal(host, "localhost"));
    if (local) paths.emplace_back(path);
    g_free(path);
    g_free(host);
  }
  return paths;
}

void OnData(GtkWidget*, GdkDragContext* context, gint x, gint y, GtkSelectionData* selection, guint, guint time,
            gpointer data) {
  auto* sw = static_cast<ScreenWindow*>(data);
  gchar** uris = gtk_selection_data_get_uris(selection);
  std::vector<std::string> paths = LocalPaths(uris);
  g_strfreev(uris);
  HWND target = AcceptingWindow(sw->hwnd, POINT{x, y});
  bool taken = target && !paths.empty();
  gtk_drag_finish(context, taken, FALSE, time);
  if (!taken) return;
  // Delivered from the message loop: the drop's handling shows message boxes and fires events.
  Defer([target, paths] { shell::DropFiles(target, paths); });
}

}  // namespace

void ConnectDrop(ScreenWindow& sw) {
  static GtkTargetEntry targets[] = {{const_cast<gchar*>(kUriList), GTK_TARGET_OTHER_APP, 0}};
  gtk_drag_dest_set(sw.area, static_cast<GtkDestDefaults>(0), targets, 1, GDK_ACTION_COPY);
  g_signal_connect(sw.area, "drag-motion", G_CALLBACK(OnMotion), &sw);
  g_signal_connect(sw.area, "drag-drop", G_CALLBACK(OnDrop), &sw);
  g_signal_connect(sw.area, "drag-data-received", G_CALLBACK(OnData), &sw);
}

}  // namespace plat::gtk::detail
