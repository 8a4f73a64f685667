// CPasswordDlg: asks for the password (entry mode: one attempt against the
// stored value) or makes a new one (creation mode, when the profile holds the
// marker "password": the text typed twice, then its scrambled value stored).
// CAboutDlg: the version dialog, whose "パスワード" group turns the lock off
// and starts the making of a new password.
#pragma once

#include "framework/framework.h"

class CPasswordDlg : public CDialog {
 public:
  explicit CPasswordDlg(CWnd* parent = nullptr);

  CString m_strStored;    // "init"/"data1" as read before the dialog runs
  CEdit m_edit;           // control 1000
  CString m_strPassword;  // the edit's text
  int m_nStage = 0;       // 1 while the confirmation of a new password is awaited
  CString m_strFirst;     // the first entry of a new password

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdatePrompt();
  // Selects the whole entry and scrolls the caret into view.
  void SelectEntry();
  LRESULT OnInstanceQuery(WPARAM wParam, LPARAM lParam);
};

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CWnd* parent = nullptr);

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnUsePassword();
  void OnChangePassword();

  CButton m_btnChange;  // 1044
  CButton m_chkUse;     // 1045
};

// The start-up check: TRUE when no password is in force or the right one was
// given; FALSE when it was refused or the prompt cancelled.
BOOL CheckStartupPassword();

// The password value kept consistent at start: restored from the registry
// backup when the profile has none, reset to the no-password value when it
// is damaged, and backed up.
void KeepPasswordValue();
