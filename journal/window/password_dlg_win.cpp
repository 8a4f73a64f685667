#include "journal/window/password_dlg.h"

#include <string>

#include "common/registry_win.h"
#include "journal/app/journal_app.h"
#include "journal/data/password_value.h"
#include "journal/res/resource.h"

namespace {

constexpr char kInitSection[] = "init";
constexpr char kValueKey[] = "data1";
constexpr char kVersionKey[] = "data2";
// The backup of the value, beside the installer's key.
constexpr char kBackupKey[] = "Software\\tavelo-soft\\vorta95";
constexpr char kBackupName[] = "Password";
// The system menu item the password dialog enables when a second copy asks.
constexpr UINT kPasswordMenuPosition = 2;

CString StoredValue() { return AfxGetApp()->GetProfileString(kInitSection, kValueKey, vorta::kPasswordMarker.data()); }

void StoreValue(const CString& value) { AfxGetApp()->WriteProfileString(kInitSection, kValueKey, value.c_str()); }

// The value as the registry keeps it: all 252 bytes, the zero included, as
// binary data so that no byte is changed on the way.
void WriteBackup(const CString& value) {
  vorta::WriteRegistryBinary(HKEY_CURRENT_USER, kBackupKey, kBackupName, std::string(value) + '\0');
}

// The backup as a string (up to its first zero byte), or false when there is none.
bool ReadBackup(CString* value) {
  std::string bytes;
  if (!vorta::ReadRegistryValue(HKEY_CURRENT_USER, kBackupKey, kBackupName, &bytes)) return false;
  *value = bytes.substr(0, bytes.find('\0'));
  return true;
}

// The profile's value and its companion key, written together.
void StoreValueAtStart(const CString& value) {
  StoreValue(value);
  AfxGetApp()->WriteProfileString(kInitSection, kVersionKey, "2");
}

}  // namespace

// ---------------------------------------------------------------------------
// Start-up

void KeepPasswordValue() {
  // No value stored (a first start, or the settings file gone): the backup
  // brings the password in force back, else there is none.
  if (StoredValue() == vorta::kPasswordMarker) {
    CString backup;
    if (ReadBackup(&backup) && !backup.empty())
      StoreValueAtStart(backup);
    else
      StoreValueAtStart(vorta::NoPasswordValue());
  }
  // A value of any other length than a scrambled one is damaged: the lock
  // is off from then on, and the backup says so too.
  CString backup;
  const bool backedUp = ReadBackup(&backup);
  const CString checked = backedUp ? backup : StoredValue();
  if (checked.size() == vorta::kPasswordValueLength) return;
  const CString noPassword = vorta::NoPasswordValue();
  StoreValueAtStart(noPassword);
  WriteBackup(noPassword);
}

BOOL CheckStartupPassword() {
  CPasswordDlg dlg;
  dlg.m_strStored = StoredValue();
  // No value stored at all (the settings file could not be written at
  // start) locks nothing either: the prompt would ask to make a password.
  if (dlg.m_strStored == vorta::NoPasswordValue() || dlg.m_strStored == vorta::kPasswordMarker) return TRUE;
  return dlg.DoModal() == IDOK;
}

// ---------------------------------------------------------------------------
// The password dialog

CPasswordDlg::CPasswordDlg(CWnd* parent) : CDialog(IDD_PASSWORD, parent) {}

void CPasswordDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_PASSWORD_EDIT, m_edit);
  DDX_Text(dx, IDC_PASSWORD_EDIT, m_strPassword);
  DDV_MaxChars(dx, m_strPassword, static_cast<int>(vorta::kPasswordMaxBytes));
}

BOOL CPasswordDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Titled like the journal, so that a second copy finds it and wakes it.
  SetWindowText(AfxGetAppName());
  m_nStage = 0;
  m_edit.LimitText(static_cast<int>(vorta::kPasswordMaxBytes));
  return TRUE;
}

void CPasswordDlg::SelectEntry() {
  m_edit.SendMessage(EM_SETSEL, 0, -1);
  m_edit.SendMessage(EM_SCROLLCARET);
}

void CPasswordDlg::UpdatePrompt() {
  ::SetDlgItemTextA(m_hWnd, IDC_PASSWORD_PROMPT,
                    LoadResourceString(m_nStage == 1 ? IDS_CONFIRM_PASSWORD : IDS_ENTER_PASSWORD).c_str());
  SelectEntry();
}

void CPasswordDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  m_strStored = StoredValue();
  const CString value = vorta::ScramblePassword(m_strPassword);

  if (m_strStored != vorta::kPasswordMarker) {
    // One attempt; an empty entry never matches.
    if (!m_strPassword.empty() && value == m_strStored) {
      EndDialog(IDOK);
    } else {
      AfxMessageBox(IDS_WRONG_PASSWORD);
      EndDialog(IDCANCEL);
    }
    return;
  }

  if (m_nStage == 0) {
    // A password that could not come back from the settings file whole is
    // not taken: the entry stays, selected, for another try.
    if (!vorta::CanBeStoredAsPassword(m_strPassword)) {
      ::MessageBeep(MB_ICONEXCLAMATION);
      m_edit.SetFocus();
      SelectEntry();
      return;
    }
    AfxMessageBox(IDS_NEW_PASSWORD, MB_ICONINFORMATION);
    m_nStage = 1;
    m_strFirst = m_strPassword;
    m_strPassword.clear();
    UpdatePrompt();
    UpdateData(FALSE);
    m_edit.LimitText(static_cast<int>(vorta::kPasswordMaxBytes));
    m_edit.SetFocus();
    return;
  }

  if (m_strFirst != m_strPassword) {
    m_nStage = 0;
    m_strPassword = m_strFirst;
    m_strFirst.clear();
    UpdatePrompt();
    UpdateData(FALSE);
    SelectEntry();
    AfxMessageBox(IDS_PASSWORDS_DIFFER);
    return;
  }

  StoreValue(value);
  WriteBackup(value);
  EndDialog(IDOK);
}

void CPasswordDlg::OnCancel() {
  if (m_nStage == 1) {
    // Back to the first entry, which stays in the box, selected.
    m_nStage = 0;
    UpdatePrompt();
    return;
  }
  EndDialog(IDCANCEL);
}

LRESULT CPasswordDlg::OnInstanceQuery(WPARAM wParam, LPARAM) {
  if (wParam != kInstanceQueryCode) return -1;
  HMENU sysMenu = GetSystemMenu(FALSE);
  ::EnableMenuItem(sysMenu, 0, MF_BYPOSITION | MF_GRAYED);
  ::EnableMenuItem(sysMenu, kPasswordMenuPosition, MF_BYPOSITION | MF_ENABLED);
  return static_cast<LRESULT>(kInstanceQueryCode);
}

LRESULT CPasswordDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kInstanceQueryMessage) return OnInstanceQuery(wParam, lParam);
  return CDialog::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// The version dialog

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_CHANGE_PASSWORD, m_btnChange);
  DDX_Control(dx, IDC_USE_PASSWORD, m_chkUse);
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const bool locked = StoredValue() != vorta::NoPasswordValue();
  m_chkUse.SetCheck(locked ? BST_CHECKED : BST_UNCHECKED);
  m_btnChange.EnableWindow(locked);
  return TRUE;
}

void CAboutDlg::OnUsePassword() {
  if (m_chkUse.GetCheck() == BST_CHECKED) {
    // Nothing is locked until a password is made with "変更...".
    m_btnChange.EnableWindow(TRUE);
    return;
  }
  // Off at once; the backup keeps the old value.
  StoreValue(vorta::NoPasswordValue());
  m_btnChange.EnableWindow(FALSE);
}

void CAboutDlg::OnChangePassword() {
  const CString noPassword = vorta::NoPasswordValue();
  CPasswordDlg dlg(this);
  // The marker puts the dialog in creation mode: the old password is not asked for.
  StoreValue(CString(vorta::kPasswordMarker));
  if (dlg.DoModal() != IDOK) StoreValue(noPassword);
}

LRESULT CAboutDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_USE_PASSWORD: OnUsePassword(); return 0;
      case IDC_CHANGE_PASSWORD: OnChangePassword(); return 0;
    }
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
