// CDialog: modeless and modal creation from a registered template, OK/Cancel, data exchange.
#include "platform/win/cdialog.h"

#include "platform/kernel/resource.h"
#include "platform/win/afx_internal.h"
#include "platform/win/dialog.h"
#include "platform/win/window.h"

namespace plat::win {

namespace {

const DialogTemplate* TemplateOf(UINT id) {
  kernel::ResourceData data = kernel::FindResource(kernel::ResourceKind::Dialog, id);
  return data ? static_cast<const DialogTemplate*>(data.data) : nullptr;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (!pDX || control.m_hWnd) return;
  control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  if (!pDX || !pDX->m_pDlgWnd) return;
  if (pDX->m_bSaveAndValidate) {
    value = pDX->m_pDlgWnd->GetDlgItemText(id);
    return;
  }
  // A control that already shows the text is left alone: setting it again would repaint it for
  // nothing, and dialogs exchange their texts on every refresh.
  if (pDX->m_pDlgWnd->GetDlgItemText(id) != value) pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  const DialogTemplate* tmpl = TemplateOf(templateId);
  if (!tmpl || m_hWnd) return FALSE;
  m_nIDTemplate = templateId;
  if (parent) m_pParentWnd = parent;
  afx::HookCreation(this);
  HWND hwnd = CreateDialogIndirectParam(tmpl, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, nullptr, 0);
  return hwnd ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal() {
  const DialogTemplate* tmpl = TemplateOf(m_nIDTemplate);
  if (!tmpl || m_hWnd) return -1;
  afx::HookCreation(this);
  return DialogBoxIndirectParam(tmpl, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, nullptr, 0);
}

void CDialog::EndDialog(int result) { ::plat::win::EndDialog(m_hWnd, result); }

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  if (!m_hWnd) return FALSE;
  CDataExchange dx{saveAndValidate, this};
  DoDataExchange(&dx);
  return TRUE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) return OnInitDialog();
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return 0;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return 0;
    }
  }
  return CWnd::WindowProc(msg, wParam, lParam);
}

}  // namespace plat::win
