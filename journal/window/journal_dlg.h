// CJournalDlg: the journal's main window. It shows one day's entry and owns
// the month buffer of the month being shown.
#pragma once

#include "framework/framework.h"

#include <imm.h>
#include "journal/data/month_buffer.h"
#include "journal/window/calendar_dlg.h"
#include "journal/window/pickers.h"
#include "journal/window/search_dlg.h"

class CJournalDlg : public CDialog {
 public:
  CJournalDlg();
  ~CJournalDlg() override;

  // Window settings: filled from the profile before the dialog runs and
  // written back after it closes.
  int m_nWindowX = 0;
  int m_nWindowY = 0;
  int m_nWindowCX = 0;
  int m_nWindowCY = 0;
  int m_nCalendarX = 0;
  int m_nCalendarY = 0;
  int m_nSearchX = 0;
  int m_nSearchY = 0;
  int m_bCalendarShown = 0;
  int m_nFontSizeItem = 0;

  // Operations for the calendar and search windows.
  // Shows `day` of the month being shown.
  void SelectDay(WORD day);
  // Writes the month (with the entry on screen) and reads it back; 0 when the
  // dialog is ending.
  int SaveAndReload();
  // Shows the day `day` of the month named by "YYYYMM..." in `yearMonth`.
  void GoToDate(const char* yearMonth, WORD day);

  // The dates, as the calendar reads them.
  const SYSTEMTIME& CurrentDate() const { return m_current; }
  const SYSTEMTIME& Today() const { return m_today; }
  const vorta::MonthBuffer& Month() const { return m_month; }
  // Rebuilds the month's list of anniversary days for the calendar.
  void CollectAnniversaryDays() { m_month.CollectAnniversaryDays(); }

  // The calendar window, open while its window exists.
  CCalendarDlg& Calendar() { return m_dlgCalendar; }
  bool IsCalendarOpen() const { return m_dlgCalendar.IsWindow(); }
  // Puts one of the journal's own windows (calendar, search) at its stored
  // position (x, y), pulled back to the journal's corner, and stored so, when
  // it lies beyond the screen; the window keeps its size.
  void PlaceOwnedWindow(CWnd& window, int* x, int* y);
  // When one of those windows has closed: the diarist goes on in the editor
  // if the journal took the activation back.
  void ReturnFromOwnedWindow();

  // The search window, open while its window exists.
  CSearchDlg& Search() { return m_dlgSearch; }
  bool IsSearchOpen() const { return m_dlgSearch.IsWindow(); }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Message handlers.
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  void OnDestroy();
  void OnClose();
  void OnSize(int cx, int cy);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  LRESULT OnInstanceQuery(WPARAM wParam, LPARAM lParam);
  void OnHelp();
  // Writes the whole diary to a file the user names, as text or JSON Lines.
  void OnExport();
  void OnListViewer();
  // Opens the calendar window unless it is open.
  void OnCalendar();
  void OnSearch();
  // Windows is ending the session: the entry on screen is saved.
  void OnEndSession(bool ending);
  // Keeps the editor's text within what a day record can store.
  void KeepEntryWithinLimit();

  // Set-up steps of OnInitDialog.
  void BuildSystemMenu();
  void PlaceWindow();
  void MeasureLayout();
  void CreateToolTips();
  // false when the font could not be made: the editor keeps its font.
  bool SetEditorFont(int points);
  // Keeps the window's rectangle in the window settings.
  void RecordWindowRect();

  // Month buffer and file.
  // 1 when the month is in the buffer; 0 when its file has a wrong format (the
  // dialog is then ending).
  int LoadMonth(WORD year, WORD month);
  // Writes the buffer to the month's file; false (after the message) when it
  // could not be written, the buffer kept as it was.
  bool SaveMonth(WORD year, WORD month);
  // false (buffer unchanged) when the month takes no further day.
  bool PutDayRecord(const char* text, int length, BYTE weather, BYTE mood, int flag);
  int GetDayRecord(WORD day, vorta::DayRecord* record);

  // The steps that date changes are made of.
  // Puts the entry on screen into the buffer; false (after the message) when
  // the month could not take it.
  bool TakeEntry();
  // The same without the message.
  bool StoreEntry();
  void ShowDate(const SYSTEMTIME& date);
  void ShowEntry(WORD day);
  void UpdateCalendar();
  void FocusEditor();

  // Shows `target`, writing the month left and reading the new one when the
  // month changes (always when `rereadMonth`); false when the move was
  // abandoned or the dialog is ending.
  bool MoveTo(const SYSTEMTIME& target, bool rereadMonth);

  // Date commands.
  void OnNextDay();
  void OnPrevDay();
  // Next/previous day: `step` moves the date, the weekday follows by `weekdayStep`.
  void StepDay(void (*step)(WORD*, WORD*, WORD*), int weekdayStep);
  // Next/previous month or year: `step` is one of the calendar steps.
  void StepMonthOrYear(void (*step)(WORD*, WORD*, WORD*, WORD*));
  void OnToday();
  void OnAnniversary();
  // Takes the entry and writes the month, which is written even when the day
  // shown cannot be taken; false, after one message, when either failed.
  bool SaveTakingWhatItCan();
  // Saving when the window closes; false keeps the window open.
  bool SaveForClose();

  // Modeless, created on demand; they destroy their windows when closed.
  CCalendarDlg m_dlgCalendar;
  CSearchDlg m_dlgSearch;
  CFont m_fontEditor;
  CMenu m_menuFontSize;
  // Controls.
  CWeatherCombo m_wndWeather;
  CMoodCombo m_wndMood;
  CStatic m_stcDayLabel, m_stcMonthLabel, m_stcYearLabel;
  CButton m_btnNextDay, m_btnPrevDay, m_btnNextMonth, m_btnPrevMonth, m_btnNextYear, m_btnPrevYear, m_btnToday;
  CButton m_grpNavigation, m_btnHelp, m_btnListViewer, m_btnClose;
  CScrollBar m_wndSizeGrip;
  CButton m_btnSearch, m_chkAnniversary, m_btnCalendar;
  CEdit m_edtEntry;
  CButton m_grpTitle;
  CToolTipCtrl m_wndToolTip;
  HICON m_hIcon = nullptr;
  HICON m_hSmallIcon = nullptr;

  // The day shown and today, as read when the dialog opened.
  SYSTEMTIME m_current{};
  SYSTEMTIME m_today{};
  vorta::MonthBuffer m_month;
  char m_szProgramFolder[MAX_PATH] = {};

  int m_bCloseBySysCommand = 0;
  int m_bKeepPosition = 0;
  // A save failed while closing: the next failing close asks before it
  // closes without saving.
  bool m_bCloseSaveFailed = false;
  bool m_bLimitingEntry = false;
  // Weather and mood of the entry shown, kept when a picker has no selection
  // (an index this version does not list).
  BYTE m_nShownWeather = 0;
  BYTE m_nShownMood = 0;
  HIMC m_hImc = nullptr;

  // Layout measured once, used when resizing.
  struct Layout {
    bool measured = false;
    int gripWidth = 0, gripHeight = 0;
    int rightMargin = 0, columnWidth = 0;
    int columnTops[6] = {};     // buttons 1, 57670, 57671, 1020, 1018 and the group box 1048
    int navigationTops[10] = {};  // the six steps, the three labels and Today
    int todayOffset = 0, labelOffset = 0, nextOffset = 0;
    POINT titleGroup{}, editor{};
  } m_layout;
  POINT m_minTrackSize{};
};
