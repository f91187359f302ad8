// CDialog: the framework's dialog (a template id; modeless as a child, or modal with a nested loop),
// with OK/Cancel handling and data exchange with its controls.
#pragma once

#include <string>

#include "platform/win/cwnd.h"

namespace plat::win {

// One data exchange pass: into the controls (m_bSaveAndValidate FALSE) or out of them (TRUE).
struct CDataExchange {
  BOOL m_bSaveAndValidate = FALSE;
  CWnd* m_pDlgWnd = nullptr;
};

// Binds `control` to the dialog's child `id` (subclassing it) the first time; later passes do
// nothing.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Copies between a child's text and `value` (CP949), in the pass's direction.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

  // Creates the dialog modelessly from template `templateId` (its style decides: a child of
  // `parent`, or a top-level window owned by it). FALSE when the template is missing or the window
  // or one of its controls could not be made.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Runs the dialog modally (owner: the parent's top-level window, disabled meanwhile) and returns
  // the EndDialog value; -1 when it could not be created. The window is gone when this returns.
  virtual INT_PTR DoModal();
  // Ends the modal loop with `result` (only this dialog's loop).
  void EndDialog(int result);

  // Dialog initialisation: the base exchanges data into the controls (DoDataExchange), so member
  // controls are bound before the rest of a derived OnInitDialog runs. TRUE: default focus.
  virtual BOOL OnInitDialog();
  // IDOK: exchanges data out of the controls, then ends with IDOK. IDCANCEL: ends with IDCANCEL.
  virtual void OnOK();
  virtual void OnCancel();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }

 protected:
  // WM_INITDIALOG -> OnInitDialog; WM_COMMAND IDOK/IDCANCEL -> OnOK/OnCancel; the rest to the base.
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
};

}  // namespace plat::win
