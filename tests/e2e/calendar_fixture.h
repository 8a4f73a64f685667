// The calendar window's grid seen from outside: the model of its cells for
// the size it has on screen, and a click in a cell as the mouse makes it.
#pragma once

#include <windows.h>

#include "harness/e2e.h"
#include "journal/window/calendar_grid.h"

namespace {

using e2e::ClientRect;
using e2e::kSendTimeoutMs;

// The grid model with the size of the window on screen; its days are
// placed for the month shown.
inline vorta::CalendarGrid ModelOf(HWND grid, int year, int month, int day) {
  vorta::CalendarGrid model;
  const RECT client = ClientRect(grid);
  model.SetClientSize(client.right, client.bottom);
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(year);
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(day);
  FILETIME file;
  SystemTimeToFileTime(&date, &file);
  FileTimeToSystemTime(&file, &date);  // fills in the weekday
  model.SetShownDate({date.wYear, date.wMonth, date.wDay, date.wDayOfWeek});
  model.RecomputeMonth({}, nullptr, 0);
  return model;
}
inline int CellOfDay(const vorta::CalendarGrid& model, int day) {
  for (int cell = vorta::kFirstDayCell; cell < vorta::kCalendarCells; ++cell)
    if (model.DayOfCell(cell) == day) return cell;
  return -1;
}
// A click in the middle of a cell, as the mouse gives it.
inline bool ClickCell(HWND grid, const vorta::CalendarGrid& model, int cell) {
  const vorta::CellRect frame = model.FrameRect(cell);
  const LPARAM at = MAKELPARAM((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(grid, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) &&
         SendMessageTimeoutA(grid, WM_LBUTTONUP, 0, at, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
}

// The grid of a calendar window (its frame 1033 holds it).
inline HWND GridOf(HWND calendar) { return FindWindowExA(GetDlgItem(calendar, 1033), nullptr, nullptr, "CALENDAR"); }

}  // namespace
