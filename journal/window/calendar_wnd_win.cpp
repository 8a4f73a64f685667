#include "journal/window/calendar_wnd.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>

#include "journal/data/calendar.h"
#include "journal/window/journal_dlg.h"

namespace {

constexpr COLORREF kHeaderGrey = RGB(192, 192, 192);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

COLORREF TextColour(vorta::DayColour colour) {
  switch (colour) {
    case vorta::DayColour::kRed: return kRed;
    case vorta::DayColour::kBlue: return kBlue;
    default: return kBlack;
  }
}

RECT ToRect(const vorta::CellRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void FillSolid(HDC dc, const vorta::CellRect& area, COLORREF colour) {
  const RECT rect = ToRect(area);
  ScopedGdiObj<HBRUSH> brush(::CreateSolidBrush(colour));
  if (brush) ::FillRect(dc, &rect, brush.get());
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
  ScopedGdiObj<HBRUSH> brush(::CreateSolidBrush(colour));
  if (brush) ::FrameRect(dc, &rect, brush.get());
}

}  // namespace

BOOL CCalendarWnd::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  // One class for every grid window of the process (registered on first
  // use); the background brush is the window's own, installed when it is made.
  const char* className = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC);
  return CreateEx(exStyle, className, "CALENDAR", style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CCalendarWnd::SetShownDate(const SYSTEMTIME& date) {
  m_grid.SetShownDate({date.wYear, date.wMonth, date.wDay, date.wDayOfWeek});
}

void CCalendarWnd::RecomputeMonth() {
  const SYSTEMTIME& today = m_pJournal->Today();
  m_pJournal->CollectAnniversaryDays();
  const auto& anniversaries = m_pJournal->Month().anniversary_days();
  m_grid.RecomputeMonth({today.wYear, today.wMonth, today.wDay, today.wDayOfWeek}, anniversaries.data(),
                        static_cast<int>(anniversaries.size()));
}

void CCalendarWnd::OnCreate() {
  RECT client{};
  GetClientRect(&client);
  m_grid.SetClientSize(client.right, client.bottom);
  // The font of the "閉じる" button that follows the frame: the dialog's font.
  HWND next = ::GetWindow(GetParent(), GW_HWNDNEXT);
  m_hFont = next ? reinterpret_cast<HFONT>(::SendMessageA(next, WM_GETFONT, 0, 0)) : nullptr;
  m_rcSelection = {};
  RecomputeMonth();
  m_brBackground.Reset(::CreateSolidBrush(m_crBackground));
  ::SetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(m_brBackground.get()));
}

void CCalendarWnd::OnDestroy() {
  Default();
  // The class keeps no brush of a window that is gone.
  ::SetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND, 0);
  m_brBackground.Reset();
}

void CCalendarWnd::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  RECT client{};
  GetClientRect(&client);
  // Drawn off screen and copied in one go: the cells never show half drawn.
  ScopedMemoryDC memory(dc);
  ScopedGdiObj<HBITMAP> bitmap(memory.get() ? ::CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr);
  if (bitmap) {
    ScopedSelect selectBitmap(memory.get(), bitmap.get());
    ::FillRect(memory.get(), &client, m_brBackground.get());
    Draw(memory.get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  } else {
    Draw(dc);
  }
  // The hover frame is drawn by inversion: put it back over the new picture
  // so that removing it later takes it off rather than drawing it.
  if (m_bHoverShown) ::DrawFocusRect(dc, &m_rcHover);
  ::EndPaint(m_hWnd, &paint);
}

void CCalendarWnd::Draw(HDC dc) {
  ScopedSelect selectFont(dc, m_hFont);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextAlign(dc, TA_LEFT | TA_TOP);

  FillSolid(dc, m_grid.HeaderBand(), kHeaderGrey);
  for (int column = 0; column < vorta::kCalendarColumns; ++column) {
    const vorta::CellPoint origin = m_grid.TextOrigin(column);
    const char* name = vorta::WeekdayName(column);
    ::SetTextColor(dc, TextColour(vorta::CalendarGrid::ColourOfHeader(column)));
    ::TextOutA(dc, origin.x, origin.y, name, static_cast<int>(std::strlen(name)));
  }

  for (const vorta::CellLook& look : m_grid.PaintWalk(m_pJournal->Month().days_with_text())) {
    const vorta::CellRect ground = m_grid.GroundRect(look.cell);
    if (look.day == 0) {
      FillSolid(dc, ground, m_crBackground);
      continue;
    }
    FillSolid(dc, ground, look.ground == vorta::DayGround::kYellow  ? kYellow
                          : look.ground == vorta::DayGround::kGreen ? kGreen
                                                                    : m_crBackground);
    char number[8];
    const int length = std::snprintf(number, sizeof number, "%d", look.day);
    vorta::CellPoint origin = m_grid.TextOrigin(look.cell);
    if (length == 1) {
      SIZE extent{};
      ::GetTextExtentPoint32A(dc, number, length, &extent);
      origin.x += extent.cx / 2;
    }
    ::SetTextColor(dc, TextColour(look.colour));
    ::TextOutA(dc, origin.x, origin.y, number, length);
    if (look.doubleStruck) ::TextOutA(dc, origin.x + 1, origin.y, number, length);
  }
  FrameCurrentDay(dc);
}

void CCalendarWnd::FrameCurrentDay(HDC dc) {
  FrameSolid(dc, m_rcSelection, m_crBackground);
  if (m_grid.current_cell() < vorta::kFirstDayCell) return;
  m_rcSelection = ToRect(m_grid.FrameRect(m_grid.current_cell()));
  FrameSolid(dc, m_rcSelection, kRed);
}

void CCalendarWnd::RemoveHoverFrame(HDC dc) {
  if (!m_bHoverShown) return;
  ::DrawFocusRect(dc, &m_rcHover);
  m_bHoverShown = false;
}

void CCalendarWnd::OnMouseMove(int x, int y) {
  ScopedWindowDC dc(m_hWnd);
  const int cell = m_grid.CellAt(x, y);
  if (cell < vorta::kFirstDayCell || m_grid.DayOfCell(cell) == 0 || !m_grid.InHotArea(cell, x, y)) {
    RemoveHoverFrame(dc.get());
    return;
  }
  const RECT frame = ToRect(m_grid.FrameRect(cell));
  if (::EqualRect(&frame, &m_rcSelection)) {
    // The current day has its red frame; the dotted one may have crossed it.
    RemoveHoverFrame(dc.get());
    FrameSolid(dc.get(), m_rcSelection, kRed);
    return;
  }
  if (m_bHoverShown && ::EqualRect(&frame, &m_rcHover)) return;
  RemoveHoverFrame(dc.get());
  m_rcHover = frame;
  ::DrawFocusRect(dc.get(), &m_rcHover);
  m_bHoverShown = true;
}

void CCalendarWnd::OnLButtonUp(int x, int y) {
  const int cell = m_grid.CellAt(x, y);
  if (cell < vorta::kFirstDayCell || m_grid.DayOfCell(cell) == 0) return;
  {
    ScopedWindowDC dc(m_hWnd);
    RemoveHoverFrame(dc.get());
  }
  // The journal repaints this window when the day changes. The red frame
  // then marks the day the journal shows, which stays the old one when the
  // entry on screen could not be taken.
  HWND self = m_hWnd;
  m_pJournal->SelectDay(static_cast<WORD>(m_grid.DayOfCell(cell)));
  if (CWnd::FromHandle(self) != this) return;
  ScopedWindowDC dc(m_hWnd);
  FrameCurrentDay(dc.get());
}

LRESULT CCalendarWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const LRESULT result = Default();
      if (result != -1) OnCreate();
      return result;
    }
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return Default();
    case WM_LBUTTONUP: {
      HWND self = m_hWnd;
      OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      // The window may be gone if the journal closed meanwhile.
      if (CWnd::FromHandle(self) != this) return 0;
      return Default();
    }
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
