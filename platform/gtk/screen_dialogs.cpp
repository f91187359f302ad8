// The desktop's dialogs for ours: message boxes as modal GtkMessageDialogs and the open-file dialog
// as GtkFileChooserNative, each run with our message loop turning until the user answers.
#include <string>

#include "platform/gtk/screen_internal.h"
#include "platform/text/text.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::gtk::detail {
namespace {

GtkMessageType MessageTypeOf(UINT type) {
  switch (type & 0xF0) {
    case win::MB_ICONEXCLAMATION: return GTK_MESSAGE_WARNING;
    case 0x10: return GTK_MESSAGE_ERROR;     // MB_ICONHAND
    case 0x20: return GTK_MESSAGE_QUESTION;  // MB_ICONQUESTION
    case 0x40: return GTK_MESSAGE_INFO;      // MB_ICONASTERISK
    default: return GTK_MESSAGE_OTHER;
  }
}

// GTK 3's message dialogs no longer draw an icon of their own; the box's icon is set as its image
// so that a warning looks like one.
const char* IconNameOf(UINT type) {
  switch (type & 0xF0) {
    case win::MB_ICONEXCLAMATION: return "dialog-warning";
    case 0x10: return "dialog-error";
    case 0x20: return "dialog-question";
    case 0x40: return "dialog-information";
    default: return nullptr;
  }
}

struct Answer {
  bool done = false;
  int response = GTK_RESPONSE_NONE;
};

void OnResponse(gpointer, gint response, gpointer data) {
  auto* answer = static_cast<Answer*>(data);
  answer->response = response;
  answer->done = true;
  WakeLoop();
}

void OnGone(GtkWidget*, gpointer data) {
  auto* answer = static_cast<Answer*>(data);
  answer->done = true;
  WakeLoop();
}

// The desktop's patterns for one of ours: "*.*" names every file, with or without a dot.
void AddPatterns(GtkFileFilter* filter, const std::string& patterns) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    std::string one = patterns.substr(start, end - start);
    if (one == "*.*") one = "*";
    if (!one.empty()) gtk_file_filter_add_pattern(filter, one.c_str());
    start = end + 1;
  }
}

}  // namespace

void WakeLoop() { win::PostThreadMessage(TheScreen().uiThread, win::WM_NULL, 0, 0); }

void RunLoopUntil(const bool& done) {
  while (!done) {
    win::MSG msg;
    while (!done && win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
      if (msg.message == win::WM_QUIT) {
        win::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      win::TranslateMessage(&msg);
      win::DispatchMessage(&msg);
    }
    if (!done) win::WaitMessage();
  }
}

int ShowMessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  GtkWindow* parent = ModalParentFor(owner);
  GtkWidget* dialog = gtk_message_dialog_new(parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                             MessageTypeOf(type), GTK_BUTTONS_OK, "%s", text::Cp949ToUtf8(text).c_str());
  g_object_ref(dialog);
  gtk_window_set_title(GTK_WINDOW(dialog), text::Cp949ToUtf8(caption).c_str());
  if (!parent) gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  if (const char* icon = IconNameOf(type)) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG));
    G_GNUC_END_IGNORE_DEPRECATIONS
  }
  Answer answer;
  gulong response = g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &answer);
  gulong gone = g_signal_connect(dialog, "destroy", G_CALLBACK(OnGone), &answer);
  gtk_widget_show_all(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  ++TheScreen().desktopDialogs;
  RunLoopUntil(answer.done);
  --TheScreen().desktopDialogs;
  g_signal_handler_disconnect(dialog, response);
  g_signal_handler_disconnect(dialog, gone);
  gtk_widget_destroy(dialog);
  g_object_unref(dialog);
  // One OK button: Escape and the close button answer it too.
  return win::IDOK;
}

std::optional<std::vector<std::string>> ChooseFilesDialog(const win::OpenFileRequest& request) {
  HWND ownerTop = ModalOwnerFor(request.owner);
  std::string title = request.title.empty() ? std::string("열기") : request.title;
  GtkFileChooserNative* chooser = gtk_file_chooser_native_new(title.c_str(), ModalParentFor(request.owner),
                                                              GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
  gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), request.multiple);
  for (const auto& [name, patterns] : request.filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, name.c_str());
    AddPatterns(filter, patterns);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
  }
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser), TRUE);
  bool disabled = ownerTop && win::IsWindowEnabled(ownerTop);
  if (disabled) win::EnableWindow(ownerTop, FALSE);
  Answer answer;
  g_signal_connect(chooser, "response", G_CALLBACK(OnResponse), &answer);
  gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser));
  ++TheScreen().desktopDialogs;
  RunLoopUntil(answer.done);
  --TheScreen().desktopDialogs;
  std::optional<std::vector<std::string>> paths;
  if (answer.response == GTK_RESPONSE_ACCEPT) {
    paths.emplace();
    GSList* files = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
    for (GSList* f = files; f; f = f->next) paths->emplace_back(static_cast<const char*>(f->data));
    g_slist_free_full(files, g_free);
  }
  gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(chooser));
  g_object_unref(chooser);
  if (disabled && win::IsWindow(ownerTop)) win::EnableWindow(ownerTop, TRUE);
  return paths;
}

}  // namespace plat::gtk::detail
