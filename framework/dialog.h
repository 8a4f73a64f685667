// CDialog: dialogs from resource templates, modal through our own message loop
// (so that the application's PreTranslateMessage sees every message) or modeless.
#pragma once

#include <vector>

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

  // Runs the dialog until EndDialog; returns its result (-1 when it could not
  // be created).
  virtual INT_PTR DoModal();
  // Creates the dialog modeless; it lives until it is destroyed.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Ends a modal dialog with `result` once the current message is handled.
  void EndDialog(int result);

  // Called when the dialog's controls exist, before it is shown; TRUE gives the
  // focus to the first control.
  virtual BOOL OnInitDialog();
  // Called for IDOK and IDCANCEL.
  virtual void OnOK();
  virtual void OnCancel();
  // Binds controls to member wrappers (called from UpdateData).
  virtual void DoDataExchange(CDataExchange* dx);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Dialog keys (Tab, arrows, mnemonics, Enter, Escape) through IsDialogMessage.
  BOOL PreTranslateMessage(MSG* msg) override;

  bool IsModal() const { return m_bModal; }

 protected:
  // Creates the dialog window from the template and binds it to this object.
  HWND CreateFromTemplate(UINT templateId, HWND owner);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  friend void DDX_Control(CDataExchange* dx, int id, CWnd& control);
  static INT_PTR CALLBACK BindingDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // The controls DDX_Control wrapped, released with the dialog's window.
  std::vector<CWnd*> m_boundControls;
  bool m_bModal = false;
  bool m_bEndModal = false;
  int m_nModalResult = -1;
};

// Data exchange between a dialog's controls and its members.
class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  bool m_bFailed = false;
};

// Binds the control `id` to `control` the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Transfers the text of control `id` to or from `value`.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Fails the exchange (with a message) when `value` is longer than `maxChars` bytes.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
