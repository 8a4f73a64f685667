// CCalendarDlg: the small modeless window beside the journal that shows the
// month of the current date. It has no navigation of its own: the journal
// updates it after every change of date.
#pragma once

#include "framework/framework.h"

class CCalendarWnd;
class CJournalDlg;

class CCalendarDlg : public CDialog {
 public:
  CCalendarDlg();

  // Shows the journal's current date: caption, month and marks, repainted at once.
  void Update();

  // The grid window while the calendar is open.
  CCalendarWnd* grid() const { return m_pGrid; }

 protected:
  BOOL OnInitDialog() override;
  // Closing a modeless dialog destroys it.
  void OnCancel() override;
  void DoDataExchange(CDataExchange* dx) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnDestroy();
  void SetCaption(WORD year, WORD month);

  CJournalDlg* m_pOwner = nullptr;
  CCalendarWnd* m_pGrid = nullptr;  // deletes itself with its window
  CStatic m_stcFrame;
};
