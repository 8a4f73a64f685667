// CCalendarWnd: the month grid inside the calendar window. It draws what its
// grid model says, frames the day under the pointer and makes a clicked day
// the journal's current day.
#pragma once

#include "framework/framework.h"
#include "journal/window/calendar_grid.h"

class CJournalDlg;

class CCalendarWnd : public CWnd {
 public:
  explicit CCalendarWnd(CJournalDlg* journal) : m_pJournal(journal) {}

  // Creates the grid window; on failure the object has deleted itself.
  virtual BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Takes the journal's current date as the date shown.
  void SetShownDate(const SYSTEMTIME& date);
  // Places the shown month in the cells and takes today and the anniversaries
  // from the journal.
  void RecomputeMonth();

  const vorta::CalendarGrid& grid() const { return m_grid; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The window is gone: so is the object.
  void PostNcDestroy() override { delete this; }

 private:
  void OnCreate();
  void OnDestroy();
  void OnPaint();
  void OnMouseMove(int x, int y);
  void OnLButtonUp(int x, int y);

  // Draws the whole grid into `dc`.
  void Draw(HDC dc);
  // Moves the red frame to the current day's cell.
  void FrameCurrentDay(HDC dc);
  void RemoveHoverFrame(HDC dc);

  CJournalDlg* m_pJournal;
  vorta::CalendarGrid m_grid;
  HFONT m_hFont = nullptr;  // the dialog's, not ours
  RECT m_rcSelection{};
  RECT m_rcHover{};
  bool m_bHoverShown = false;
  COLORREF m_crBackground = RGB(255, 255, 255);
  ScopedGdiObj<HBRUSH> m_brBackground;
};
