// CMainFrm: the attachment manager — the attachment dialog (template 101) with its list, the image
// and deletion lists, their totals and limits, and every operation the control's script methods
// forward to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "model/PrivateMessages.h"
#include "model/UploadSettings.h"
#include "platform/shell/file_drop.h"
#include "platform/shell/ole_drop_target.h"
#include "platform/win/cdialog.h"
#include "widgets/CXListCtrl.h"

namespace drev {

class CProgressDlg;

// Ownership: each record belongs to exactly one place — a list row (the row's item data, see
// GetRecord/AdoptRecord/TakeRecord), m_listImage or m_listDelete — and whoever takes it out of that
// place destroys it or hands it on. m_listUpload only borrows row records for one upload.
//
// Every operation runs on the control's user-interface thread. The operations that change rows,
// images or deletions end with UpdateTotals, which tells the control (UM_LIST_CHANGED, sent to the
// control that owns this manager and handled before UpdateTotals returns).
//
// While an upload runs (IsUploadRunning) its worker reads the rows, images and deletions on another
// thread, so every operation that would change them, and a second UploadFiles, returns at once
// without doing anything, as in scrap mode. The page's StartUpload handler runs in that time; its
// CancelUpload, ChangeFileList, OnContentReceived and UploadFailed handlers run after the worker has
// ended.
class CMainFrm : public plat::win::CDialog {
 public:
  enum { IDD = 101 };

  // All members at their initial values; the dialog window is created later by the control.
  // `control` is the control that owns this manager (borrowed: it outlives the manager): the one
  // told of every change and of every upload's start and end, and the one whose settings and reply
  // the manager's uploads use. Null for a manager without a control (nothing is told then).
  explicit CMainFrm(IUploadControl* control);
  ~CMainFrm() override;
  CMainFrm(const CMainFrm&) = delete;
  CMainFrm& operator=(const CMainFrm&) = delete;

  // ----- adding files (CMainFrm_add.cpp) -----
  // Opens the open-file dialog and adds the chosen files as rows, in order; stops at the first file
  // that cannot be read or that the count limit refuses. Nothing in scrap mode.
  void AttachFiles();
  // WM_DROPFILES: adds the dropped files like AttachFiles (paths inside "Temporary Internet Files"
  // are skipped) and releases the drop. Nothing but the release in scrap mode.
  void OnDropFiles(plat::shell::HDROP hDropInfo);
  // Adds a local image under form field `paramName` to m_listImage. Nothing in scrap mode or when
  // the file cannot be read (the reason is shown). The page names this file, not the user, so it
  // must lie in a folder the host allows a page to name (plat::shell::IsPageFileAllowed, symbolic
  // links and ".." resolved); any other is refused as a file that cannot be opened, with the
  // system's "access denied" text. `pathLossless` false (the script's path had characters CP949
  // lacks, now '?') refuses it with a message as the open-file dialog and drops do: the text would
  // name another file.
  void AddImage(const std::string& paramName, const std::string& strFilePath, bool pathLossless = true);
  // Adds a file the server holds: an image to m_listImage, anything else as a grey row (subject to
  // the count limit). Works in scrap mode too. `bIsImageFile` is 0 or 1.
  void AddPreUploadFile(const std::string& filename, std::int32_t fileid, std::int32_t filesize,
                        std::int32_t bIsImageFile);
  // Adds a local file row. 1 = added (also in scrap mode, where nothing happens), 0 = refused by
  // the count limit (the message has been shown) or because an upload runs. `diskSize` is the
  // file's whole size when known (the size limits count it); -1 takes `size` as unsigned.
  int AddFileItem(const std::string& path, int icon, std::int32_t size, std::int64_t diskSize = -1);
  // Adds a server file row for `record`; a refused record (scrap mode, count limit) is destroyed.
  void AddServerItem(std::unique_ptr<CAttachFile> record, int icon, std::int32_t size);
  // The low 32 bits of the file's size in `size` (what records keep), and its whole size in
  // `*wholeSize` when asked (the size limits count that); false (after showing the system's text
  // for the error) when the file cannot be opened for reading without sharing.
  bool ReadFileSize(const std::string& path, std::int32_t& size, std::int64_t* wholeSize = nullptr);
  // The system small-icon index of `path`, judged by its name.
  int GetIconIndex(const std::string& path);
  // The "Content Type" of extension `ext` under HKEY_CLASSES_ROOT, or "application/octet-stream".
  static std::string GetContentType(const std::string& ext);

  // ----- removing files (CMainFrm_remove.cpp) -----
  // Removes the ticked rows (server files move to m_listDelete) and fires OnFileDeleted once.
  void DeleteSelectedItem();
  // Removes the rows whose record's kind equals `uType`; recounts even when none was removed.
  void DeleteAllItem(std::uint16_t uType);
  // Records a server file as deleted; an image also takes the first image record with that id out.
  void AddDeleteFile(std::int32_t fileid, std::int32_t filesize, std::int32_t bIsImage);
  // "," followed by "," and the decimal id of each deletion record, in order.
  std::string GetDeleteFileList();

  // ----- starting an upload (CMainFrm_upload.cpp) -----
  // Checks the limits and runs the progress dialog: 1 when the server answered 200 and its reply
  // was read (the lists are then emptied), when there was nothing to send, and in scrap mode; 0
  // after a cancel (CancelUpload) and after a refusal or a failure (a message box, then the page's
  // UploadFailed), which keep the rows and deletions for a retry (an image-limit refusal empties
  // the images). A call made while an upload runs (from a StartUpload handler) does nothing and
  // returns 1.
  std::int32_t UploadFiles();
  // True from the hand-off of the lists to an upload's progress dialog until that dialog has seen
  // its worker end.
  bool IsUploadRunning() const;

  // ----- the model (CMainFrm.cpp) -----
  // Empties the rows, the images and the deletions (destroying their records) and the upload
  // hand-off list, then recounts. Used by the control after an upload.
  void ResetAll();
  // Rebuilds the totals block from the rows and the image list and sends UM_LIST_CHANGED with it.
  // Before the dialog is initialised and after it is destroyed there is no block and nothing is
  // sent.
  void UpdateTotals();
  // Counts by type name ("ATTACH_FILE", "ATTACH_IMAGE", "DELETE_FILE", "TOTAL_ATTACH_FILE", exact
  // case); any other name 0. The count is cut to 16 bits.
  std::int16_t GetFileCount(const std::string& type);
  // Sum of the rows' sizes less the sizes of the non-image deletion records; may be negative.
  std::int32_t GetUploadSize();
  // Sum of the image records' sizes less the sizes of the non-image deletion records.
  std::int32_t GetImageUploadSize();
  // Both store the upload size limit (m_nMaxUploadSize), unchecked.
  void SetUploadSize(std::int32_t uploadsize);
  void SetMaxUploadSize(std::int32_t uploadsize);
  // Scrap mode: most list operations and UploadFiles do nothing while it is on.
  void setScrapYn(bool scrapYn);
  std::uint8_t getScrapYn() const { return m_bScrap; }
  // Each destroys every record of its place (rows from the last to the first) and recounts nothing.
  // Nothing in scrap mode.
  void RemoveAllItems();
  void RemoveAllImages();
  void RemoveAllDeleteFiles();

  // ----- rows and their records -----
  // The number of rows of the list (0 before the dialog exists).
  int GetRowCount();
  // The record of row `row`, still owned by the row; null for a row without one or out of range.
  CAttachFile* GetRecord(int row);
  // Makes `record` the row's record; the row owns it from now on.
  void AdoptRecord(int row, std::unique_ptr<CAttachFile> record);
  // Takes the record out of the row (the row keeps no record); null when it had none.
  std::unique_ptr<CAttachFile> TakeRecord(int row);

  // ----- what the control and the list's users see -----
  // The control's settings (not owned): set by the control before the dialog is created; when not
  // set, dialog initialisation takes them from the control.
  void SetSettings(UploadSettings* settings) { m_pSettings = settings; }
  const UploadSettings* GetSettings() const { return m_pSettings; }
  // The list (control 201 of the dialog) and the manager's own lists, for reading.
  CXListCtrl& GetListCtrl() { return m_ctlList; }
  const CAttachList& GetImageRecords() const { return m_listImage; }
  const CAttachList& GetDeleteRecords() const { return m_listDelete; }

 protected:
  // Binds m_ctlList to control 201 during the base initialisation, before the rest of it.
  void DoDataExchange(plat::win::CDataExchange* pDX) override;
  plat::BOOL OnInitDialog() override;
  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;

 private:
  void SetSystemImageList();
  void InitColumns();
  void OnSize(int cx, int cy);
  void OnDestroy();
  plat::LRESULT OnNotify(const plat::win::NMHDR* header);
  void OnDeleteItem(const plat::win::NMLISTVIEW* notice);
  // The content type of extension `ext` for a new row: from the batch's table when a batch runs.
  std::string ContentTypeForRow(const std::string& ext);

  // The content type and icon of each extension met while one batch of files is added (one
  // dialog selection, one drop): the registry and the shell are asked once per extension and
  // batch, not once per file. Defined in CMainFrm_add.cpp.
  struct BatchKinds;
  class BatchScope;

  // State, in the order and with the names the design gives it.
  CXListCtrl m_ctlList;                  // takes over control 201
  std::int32_t m_nFixedWidth = 0;         // sum of the initial column widths: 280
  CAttachRefList m_listUpload;           // row records lent to one upload; empty otherwise
  CAttachList m_listImage;               // image records, in the order added
  CAttachList m_listDelete;              // deletion records, in the order added
  UploadSettings* m_pSettings = nullptr;  // the control's settings, not owned
  std::unique_ptr<ATTACH_TOTALS> m_pTotals;  // from dialog initialisation to WM_DESTROY
  plat::shell::COleDropTarget m_dropTarget;  // registered for the dialog window; takes no OLE data
  std::int32_t m_nMaxUploadSize = 0;     // upload size limit
  // Kept as records enter rows (AdoptRecord) and leave them (TakeRecord), so that the totals, the
  // counts and the upload size cost the same at 1,000 rows as at 10: the wrapped sum of the rows'
  // sizes, and the number of rows holding a record of a local file.
  std::int32_t m_nRowBytes = 0;
  std::int32_t m_nLocalRows = 0;
  std::uint8_t m_bScrap = 0;             // scrap mode
  IUploadControl* const m_pControl;                // the owning control; not owned
  const CProgressDlg* m_pUploadDialog = nullptr;  // the running upload's dialog, during UploadFiles
  BatchKinds* m_pBatchKinds = nullptr;            // while AttachFiles or OnDropFiles adds its files
  bool m_bRemovingAllRows = false;                // while RemoveAllItems has the list delete every row
};

}  // namespace drev
