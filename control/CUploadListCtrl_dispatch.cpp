// The control's script surface: every method and property of _DDrev with its dispatch id.
#include "control/CUploadListCtrl.h"
#include "control/DispIds.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/winuser.h"
#include "resources/AppName.h"

namespace drev {

using std::int16_t;
using std::int32_t;
using std::string;
using std::uint16_t;

void CUploadListCtrl::BuildDispatchMap() {
  BuildMethods();
  BuildProperties();
}

// Each method forwards to the attachment manager's operation of the same name, or to the settings.
void CUploadListCtrl::BuildMethods() {
  namespace d = dispid;
  plat::com::DispatchTable& t = DispatchMap();
  CMainFrm& m = m_mainFrm;

  t.Method(d::DeleteSelectedItem, "DeleteSelectedItem", [&m] { m.DeleteSelectedItem(); });
  t.Method(d::UploadFiles, "UploadFiles", [&m]() -> bool { return m.UploadFiles() == 1; });
  t.Method(d::AttachFiles, "AttachFiles", [&m] { m.AttachFiles(); });
  t.Method(d::DeleteAllItem, "DeleteAllItem", [&m](uint16_t uType) { m.DeleteAllItem(uType); }, {"uType"});
  t.Method(
      d::AddParameter, "AddParameter",
      [this](string name, string value) { m_pSettings->Parameters.emplace_back(std::move(name), std::move(value)); },
      {"paramName", "paramValue"});
  // The referer is page state of the moment, not a persisted property: no modified mark.
  t.Method(d::SetReferer, "SetReferer", [this](string refer) { m_pSettings->Referer = std::move(refer); },
           {"strRefer"});
  t.Method(d::GetServerResponse, "GetServerResponse", [this]() -> string { return GetServerResponse(); });
  // The path must reach the manager unchanged: one whose characters CP949 lacks would name another
  // file once they became '?'.
  t.Method(d::AddImage, "AddImage",
           [&m](string name, plat::com::CheckedText path) { m.AddImage(name, path.text, path.lossless); },
           {"paramName", "strFilePath"});
  t.Method(d::GetFileCount, "GetFileCount", [&m](string type) -> int16_t { return m.GetFileCount(type); },
           {"FILE_TYPE"});
  // There is no per-file size limit: the value is accepted and not used.
  t.Method(d::SetMaxFileSize, "SetMaxFileSize", [](int32_t) {}, {"maxFileSize"});
  t.Method(d::AddDeleteFile, "AddDeleteFile",
           [&m](int32_t id, int32_t size, bool image) { m.AddDeleteFile(id, size, image ? 1 : 0); },
           {"fileid", "filesize", "bIsImage"});
  t.Method(
      d::AddPreUploadFile, "AddPreUploadFile",
      [&m](string name, int32_t id, int32_t size, bool image) { m.AddPreUploadFile(name, id, size, image ? 1 : 0); },
      {"filename", "fileid", "filesize", "bIsImageFile"});
  t.Method(d::GetDeleteFileList, "GetDeleteFileList", [&m]() -> string { return m.GetDeleteFileList(); });
  t.Method(d::SetUploadSize, "SetUploadSize", [&m](int32_t size) { m.SetUploadSize(size); }, {"uploadsize"});
  t.Method(d::SetMaxUploadSize, "SetMaxUploadSize", [&m](int32_t size) { m.SetMaxUploadSize(size); },
           {"uploadsize"});
  t.Method(
      d::test, "test",
      [](string) {
        plat::win::MessageBoxA(nullptr, plat::text::Ansi("무조건 테스트버전13").c_str(), AfxGetAppName().c_str(),
                               plat::win::MB_OK | plat::win::MB_ICONEXCLAMATION);
      },
      {"message"});
  t.Method(d::GetUploadSize, "GetUploadSize", [&m]() -> int32_t { return m.GetUploadSize(); });
  t.Method(d::setScrapYn, "setScrapYn", [&m](bool scrap) { m.setScrapYn(scrap); }, {"scrapYn"});
  t.Method(d::getScrapYn, "getScrapYn", [&m]() -> bool { return m.getScrapYn() != 0; });
}

void CUploadListCtrl::BuildProperties() {
  namespace d = dispid;
  plat::com::DispatchTable& t = DispatchMap();
  t.Property(d::ActionTime, "ActionTime", [this] { return GetActionTime(); },
             [this](string v) { SetActionTime(v); });
  t.Property(d::MaxNormalSize, "MaxNormalSize", [this] { return GetMaxNormalSize(); },
             [this](int32_t v) { SetMaxNormalSize(v); });
  t.Property(d::MaxFileCount, "MaxFileCount", [this] { return GetMaxFileCount(); },
             [this](int32_t v) { SetMaxFileCount(v); });
  t.Property(d::Normal_ServerName, "Normal_ServerName", [this] { return GetNormalServerName(); },
             [this](string v) { SetNormalServerName(v); });
  t.Property(d::Normal_UploadURL, "Normal_UploadURL", [this] { return GetNormalUploadURL(); },
             [this](string v) { SetNormalUploadURL(v); });

  // Named by the interface, implemented by nobody: any use is the missing-member error.
  using plat::com::VT_BSTR;
  using plat::com::VT_I4;
  t.Declared(d::PID, "PID", VT_BSTR);
  t.Declared(d::BIG_UploadURL, "BIG_UploadURL", VT_BSTR);
  t.Declared(d::BIG_PrecheckURL, "BIG_PrecheckURL", VT_BSTR);
  t.Declared(d::BIG_ServerName, "BIG_ServerName", VT_BSTR);
  t.Declared(d::MinBigFileSize, "MinBigFileSize", VT_I4);
  t.Declared(d::BIG_ExpireDay, "BIG_ExpireDay", VT_I4);
}

// Script reads and writes reach the settings record; a write marks the control modified so that
// the host saves the new value.
string CUploadListCtrl::GetActionTime() { return m_pSettings->ActionTime; }
void CUploadListCtrl::SetActionTime(const string& value) {
  m_pSettings->ActionTime = value;
  SetModifiedFlag();
}
int32_t CUploadListCtrl::GetMaxNormalSize() { return m_pSettings->MaxNormalSize; }
void CUploadListCtrl::SetMaxNormalSize(int32_t value) {
  m_pSettings->MaxNormalSize = value;
  SetModifiedFlag();
}
int32_t CUploadListCtrl::GetMaxFileCount() { return m_pSettings->MaxFileCount; }
void CUploadListCtrl::SetMaxFileCount(int32_t value) {
  m_pSettings->MaxFileCount = value;
  SetModifiedFlag();
}
string CUploadListCtrl::GetNormalServerName() { return m_pSettings->Normal_ServerName; }
void CUploadListCtrl::SetNormalServerName(const string& value) {
  m_pSettings->Normal_ServerName = value;
  SetModifiedFlag();
}
string CUploadListCtrl::GetNormalUploadURL() { return m_pSettings->Normal_UploadURL; }
void CUploadListCtrl::SetNormalUploadURL(const string& value) {
  m_pSettings->Normal_UploadURL = value;
  SetModifiedFlag();
}

}  // namespace drev
