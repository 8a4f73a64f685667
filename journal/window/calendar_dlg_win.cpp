#include "journal/window/calendar_dlg.h"

#include <cstdio>

#include "journal/res/resource.h"
#include "journal/window/calendar_wnd.h"
#include "journal/window/journal_dlg.h"

CCalendarDlg::CCalendarDlg() : CDialog(IDD_CALENDAR) {}

void CCalendarDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_CALENDAR_FRAME, m_stcFrame);
}

BOOL CCalendarDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The journal owns the window; while it is open the journal cannot open
  // a second one.
  m_pOwner = dynamic_cast<CJournalDlg*>(CWnd::FromHandle(GetParent()));
  if (!m_pOwner) {
    DestroyWindow();
    return FALSE;
  }
  ::EnableWindow(m_pOwner->GetDlgItem(IDC_CALENDAR), FALSE);

  const SYSTEMTIME& current = m_pOwner->CurrentDate();
  SetCaption(current.wYear, current.wMonth);

  // Without its grid the calendar has nothing to show: it closes at once.
  auto* grid = new CCalendarWnd(m_pOwner);
  RECT frame{};
  m_stcFrame.GetClientRect(&frame);
  grid->SetShownDate(current);
  if (!grid->Create(0, WS_CHILD | WS_VISIBLE, frame, &m_stcFrame, 0)) {
    DestroyWindow();
    return FALSE;
  }
  m_pGrid = grid;

  m_pOwner->PlaceOwnedWindow(*this, &m_pOwner->m_nCalendarX, &m_pOwner->m_nCalendarY);
  return TRUE;
}

void CCalendarDlg::SetCaption(WORD year, WORD month) {
  char caption[32];
  std::snprintf(caption, sizeof caption, "[%d年%d月]", year, month);
  SetWindowText(caption);
}

void CCalendarDlg::Update() {
  if (!m_pGrid || !m_pOwner) return;
  const SYSTEMTIME& current = m_pOwner->CurrentDate();
  m_pGrid->SetShownDate(current);
  SetCaption(current.wYear, current.wMonth);
  m_pGrid->RecomputeMonth();
  m_pGrid->InvalidateRect(nullptr, TRUE);
  m_pGrid->UpdateWindow();
}

void CCalendarDlg::OnCancel() {
  CJournalDlg* owner = m_pOwner;
  DestroyWindow();
  if (owner) owner->ReturnFromOwnedWindow();
}

void CCalendarDlg::OnDestroy() {
  Default();
  // The grid window goes with this one and takes its object along.
  const bool wasShown = m_pGrid != nullptr;
  m_pGrid = nullptr;
  if (!m_pOwner) return;
  // A calendar that could not open keeps the position it was to open at.
  if (wasShown) {
    RECT rect{};
    GetWindowRect(&rect);
    m_pOwner->m_nCalendarX = rect.left;
    m_pOwner->m_nCalendarY = rect.top;
  }
  ::EnableWindow(m_pOwner->GetDlgItem(IDC_CALENDAR), TRUE);
  m_pOwner = nullptr;
}

LRESULT CCalendarDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    OnDestroy();
    return 0;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
