// CUploadListCtrl: the scriptable multi-file upload control the page talks to.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "attachments/CMainFrm.h"
#include "control/COleControl.h"
#include "control/CurrentControl.h"
#include "model/UploadSettings.h"
#include "platform/com/module.h"

namespace drev {

// The control object. It owns its settings record, the reply text of the last upload and, by value,
// the attachment manager `CMainFrm`, whose dialog fills the control window. Each script method
// forwards to the attachment manager operation of the same name; the manager's private messages
// (UM_*) come back to the control window and become page events. The control hands itself to its
// attachment manager, which hands it on to each upload's progress dialog and worker, so that every
// control of a page (or of a process) runs its own uploads. Constructing a control also makes it the
// process's current control (a later one takes over; destroying it releases that pointer), which
// nothing on the upload road reads.
//
// Apartment threaded: every call but SetServerResponse and SendToControl comes on the thread that
// made the object.
class CUploadListCtrl : public COleControl, public IUploadControl {
 public:
  CUploadListCtrl();
  ~CUploadListCtrl() override;

  // IUploadControl.
  UploadSettings* GetUploadSettings() override { return m_pSettings.get(); }
  // Sends to the control window (synchronously, also from another thread). Before the window
  // exists, or after it is gone, the message is handled at once on the calling thread, so that the
  // page still hears of every change of the lists.
  plat::LRESULT SendToControl(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) override;
  void SetServerResponse(const std::string& reply) override;
  void FireOnFileAppended(std::int32_t appendedFileSize, std::int32_t totalSize) override;
  void FireOnFileDeleted(std::int32_t deletedFileSize, std::int32_t totalFileSize) override;

  // The reply text of the last upload that was answered with status 200 (CP949); empty until then.
  std::string GetServerResponse();

 protected:
  void DoPropExchange(plat::com::PropExchange& px) override;
  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;
  int OnCreate(plat::win::CREATESTRUCTA* cs) override;
  void OnSize(plat::UINT type, int cx, int cy) override;

 private:
  void BuildDispatchMap();
  void BuildMethods();
  void BuildProperties();
  // The private messages turned into events; each answers 0.
  plat::LRESULT OnControlMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);
  void OnUploadFinish();
  void OnUploadFailed(std::int32_t status, const std::string* reason);
  void OnListChanged(const ATTACH_TOTALS* totals);

  // Script side of the five persisted properties.
  std::string GetActionTime();
  void SetActionTime(const std::string& value);
  std::int32_t GetMaxNormalSize();
  void SetMaxNormalSize(std::int32_t value);
  std::int32_t GetMaxFileCount();
  void SetMaxFileCount(std::int32_t value);
  std::string GetNormalServerName();
  void SetNormalServerName(const std::string& value);
  std::string GetNormalUploadURL();
  void SetNormalUploadURL(const std::string& value);

  plat::com::ModuleLock m_moduleLock;
  // Destroyed in reverse order: the settings first, then the reply, then the attachment manager.
  CMainFrm m_mainFrm;
  std::mutex m_responseLock;  // the worker stores the reply while the page's thread may read it
  std::string m_strServerResponse;
  std::unique_ptr<UploadSettings> m_pSettings;
};

}  // namespace drev
