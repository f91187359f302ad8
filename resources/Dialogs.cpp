// The module's dialog templates: 101, the attachment list, and 102, the upload progress dialog.
#include <string>

#include "platform/kernel/resource.h"
#include "platform/text/text.h"
#include "platform/win/commctrl.h"
#include "platform/win/dialog.h"
#include "resources/ModuleResources.h"
#include "resources/Resource.h"

namespace drev {

namespace {

namespace pw = plat::win;

constexpr plat::BYTE kHangulCharset = 129;
constexpr int kNoId = -1;  // items the program never addresses

pw::DialogItemTemplate Item(const char* className, const std::string& text, int id, int x, int y, int cx,
                            int cy, plat::DWORD style) {
  pw::DialogItemTemplate item;
  item.className = className;
  item.text = text;
  item.id = id;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.style = pw::WS_CHILD | pw::WS_VISIBLE | style;
  return item;
}

// The attachment list: a borderless child that accepts dropped files, holding only the list view.
pw::DialogTemplate AttachmentList() {
  pw::DialogTemplate t;
  t.style = pw::WS_CHILD | pw::DS_SETFONT;
  t.exStyle = pw::WS_EX_ACCEPTFILES;
  t.cx = 199;
  t.cy = 111;
  t.faceName = plat::text::Ansi("굴림");
  t.pointSize = 9;
  t.charSet = kHangulCharset;
  t.items = {Item(pw::WC_LISTVIEW, "", IDC_ATTACH_LIST, 3, 3, 195, 108,
                  pw::WS_BORDER | pw::WS_GROUP | pw::WS_TABSTOP | pw::LVS_REPORT | pw::LVS_SHAREIMAGELISTS |
                      pw::LVS_ALIGNLEFT | pw::LVS_NOCOLUMNHEADER)};
  return t;
}

// The upload progress dialog: a modal pop-up with a caption and no system menu.
pw::DialogTemplate UploadProgress() {
  pw::DialogTemplate t;
  t.style = pw::WS_POPUP | pw::WS_CAPTION | pw::DS_MODALFRAME | pw::DS_SETFONT;
  t.cx = 219;
  t.cy = 94;
  t.faceName = plat::text::Ansi("돋움");
  t.pointSize = 10;
  t.charSet = kHangulCharset;
  t.caption = "Drev Upload";
  const plat::DWORD left = pw::SS_LEFT | pw::WS_GROUP;
  const plat::DWORD right = pw::SS_RIGHT | pw::WS_GROUP;
  t.items = {
      Item(pw::WC_BUTTON, "", kNoId, 3, 4, 211, 53, pw::BS_GROUPBOX),
      Item(pw::WC_STATIC, plat::text::Ansi("전체 파일 : "), kNoId, 11, 14, 40, 8, left),
      Item(pw::WC_STATIC, "", IDC_PROGRESS_TOTAL_FILES, 51, 13, 154, 8, left),
      Item(pw::PROGRESS_CLASS, "", IDC_PROGRESS_BAR, 6, 26, 201, 9, pw::WS_BORDER),
      Item(pw::WC_STATIC, "", IDC_PROGRESS_BAR_NOTE, 40, 36, 167, 8, right),
      Item(pw::WC_STATIC, "", IDC_PROGRESS_BYTES, 23, 42, 169, 8, right),
      Item(pw::WC_STATIC, "", IDC_PROGRESS_LOWER_NOTE, 51, 47, 67, 8, left),
      Item(pw::WC_BUTTON, plat::text::Ansi("취  소"), IDC_PROGRESS_CANCEL, 82, 68, 50, 14,
           pw::BS_PUSHBUTTON | pw::WS_TABSTOP),
  };
  return t;
}

}  // namespace

void RegisterModuleDialogs(const void* owner) {
  // The table keeps pointers: the templates live as long as the process.
  static const pw::DialogTemplate attachmentList = AttachmentList();
  static const pw::DialogTemplate uploadProgress = UploadProgress();
  using plat::kernel::RegisterResource;
  using plat::kernel::ResourceKind;
  RegisterResource(ResourceKind::Dialog, IDD_ATTACH_LIST, &attachmentList, sizeof attachmentList, owner);
  RegisterResource(ResourceKind::Dialog, IDD_UPLOAD_PROGRESS, &uploadProgress, sizeof uploadProgress, owner);
}

}  // namespace drev
