// drev-docs-snapshots: draws the widgets and the control's dialogs headlessly and writes them as
// PNG pictures for the documentation. Usage: drev-docs-snapshots <folder> (as root: the progress
// dialog's upload goes to a listener on port 80 of a loopback address).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "attachments/CMainFrm.h"
#include "control/DrevFactory.h"
#include "host/ControlHost.h"
#include "platform/shell/file_dialog.h"
#include "platform/shell/system_icons.h"
#include "platform/text/text.h"
#include "platform/win/afxcmn.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "resources/ModuleResources.h"
#include "resources/Resource.h"
#include "session/CProgressDlg.h"
#include "widgets/CGradientProgressCtrl.h"
#include "widgets/CXHeaderCtrl.h"
#include "widgets/CXListCtrl.h"

namespace pw = plat::win;
using plat::RECT;

namespace {

using namespace drev;

std::string g_folder;
int g_failures = 0;

void Save(pw::HWND hwnd, const char* name) {
  const std::string path = g_folder + "/" + name;
  if (pw::SnapshotWindow(hwnd, path)) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    ++g_failures;
  }
}

// A plain face-coloured top-level window to hold one widget.
struct Stage : pw::CWnd {
  Stage(int width, int height) { CreateEx(0, "#32770", "", pw::WS_POPUP | pw::WS_VISIBLE, RECT{0, 0, width, height}, nullptr, 0); }
  ~Stage() override { DestroyWindow(); }
};

void HeaderPicture() {
  Stage stage(300, 20);
  CXHeaderCtrl header;
  header.SubclassWindow(pw::CreateWindowEx(0, pw::WC_HEADER, "", pw::WS_CHILD | pw::WS_VISIBLE, 0, 0, 300, 20, stage, 1, nullptr));
  plat::gdi::CImageList checks;
  checks.Create(IDB_HEADER_CHECKS, 16, 3, plat::RGB(0xFF, 0x00, 0xFF));
  header.SetImageList(&checks);
  const std::string titles[] = {"", plat::text::Ansi("파일명"), plat::text::Ansi("크기")};
  const int widths[] = {40, 170, 70};
  for (int i = 0; i < 3; ++i) {
    pw::HDITEM item;
    item.mask = pw::HDI_WIDTH | pw::HDI_TEXT | pw::HDI_FORMAT | pw::HDI_IMAGE;
    item.cxy = widths[i];
    item.pszText = const_cast<char*>(titles[i].c_str());
    item.fmt = pw::HDF_STRING | pw::HDF_IMAGE | (i == 2 ? pw::HDF_CENTER : pw::HDF_LEFT);
    item.iImage = i == 0 ? 2 : 0;
    header.InsertItem(i, &item);
  }
  Save(stage, "header.png");
}

void GradientPictures() {
  for (int pos : {0, 50, 100}) {
    Stage stage(320, 24);
    CGradientProgressCtrl bar;
    bar.SubclassWindow(pw::CreateWindowEx(0, pw::PROGRESS_CLASS, "", pw::WS_CHILD | pw::WS_VISIBLE | pw::WS_BORDER, 4, 4,
                                          312, 16, stage, 204, nullptr));
    bar.SetStartColor(0xFF0000);
    bar.SetEndColor(0x0000FF);
    bar.ShowPercent(1);
    bar.SetTextColor(0xFFFFFF);
    bar.SetPos(pos);
    Save(stage, ("gradient-" + std::to_string(pos) + ".png").c_str());
  }
}

// One row of each look: ticked and unticked boxes with icons, a grey row the server holds, a
// disabled row, a selected one, progress cells, a status picture and bold text.
void FillSceneList(CXListCtrl& list) {
  namespace shell = plat::shell;
  list.SetImageList(shell::GetSystemSmallIconList(), pw::LVSIL_SMALL);
  list.m_cImageListCell.Create(IDB_CELL_PICTURES, 95, 3, plat::RGB(0xFF, 0x00, 0xFF));
  list.SetExtendedStyle(pw::LVS_EX_FULLROWSELECT);
  list.InsertColumn(0, "", pw::LVCFMT_LEFT, 40);
  list.InsertColumn(1, plat::text::Ansi("파일명").c_str(), pw::LVCFMT_LEFT, 150);
  list.InsertColumn(2, plat::text::Ansi("크기").c_str(), pw::LVCFMT_CENTER, 70);
  list.InsertColumn(3, "", pw::LVCFMT_LEFT, 120);
  list.m_cImageListHeader.Create(IDB_HEADER_CHECKS, 16, 3, plat::RGB(0xFF, 0x00, 0xFF));
  list.GetHeaderCtrl()->SetImageList(&list.m_cImageListHeader);
  list.SetHeaderCheckedState(0, 1);
  struct Row {
    const char* name;
    const char* size;
    int icon;
  };
  const Row rows[] = {{"report.doc", "47KB", shell::kIconWordDocument}, {"photo.jpg", "1MB", shell::kIconImage},
                      {"archive.zip", "12MB", shell::kIconArchive},     {"notes.txt", "713Byte", shell::kIconText},
                      {"slides.ppt", "3MB", shell::kIconPresentation},  {"setup.exe", "512KB", shell::kIconProgram}};
  for (int i = 0; i < 6; ++i) {
    list.InsertItem(i, "");
    list.SetCheckbox(i, 0, i % 2);
    list.SetItemText(i, 1, rows[i].name);
    list.SetItemImage(i, 1, rows[i].icon);
    list.SetItemText(i, 2, rows[i].size);
  }
  list.SetItemText(1, 1, nullptr, 0x787878, 0xFFFFFF);  // a file the server holds
  list.SetItemText(1, 2, nullptr, 0x787878, 0xFFFFFF);
  list.SetProgress(0, 3);
  list.UpdateProgress(0, 3, 50);
  list.SetProgress(2, 3);
  list.UpdateProgress(2, 3, 100);
  list.SetCellImage(3, 3, 0);
  list.SetBold(4, 1, 1);
  list.SetEnabled(5, 0);
  list.SetItemState(4, pw::LVIS_SELECTED, pw::LVIS_SELECTED);
}

void ListPicture() {
  Stage stage(400, 170);
  CXListCtrl list;
  // The system icons are only borrowed: a list that does not share its image lists would empty
  // them when it goes.
  list.Create(pw::WS_CHILD | pw::WS_VISIBLE | pw::WS_BORDER | pw::LVS_REPORT | pw::LVS_SHOWSELALWAYS |
                  pw::LVS_SHAREIMAGELISTS,
              RECT{0, 0, 400, 170}, &stage, 201);
  FillSceneList(list);
  Save(stage, "list-rows.png");
}

// The attachment dialog inside a placed control, empty and then with rows of both kinds.
void AttachmentPictures() {
  const auto folder = std::filesystem::temp_directory_path() / "drev-docs-snapshots";
  std::filesystem::create_directories(folder);
  setenv("DREV_REGISTRY", (folder / "registry.json").c_str(), 1);
  auto factory = drev::GetDrevClassFactory();
  drev::host::ControlHost host(factory.Get());
  host.LoadProperties({{"MaxFileCount", "30"}});  // room for the scrolled picture's rows
  host.CreateWindows(420, 160);
  Save(host.ControlWindow(), "attachment-empty.png");

  std::vector<std::string> picked;
  for (auto [name, size] : {std::pair{"report.doc", 48213}, std::pair{"photo.jpg", 1832113}, std::pair{"notes.txt", 713}}) {
    std::filesystem::path path = folder / name;
    std::ofstream(path) << std::string(static_cast<std::size_t>(size), 'x');
    picked.push_back(path.string());
  }
  plat::shell::QueueOpenFileSelection(picked);
  host.Call("AttachFiles");
  host.Call("AddPreUploadFile", {"계약서.hwp", std::int32_t{101}, std::int32_t{20480}, std::int32_t{0}});
  host.Call("AddPreUploadFile", {"price-list.xls", std::int32_t{102}, std::int32_t{3145728}, std::int32_t{0}});
  pw::HWND dialog = pw::GetWindow(host.ControlWindow(), pw::GW_CHILD);
  if (auto* frame = dynamic_cast<CMainFrm*>(pw::CWnd::FromHandlePermanent(dialog))) {
    frame->GetListCtrl().SetCheckbox(1, 0, 1);
    frame->GetListCtrl().SetCheckbox(3, 0, 1);
  }
  Save(host.ControlWindow(), "attachment-rows.png");

  // More rows than fit: the list gets its scroll bar and is shown scrolled to the last row.
  picked.clear();
  for (int n = 1; n <= 16; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "scan-%02d.jpg", n);
    std::filesystem::path path = folder / name;
    std::ofstream(path) << std::string(static_cast<std::size_t>(n * 7001), 'x');
    picked.push_back(path.string());
  }
  plat::shell::QueueOpenFileSelection(picked);
  host.Call("AttachFiles");
  if (auto* frame = dynamic_cast<CMainFrm*>(pw::CWnd::FromHandlePermanent(dialog))) {
    const int last = frame->GetListCtrl().GetItemCount() - 1;
    frame->GetListCtrl().SetCheckbox(last - 2, 0, 1);
    frame->GetListCtrl().EnsureVisible(last, plat::FALSE);
  }
  Save(host.ControlWindow(), "attachment-scrolled.png");
  std::filesystem::remove_all(folder);
}

// A loopback listener that never accepts, with its one-place queue already taken: a client's
// connection attempt then hangs (its SYNs are dropped) until the listener closes, so an upload
// stays at its very start for as long as the pictures take.
class StuckServer {
 public:
  explicit StuckServer(const char* address) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(80);
    inet_pton(AF_INET, address, &at.sin_addr);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    ok_ = bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && listen(listener_, 0) == 0;
    filler_ = socket(AF_INET, SOCK_STREAM, 0);
    ok_ = ok_ && connect(filler_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
  }
  ~StuckServer() { Close(); }
  bool ok() const { return ok_; }
  // Refuses from now on: the hanging connection attempt fails at its next try.
  void Close() {
    if (filler_ >= 0) close(filler_);
    if (listener_ >= 0) close(listener_);
    filler_ = listener_ = -1;
  }

 private:
  int listener_ = -1;
  int filler_ = -1;
  bool ok_ = false;
};

// What the picture-taking timer does inside the progress dialog's modal loop.
struct ProgressShots {
  StuckServer* server = nullptr;
  plat::DWORD total = 0;
  int ticks = 0;
  bool done = false;
};
ProgressShots* g_shots = nullptr;

void ProgressShotTick(pw::HWND, plat::UINT, pw::UINT_PTR, plat::DWORD) {
  // The dialog gives its cancel button the focus when it opens.
  pw::HWND focus = pw::GetFocus();
  pw::HWND dialog = focus ? pw::GetParent(focus) : nullptr;
  if (!g_shots || g_shots->done || !dialog || !pw::GetDlgItem(dialog, IDC_PROGRESS_BYTES)) return;
  auto* progress = dynamic_cast<CProgressDlg*>(pw::CWnd::FromHandlePermanent(dialog));
  if (!progress) return;
  switch (++g_shots->ticks) {
    case 1: Save(dialog, "progress-0.png"); break;
    case 2:
      // Half the bytes sent, reported as the worker reports each block; the poll timer shows the text.
      CProgressDlg::OnProgress(progress, g_shots->total, g_shots->total / 2);
      break;
    case 3:
      Save(dialog, "progress-50.png");
      g_shots->done = true;
      g_shots->server->Close();  // the stuck transfer now fails and the dialog ends
      break;
    default: break;
  }
}

// The progress dialog of an upload that has just started, and the same dialog halfway.
void ProgressPictures() {
  const auto folder = std::filesystem::temp_directory_path() / "drev-docs-progress";
  std::filesystem::create_directories(folder);
  setenv("DREV_REGISTRY", (folder / "registry.json").c_str(), 1);
  const char* address = "127.133.0.1";
  StuckServer server(address);
  if (!server.ok()) {
    std::fprintf(stderr, "cannot listen on %s:80 (needs root); no progress pictures\n", address);
    ++g_failures;
    return;
  }
  auto factory = drev::GetDrevClassFactory();
  drev::host::ControlHost host(factory.Get());
  host.LoadProperties({{"Normal_ServerName", address}, {"Normal_UploadURL", "/upload.php"}});
  host.CreateWindows(420, 160);
  host.Call("SetUploadSize", {std::int32_t{1} << 30});
  const std::filesystem::path file = folder / "holiday-video.avi";
  const plat::DWORD size = 734'003'200;  // 700 MB, sparse
  std::ofstream(file).close();
  std::filesystem::resize_file(file, size);
  plat::shell::QueueOpenFileSelection({file.string()});
  host.Call("AttachFiles");

  ProgressShots shots;
  shots.server = &server;
  shots.total = size;
  g_shots = &shots;
  const pw::UINT_PTR timer = pw::SetTimer(nullptr, 0, 400, ProgressShotTick);
  host.Call("UploadFiles");  // runs the dialog until the transfer has failed
  pw::KillTimer(nullptr, timer);
  g_shots = nullptr;
  if (!shots.done) {
    std::fprintf(stderr, "the progress dialog closed before its pictures were taken\n");
    ++g_failures;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  g_folder = argv[1];
  std::filesystem::create_directories(g_folder);
  static const int tag = 0;
  RegisterModuleResources(&tag);
  HeaderPicture();
  GradientPictures();
  ListPicture();
  AttachmentPictures();
  ProgressPictures();
  return g_failures == 0 ? 0 : 1;
}
