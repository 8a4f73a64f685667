// The main dialog's month buffer and every way the shown date changes: the
// entry on screen goes into the buffer before the date moves, the month file
// is written when the month is left, and the new day is shown.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/byte_type.h"
#include "journal/data/calendar.h"
#include "journal/data/month_file_win.h"
#include "journal/res/resource.h"
#include "journal/window/journal_dlg.h"

namespace {

constexpr char kVer147Message[] = "Ver1.47以前のﾌｧｲﾙの形式です。";
constexpr char kUnknownFormatMessage[] = "Ver1.0以前のﾌｧｲﾙの形式 または ミルネのﾌｧｲﾙの形式ではありません。";
constexpr char kUnreadableMessage[] = "データの読込みに失敗しました。";
constexpr char kCloseWithoutSavingQuestion[] = "保存せずに終了しますか?";

// The stored text of an entry: at most 5119 bytes, never ending in half a character.
std::string_view StorableText(std::string_view text) {
  if (text.size() > vorta::kEntryCapacity - 1) text = text.substr(0, vorta::kEntryCapacity - 1);
  if (!text.empty() && vorta::ByteTypeAt(text, text.size() - 1) == vorta::kLeadByte) text.remove_suffix(1);
  return text;
}

}  // namespace

int CJournalDlg::LoadMonth(WORD year, WORD month) {
  switch (vorta::LoadMonthFile(vorta::MonthFilePath(m_szProgramFolder, year, month), &m_month)) {
    case vorta::MonthFileFormat::kVer147:
      AfxMessageBox(kVer147Message, MB_OK);
      EndDialog(IDCANCEL);
      return 0;
    case vorta::MonthFileFormat::kUnknown:
      AfxMessageBox(kUnknownFormatMessage, MB_OK);
      EndDialog(IDCANCEL);
      return 0;
    case vorta::MonthFileFormat::kUnreadable:
      // The month exists but cannot be read (another program holds it, a disk
      // error): end as for a foreign format, so it is never overwritten.
      AfxMessageBox(kUnreadableMessage, MB_ICONERROR);
      EndDialog(IDCANCEL);
      return 0;
    default:
      return 1;
  }
}

bool CJournalDlg::SaveMonth(WORD year, WORD month) {
  if (vorta::SaveMonthFile(vorta::MonthFilePath(m_szProgramFolder, year, month), m_month) ==
      vorta::SaveResult::kFailed) {
    AfxMessageBox(IDS_WRITE_FAILED, MB_ICONERROR);
    return false;
  }
  m_bCloseSaveFailed = false;
  return true;
}

void CJournalDlg::PutDayRecord(const char* text, int length, BYTE weather, BYTE mood, int flag) {
  m_month.PutDayRecord(m_current.wDay, std::string_view(text, static_cast<size_t>(length - 1)), weather, mood, flag);
}

int CJournalDlg::GetDayRecord(WORD day, vorta::DayRecord* record) { return m_month.GetDayRecord(day, record); }

void CJournalDlg::TakeEntry() {
  char text[vorta::kEntryCapacity];
  const int n = ::GetDlgItemTextA(m_hWnd, IDC_EDITOR, text, sizeof text);
  const std::string_view stored = StorableText(std::string_view(text, static_cast<size_t>(n > 0 ? n : 0)));
  const int weather = m_wndWeather.GetCurSel();
  const int mood = m_wndMood.GetCurSel();
  PutDayRecord(stored.data(), static_cast<int>(stored.size()) + 1,
               weather == CB_ERR ? m_nShownWeather : static_cast<BYTE>(weather),
               mood == CB_ERR ? m_nShownMood : static_cast<BYTE>(mood), m_chkAnniversary.GetCheck() == BST_CHECKED);
}

void CJournalDlg::ShowDate(const SYSTEMTIME& date) {
  m_grpTitle.SetWindowText(vorta::FormatTitleLine(date.wYear, date.wMonth, date.wDay, date.wDayOfWeek).c_str());
}

void CJournalDlg::ShowEntry(WORD day) {
  vorta::DayRecord record;
  if (GetDayRecord(day, &record) <= 0) record = vorta::DayRecord{};
  m_edtEntry.SetWindowText(record.text.c_str());
  // An index this version does not list leaves the picker without a
  // selection (some systems keep the old one on a failed CB_SETCURSEL).
  if (m_wndWeather.SetCurSel(record.weather) == CB_ERR) m_wndWeather.SetCurSel(-1);
  if (m_wndMood.SetCurSel(record.mood) == CB_ERR) m_wndMood.SetCurSel(-1);
  m_chkAnniversary.SetCheck(record.flag);
  m_nShownWeather = record.weather;
  m_nShownMood = record.mood;
}

void CJournalDlg::UpdateCalendar() {
  // Nothing to update while there is no calendar window.
}

void CJournalDlg::FocusEditor() { m_edtEntry.SetFocus(); }

void CJournalDlg::KeepEntryWithinLimit() {
  // The editor counts characters; a day keeps at most 5119 bytes. What would
  // not be stored is taken off the end of what was just typed or pasted (the
  // text before the caret), as the editor's own limit would, never dropped
  // silently when the day is saved.
  if (m_bLimitingEntry || !m_edtEntry.m_hWnd) return;
  CString text = m_edtEntry.GetWindowText();
  if (text.size() <= vorta::kEntryCapacity - 1) return;
  const size_t excess = text.size() - (vorta::kEntryCapacity - 1);
  const auto types = vorta::ClassifyByteTypes(text);

  // The caret is a character index; find its byte offset.
  DWORD selectionEnd = 0;
  m_edtEntry.SendMessage(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selectionEnd));
  size_t caret = 0;
  for (DWORD chars = 0; caret < text.size() && chars < selectionEnd; ++chars)
    caret += types[caret] == vorta::kLeadByte && caret + 1 < text.size() ? 2 : 1;
  size_t begin = caret;
  while (caret - begin < excess && begin > 0) {
    --begin;
    if (begin > 0 && types[begin] == vorta::kTrailByte) --begin;
  }
  if (caret - begin >= excess) {
    text.erase(begin, caret - begin);
  } else {
    text = CString(StorableText(text));
    begin = text.size();
  }
  size_t caretChars = 0;
  for (size_t i = 0; i < begin; i += types[i] == vorta::kLeadByte ? 2 : 1) ++caretChars;

  m_bLimitingEntry = true;
  m_edtEntry.SetWindowText(text.c_str());
  m_edtEntry.SendMessage(EM_SETSEL, caretChars, caretChars);
  m_edtEntry.SendMessage(EM_SCROLLCARET);
  m_bLimitingEntry = false;
  ::MessageBeep(MB_ICONEXCLAMATION);
}

void CJournalDlg::StepDay(void (*step)(WORD*, WORD*, WORD*), int weekdayStep) {
  TakeEntry();
  const SYSTEMTIME before = m_current;
  step(&m_current.wYear, &m_current.wMonth, &m_current.wDay);
  if (m_current.wMonth != before.wMonth) {
    if (!SaveMonth(before.wYear, before.wMonth)) {
      // Nothing typed is lost: stay on the day, its entry in the buffer.
      m_current = before;
      FocusEditor();
      return;
    }
    if (!LoadMonth(m_current.wYear, m_current.wMonth)) return;
  }
  // At the first and last dates the day does not move, nor does the weekday.
  if (m_current.wDay != before.wDay) m_current.wDayOfWeek = static_cast<WORD>((m_current.wDayOfWeek + 7 + weekdayStep) % 7);
  ShowDate(m_current);
  ShowEntry(m_current.wDay);
  UpdateCalendar();
  FocusEditor();
}

void CJournalDlg::OnNextDay() { StepDay(vorta::NextDay, 1); }

void CJournalDlg::OnPrevDay() { StepDay(vorta::PrevDay, -1); }

void CJournalDlg::StepMonthOrYear(void (*step)(WORD*, WORD*, WORD*, WORD*)) {
  TakeEntry();
  if (!SaveMonth(m_current.wYear, m_current.wMonth)) {
    FocusEditor();
    return;
  }
  step(&m_current.wYear, &m_current.wMonth, &m_current.wDay, &m_current.wDayOfWeek);
  if (!LoadMonth(m_current.wYear, m_current.wMonth)) return;
  ShowDate(m_current);
  ShowEntry(m_current.wDay);
  FocusEditor();
  UpdateCalendar();
}

void CJournalDlg::OnToday() {
  TakeEntry();
  if (m_today.wMonth != m_current.wMonth || m_today.wYear != m_current.wYear) {
    if (!SaveMonth(m_current.wYear, m_current.wMonth)) {
      FocusEditor();
      return;
    }
    if (!LoadMonth(m_today.wYear, m_today.wMonth)) return;
  }
  ShowDate(m_today);
  ShowEntry(m_today.wDay);
  m_current = m_today;
  UpdateCalendar();
  FocusEditor();
}

void CJournalDlg::OnAnniversary() {
  TakeEntry();
  ShowEntry(m_current.wDay);
  FocusEditor();
  UpdateCalendar();
}

void CJournalDlg::SelectDay(WORD day) {
  if (day == m_current.wDay || day < 1 || day > vorta::DaysInMonth(m_current.wYear, m_current.wMonth)) return;
  TakeEntry();
  m_current.wDayOfWeek = static_cast<WORD>(((m_current.wDayOfWeek - (m_current.wDay - day)) % 7 + 7) % 7);
  m_current.wDay = day;
  ShowDate(m_current);
  ShowEntry(m_current.wDay);
  UpdateCalendar();
  FocusEditor();
}

void CJournalDlg::GoToDate(const char* yearMonth, WORD day) {
  TakeEntry();
  if (!SaveMonth(m_current.wYear, m_current.wMonth)) {
    FocusEditor();
    return;
  }
  char field[5] = {};
  std::strncpy(field, yearMonth, 4);
  int year = std::atoi(field);
  std::memset(field, 0, sizeof field);
  if (std::strlen(yearMonth) > 4) std::strncpy(field, yearMonth + 4, 2);
  int month = std::atoi(field);
  // Out-of-range targets would never be reached one step at a time.
  year = std::clamp(year, static_cast<int>(vorta::kFirstYear), static_cast<int>(vorta::kLastYear));
  month = std::clamp(month, 1, 12);

  while (m_current.wYear < year) vorta::NextYear(&m_current.wYear, &m_current.wMonth, &m_current.wDay, &m_current.wDayOfWeek);
  while (m_current.wYear > year) vorta::PrevYear(&m_current.wYear, &m_current.wMonth, &m_current.wDay, &m_current.wDayOfWeek);
  while (m_current.wMonth < month) vorta::NextMonth(&m_current.wYear, &m_current.wMonth, &m_current.wDay, &m_current.wDayOfWeek);
  while (m_current.wMonth > month) vorta::PrevMonth(&m_current.wYear, &m_current.wMonth, &m_current.wDay, &m_current.wDayOfWeek);

  const WORD target = static_cast<WORD>(std::clamp<int>(day, 1, vorta::DaysInMonth(m_current.wYear, m_current.wMonth)));
  m_current.wDayOfWeek = static_cast<WORD>(((m_current.wDayOfWeek - (m_current.wDay - target)) % 7 + 7) % 7);
  while (m_current.wDay < target) vorta::NextDay(&m_current.wYear, &m_current.wMonth, &m_current.wDay);
  while (m_current.wDay > target) vorta::PrevDay(&m_current.wYear, &m_current.wMonth, &m_current.wDay);

  if (!LoadMonth(m_current.wYear, m_current.wMonth)) return;
  ShowDate(m_current);
  ShowEntry(m_current.wDay);
  FocusEditor();
  UpdateCalendar();
}

int CJournalDlg::SaveAndReload() {
  TakeEntry();
  // When the month cannot be written, the buffer keeps the entry; reading the
  // old file back would lose it.
  if (!SaveMonth(m_current.wYear, m_current.wMonth)) return 1;
  return LoadMonth(m_current.wYear, m_current.wMonth);
}

bool CJournalDlg::SaveForClose() {
  TakeEntry();
  if (SaveMonth(m_current.wYear, m_current.wMonth)) return true;
  // The window stays open so that the entry can be copied or the disk freed;
  // only a second failing close may end it without saving, when asked to.
  if (!m_bCloseSaveFailed) {
    m_bCloseSaveFailed = true;
    return false;
  }
  return AfxMessageBox(kCloseWithoutSavingQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CJournalDlg::OnOK() {
  if (!SaveForClose()) {
    FocusEditor();
    return;
  }
  m_bCalendarShown = 0;  // no calendar window is open
  CDialog::OnOK();
}

void CJournalDlg::OnCancel() { CDialog::OnCancel(); }

void CJournalDlg::OnClose() {
  if (m_bCloseBySysCommand) {
    if (!SaveForClose()) {
      FocusEditor();
      return;
    }
    m_bCalendarShown = 0;
  }
  Default();
}

void CJournalDlg::OnEndSession(bool ending) {
  // Windows is shutting down or logging off: what is on screen is kept.
  if (!ending) return;
  TakeEntry();
  SaveMonth(m_current.wYear, m_current.wMonth);
}
