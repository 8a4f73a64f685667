// The main dialog's month buffer and every way the shown date changes: the
// entry on screen goes into the buffer before the date moves, the month file
// is written when the month is left, and the new day is shown.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/byte_type.h"
#include "journal/data/calendar.h"
#include "journal/data/entry_limit.h"
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
  return true;
}

bool CJournalDlg::PutDayRecord(const char* text, int length, BYTE weather, BYTE mood, int flag) {
  return m_month.PutDayRecord(m_current.wDay, std::string_view(text, static_cast<size_t>(length - 1)), weather, mood,
                              flag);
}

int CJournalDlg::GetDayRecord(WORD day, vorta::DayRecord* record) { return m_month.GetDayRecord(day, record); }

bool CJournalDlg::StoreEntry() {
  char text[vorta::kEntryCapacity];
  const int n = ::GetDlgItemTextA(m_hWnd, IDC_EDITOR, text, sizeof text);
  const std::string_view stored = StorableText(std::string_view(text, static_cast<size_t>(n > 0 ? n : 0)));
  const int weather = m_wndWeather.GetCurSel();
  const int mood = m_wndMood.GetCurSel();
  return PutDayRecord(stored.data(), static_cast<int>(stored.size()) + 1,
                      weather == CB_ERR ? m_nShownWeather : static_cast<BYTE>(weather),
                      mood == CB_ERR ? m_nShownMood : static_cast<BYTE>(mood),
                      m_chkAnniversary.GetCheck() == BST_CHECKED);
}

bool CJournalDlg::TakeEntry() {
  if (StoreEntry()) return true;
  // A damaged month that already counts 255 records takes no new day: the
  // entry stays on screen, as when its month cannot be written.
  AfxMessageBox(IDS_WRITE_FAILED, MB_ICONERROR);
  return false;
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
  if (m_dlgCalendar.IsWindow()) m_dlgCalendar.Update();
}

void CJournalDlg::FocusEditor() { m_edtEntry.SetFocus(); }

void CJournalDlg::KeepEntryWithinLimit() {
  // A day keeps at most 5119 bytes. What would not be stored is taken off the
  // end of what was just typed or pasted (the text before the caret), as the
  // editor's own limit would, never dropped silently when the day is saved.
  if (m_bLimitingEntry || !m_edtEntry.m_hWnd) return;
  const CString text = m_edtEntry.GetWindowText();
  if (text.size() <= vorta::kEntryCapacity - 1) return;

  // Positions in the editor are bytes on some systems and characters on
  // others: the position of the end tells which.
  DWORD caret = 0;
  m_edtEntry.SendMessage(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  DWORD end = 0;
  m_edtEntry.SendMessage(EM_SETSEL, 0, -1);
  m_edtEntry.SendMessage(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
  const bool countsBytes = end == text.size();

  const vorta::FittedEntry fitted = vorta::FitEntry(
      text, countsBytes ? caret : vorta::ByteOffsetOfCharacter(text, caret), vorta::kEntryCapacity - 1);
  const size_t newCaret = countsBytes ? fitted.caret : vorta::CharacterIndexOfByte(fitted.text, fitted.caret);

  m_bLimitingEntry = true;
  m_edtEntry.SetWindowText(fitted.text.c_str());
  m_edtEntry.SendMessage(EM_SETSEL, newCaret, newCaret);
  m_edtEntry.SendMessage(EM_SCROLLCARET);
  m_bLimitingEntry = false;
  ::MessageBeep(MB_ICONEXCLAMATION);
}

bool CJournalDlg::MoveTo(const SYSTEMTIME& target, bool rereadMonth) {
  // The shown date changes only once the month has been written and the new
  // one read: while a message about either is up, the dialog still stands
  // on the day whose entry the buffer holds.
  if (!TakeEntry()) {
    FocusEditor();
    return false;
  }
  if (rereadMonth || target.wYear != m_current.wYear || target.wMonth != m_current.wMonth) {
    if (!SaveMonth(m_current.wYear, m_current.wMonth)) {
      // Nothing typed is lost: stay on the day, its entry in the buffer.
      FocusEditor();
      return false;
    }
    // The entry is on disk: a later failing close starts again with the message.
    m_bCloseSaveFailed = false;
    if (!LoadMonth(target.wYear, target.wMonth)) return false;
  }
  m_current = target;
  ShowDate(m_current);
  ShowEntry(m_current.wDay);
  // The moves that read the month again give the editor its focus before the
  // calendar window repaints; the others repaint it first.
  if (rereadMonth) {
    FocusEditor();
    UpdateCalendar();
  } else {
    UpdateCalendar();
    FocusEditor();
  }
  return true;
}

void CJournalDlg::StepDay(void (*step)(WORD*, WORD*, WORD*), int weekdayStep) {
  SYSTEMTIME target = m_current;
  step(&target.wYear, &target.wMonth, &target.wDay);
  // At the first and last dates the day does not move, nor does the weekday.
  if (target.wDay != m_current.wDay) target.wDayOfWeek = static_cast<WORD>((target.wDayOfWeek + 7 + weekdayStep) % 7);
  MoveTo(target, false);
}

void CJournalDlg::OnNextDay() { StepDay(vorta::NextDay, 1); }

void CJournalDlg::OnPrevDay() { StepDay(vorta::PrevDay, -1); }

void CJournalDlg::StepMonthOrYear(void (*step)(WORD*, WORD*, WORD*, WORD*)) {
  SYSTEMTIME target = m_current;
  step(&target.wYear, &target.wMonth, &target.wDay, &target.wDayOfWeek);
  MoveTo(target, true);
}

void CJournalDlg::OnToday() { MoveTo(m_today, false); }

void CJournalDlg::OnAnniversary() {
  // The entry is stored with the new flag and shown as stored. A mark the
  // month cannot take is taken back off the box.
  if (TakeEntry()) {
    ShowEntry(m_current.wDay);
  } else {
    m_chkAnniversary.SetCheck(m_chkAnniversary.GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  }
  FocusEditor();
  UpdateCalendar();
}

void CJournalDlg::SelectDay(WORD day) {
  if (day == m_current.wDay || day < 1 || day > vorta::DaysInMonth(m_current.wYear, m_current.wMonth)) return;
  SYSTEMTIME target = m_current;
  target.wDayOfWeek = static_cast<WORD>(((target.wDayOfWeek - (target.wDay - day)) % 7 + 7) % 7);
  target.wDay = day;
  MoveTo(target, false);
}

void CJournalDlg::GoToDate(const char* yearMonth, WORD day) {
  char field[5] = {};
  std::strncpy(field, yearMonth, 4);
  int year = std::atoi(field);
  std::memset(field, 0, sizeof field);
  if (std::strlen(yearMonth) > 4) std::strncpy(field, yearMonth + 4, 2);
  int month = std::atoi(field);
  // Out-of-range targets would never be reached one step at a time.
  year = std::clamp(year, static_cast<int>(vorta::kFirstYear), static_cast<int>(vorta::kLastYear));
  month = std::clamp(month, 1, 12);

  SYSTEMTIME target = m_current;
  WORD* const y = &target.wYear;
  WORD* const m = &target.wMonth;
  WORD* const d = &target.wDay;
  while (target.wYear < year) vorta::NextYear(y, m, d, &target.wDayOfWeek);
  while (target.wYear > year) vorta::PrevYear(y, m, d, &target.wDayOfWeek);
  while (target.wMonth < month) vorta::NextMonth(y, m, d, &target.wDayOfWeek);
  while (target.wMonth > month) vorta::PrevMonth(y, m, d, &target.wDayOfWeek);

  const WORD wanted = static_cast<WORD>(std::clamp<int>(day, 1, vorta::DaysInMonth(target.wYear, target.wMonth)));
  target.wDayOfWeek = static_cast<WORD>(((target.wDayOfWeek - (target.wDay - wanted)) % 7 + 7) % 7);
  target.wDay = wanted;
  // The month is written and read again even when it does not change.
  MoveTo(target, true);
}

int CJournalDlg::SaveAndReload() {
  // The month is written even when the day shown cannot be taken, so that
  // the search reads the other days as they are. When it cannot be written,
  // or the day shown is not in it, the buffer is not read back: that would
  // lose what it alone holds.
  if (!SaveTakingWhatItCan()) return 1;
  m_bCloseSaveFailed = false;
  return LoadMonth(m_current.wYear, m_current.wMonth);
}

bool CJournalDlg::SaveTakingWhatItCan() {
  // The month is written even when the day shown cannot be taken, so that
  // the other days' entries reach the file; one message tells of either failure.
  const bool taken = StoreEntry();
  if (!SaveMonth(m_current.wYear, m_current.wMonth)) return false;
  if (!taken) AfxMessageBox(IDS_WRITE_FAILED, MB_ICONERROR);
  return taken;
}

bool CJournalDlg::SaveForClose() {
  // The other days' entries are kept whatever the user answers next.
  if (SaveTakingWhatItCan()) return true;
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
  m_bCalendarShown = IsCalendarOpen() ? 1 : 0;
  CDialog::OnOK();
}

void CJournalDlg::OnClose() {
  if (m_bCloseBySysCommand) {
    if (!SaveForClose()) {
      FocusEditor();
      return;
    }
    m_bCalendarShown = IsCalendarOpen() ? 1 : 0;
  }
  Default();
}

void CJournalDlg::OnEndSession(bool ending) {
  // Windows is shutting down or logging off: what is on screen is kept.
  if (!ending) return;
  // No message comes before the write: the session may end at any moment.
  // A month that takes no more days still has its other entries written.
  StoreEntry();
  SaveMonth(m_current.wYear, m_current.wMonth);
}
