// drag-source: a second X client for the drop tests, as a file manager would be: a window titled
// "drag source" whose whole area starts a drag offering text/uri-list with the URIs given as
// arguments (in that order). It prints "ready" once shown and "finished" when a drag has ended.
#include <gtk/gtk.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<gchar*> g_uris;

void OnDataGet(GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint, guint, gpointer) {
  gtk_selection_data_set_uris(data, g_uris.data());
}

void OnDragEnd(GtkWidget*, GdkDragContext*, gpointer) {
  std::printf("finished\n");
  std::fflush(stdout);
}

gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer) {
  std::printf("ready\n");
  std::fflush(stdout);
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  for (int i = 1; i < argc; ++i) g_uris.push_back(argv[i]);
  g_uris.push_back(nullptr);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "drag source");
  gtk_window_set_default_size(GTK_WINDOW(window), 160, 100);
  gtk_window_move(GTK_WINDOW(window), 700, 50);
  GtkWidget* box = gtk_event_box_new();
  gtk_container_add(GTK_CONTAINER(window), box);
  static GtkTargetEntry targets[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_drag_source_set(box, GDK_BUTTON1_MASK, targets, 1, GDK_ACTION_COPY);
  g_signal_connect(box, "drag-data-get", G_CALLBACK(OnDataGet), nullptr);
  g_signal_connect(box, "drag-end", G_CALLBACK(OnDragEnd), nullptr);
  g_signal_connect(window, "map-event", G_CALLBACK(OnMapped), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
