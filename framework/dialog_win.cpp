#include "framework/dialog.h"

#include <string>

#include "framework/app.h"

namespace {
// The dialog being created on this thread: bound on its first message.
thread_local CDialog* t_creating = nullptr;
}

INT_PTR CALLBACK CDialog::BindingDlgProc(HWND hwnd, UINT, WPARAM, LPARAM) {
  if (t_creating && !FromHandle(hwnd)) {
    CDialog* dialog = t_creating;
    t_creating = nullptr;
    dialog->Bind(hwnd);
  }
  // Everything else is handled in WindowProc, ahead of the dialog manager.
  return FALSE;
}

HWND CDialog::CreateFromTemplate(UINT templateId, HWND owner) {
  t_creating = this;
  HWND hwnd = ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(templateId), owner, BindingDlgProc, 0);
  t_creating = nullptr;
  return hwnd;
}

INT_PTR CDialog::DoModal() {
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  m_bModal = true;
  m_bEndModal = false;
  m_nModalResult = -1;
  const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);

  if (!CreateFromTemplate(m_nIDTemplate, owner)) {
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    m_bModal = false;
    return -1;
  }
  // A template without WS_VISIBLE is shown now; one with it already shows in
  // the state OnInitDialog left it (which may be minimised, or ending).
  if (!m_bEndModal && m_hWnd && !::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);

  MSG msg;
  bool quit = false;
  while (!m_bEndModal && m_hWnd) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = got == 0;
      break;
    }
    if (!AfxGetApp()->PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }

  // Give activation back to the owner before the dialog goes away.
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
  if (m_hWnd) ::DestroyWindow(m_hWnd);
  m_bModal = false;
  if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
  return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  m_pParentWnd = parent;
  m_bModal = false;
  return CreateFromTemplate(templateId, parent ? parent->m_hWnd : nullptr) != nullptr;
}

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  m_bEndModal = true;
  // Wake the modal loop if it is waiting in GetMessage.
  if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return !dx.m_bFailed;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_NCDESTROY:
      // The controls went before the dialog; their wrappers are free again.
      for (CWnd* control : m_boundControls) control->ReleaseControl();
      m_boundControls.clear();
      break;
    case WM_COMMAND:
      if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
          OnOK();
          return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          OnCancel();
          return 0;
        }
      }
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) { return ::IsDialogMessageA(m_hWnd, msg); }

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd == nullptr && control.AttachControl(dx->m_pDlgWnd->GetDlgItem(id)))
    dx->m_pDlgWnd->m_boundControls.push_back(&control);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  HWND item = dx->m_pDlgWnd->GetDlgItem(id);
  if (dx->m_bSaveAndValidate) {
    CString text(static_cast<size_t>(::GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
    value = text;
  } else {
    ::SetWindowTextA(item, value.c_str());
  }
}

namespace {
constexpr UINT kMaxCharsMessage = 61716;
}  // namespace

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
  if (dx->m_bFailed || !dx->m_bSaveAndValidate || static_cast<int>(value.size()) <= maxChars) return;
  dx->m_bFailed = true;
  // The program's string 61716 says it, with %1 standing for the limit.
  CString text = LoadResourceString(kMaxCharsMessage);
  if (text.empty()) text = "%1 文字以内で入力してください。";
  const std::size_t at = text.find("%1");
  if (at != CString::npos) text.replace(at, 2, std::to_string(maxChars));
  AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
}
