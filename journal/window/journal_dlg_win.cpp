// The main dialog: construction, initialisation, system menu, editor font,
// tooltips, window placement and layout, and clean-up.
#include "journal/window/journal_dlg.h"

#include <cstring>
#include <iterator>
#include <type_traits>

#include "common/byte_type.h"
#include "common/path.h"
#include "journal/app/journal_app.h"
#include "journal/data/calendar.h"
#include "journal/res/resource.h"
#include "journal/window/password_dlg.h"

namespace {

// System menu positions once Maximize is gone.
constexpr UINT kRestorePosition = 0;
// Posted to hand the activation on to the modal dialog in front of this window.
constexpr UINT kBringPopupForward = WM_APP + 1;
constexpr UINT kMinimizePosition = 3;
constexpr UINT kMaximizePosition = 4;

struct FontSize {
  UINT stringId;
  UINT command;
  int points;
};
constexpr FontSize kFontSizes[] = {
    {IDS_FONT_LARGEST, IDM_FONT_LARGEST, 16}, {IDS_FONT_LARGE, IDM_FONT_LARGE, 14},
    {IDS_FONT_MEDIUM, IDM_FONT_MEDIUM, 12},   {IDS_FONT_SMALL, IDM_FONT_SMALL, 10},
    {IDS_FONT_SMALLEST, IDM_FONT_SMALLEST, 8},
};

int PointsOfFontCommand(UINT command) {
  for (const auto& size : kFontSizes)
    if (size.command == command) return size.points;
  return 0;
}

struct ToolTip {
  int control;
  const char* text;
};
constexpr ToolTip kToolTips[] = {
    {IDC_PREV_DAY, "前の日へ （Alt + Left Arrow）"},
    {IDC_TODAY, "今日へ"},
    {IDC_NEXT_DAY, "次の日へ （Alt + Right Arrow）"},
    {IDOK, "保存終了"},
    {IDC_ANNIVERSARY, "チェックを付けるとカレンダーで緑色表示されます"},
    {IDC_PREV_YEAR, "前の年へ"},
    {IDC_NEXT_YEAR, "次の年へ"},
    {IDC_PREV_MONTH, "前の月へ"},
    {IDC_NEXT_MONTH, "次の月へ"},
    {IDC_CALENDAR, "カレンダーを表示する"},
};

// The right-hand column, moved as a whole when the window is resized.
constexpr int kColumnControls[] = {IDOK, ID_HELP, IDC_LIST_VIEWER, IDC_SEARCH, IDC_CALENDAR, IDC_NAV_GROUP};

enum class Column { kPrevious, kLabel, kNext };
struct NavigationControl {
  int id;
  Column column;
};
constexpr NavigationControl kNavigationControls[] = {
    {IDC_PREV_YEAR, Column::kPrevious},  {IDC_YEAR_LABEL, Column::kLabel},  {IDC_NEXT_YEAR, Column::kNext},
    {IDC_PREV_MONTH, Column::kPrevious}, {IDC_MONTH_LABEL, Column::kLabel}, {IDC_NEXT_MONTH, Column::kNext},
    {IDC_PREV_DAY, Column::kPrevious},   {IDC_DAY_LABEL, Column::kLabel},   {IDC_NEXT_DAY, Column::kNext},
    {IDC_TODAY, Column::kPrevious},
};

// A control's rectangle in the dialog's client coordinates.
RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

CJournalDlg::CJournalDlg() : CDialog(IDD_JOURNAL) {
  HINSTANCE instance = AfxGetInstanceHandle();
  m_hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  m_hSmallIcon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
}

CJournalDlg::~CJournalDlg() {
  if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);  // the window was never made
}

void CJournalDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_DAY_LABEL, m_stcDayLabel);
  DDX_Control(dx, IDC_MONTH_LABEL, m_stcMonthLabel);
  DDX_Control(dx, IDC_YEAR_LABEL, m_stcYearLabel);
  DDX_Control(dx, IDC_NEXT_DAY, m_btnNextDay);
  DDX_Control(dx, IDC_PREV_DAY, m_btnPrevDay);
  DDX_Control(dx, IDC_NEXT_MONTH, m_btnNextMonth);
  DDX_Control(dx, IDC_PREV_MONTH, m_btnPrevMonth);
  DDX_Control(dx, IDC_NEXT_YEAR, m_btnNextYear);
  DDX_Control(dx, IDC_PREV_YEAR, m_btnPrevYear);
  DDX_Control(dx, IDC_TODAY, m_btnToday);
  DDX_Control(dx, IDC_NAV_GROUP, m_grpNavigation);
  DDX_Control(dx, ID_HELP, m_btnHelp);
  DDX_Control(dx, IDC_LIST_VIEWER, m_btnListViewer);
  DDX_Control(dx, IDOK, m_btnClose);
  DDX_Control(dx, IDC_SIZE_GRIP, m_wndSizeGrip);
  DDX_Control(dx, IDC_SEARCH, m_btnSearch);
  DDX_Control(dx, IDC_ANNIVERSARY, m_chkAnniversary);
  DDX_Control(dx, IDC_CALENDAR, m_btnCalendar);
  DDX_Control(dx, IDC_EDITOR, m_edtEntry);
  DDX_Control(dx, IDC_TITLE_GROUP, m_grpTitle);
}

BOOL CJournalDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  m_wndWeather.SubclassDlgItem(IDC_WEATHER, this);
  m_wndWeather.Fill();
  m_wndMood.SubclassDlgItem(IDC_MOOD, this);
  m_wndMood.Fill();

  BuildSystemMenu();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

  ::GetLocalTime(&m_current);
  m_today = m_current;
  ShowDate(m_today);

  char modulePath[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  const CString folder = vorta::FolderOf(modulePath);
  std::strncpy(m_szProgramFolder, folder.c_str(), sizeof m_szProgramFolder - 1);

  if (!LoadMonth(m_current.wYear, m_current.wMonth)) return TRUE;
  ShowEntry(m_current.wDay);

  // A damaged profile must not turn into another system command (SC_CLOSE is
  // a number too): anything but the five sizes means the middle one.
  UINT fontItem = static_cast<UINT>(m_nFontSizeItem);
  if (PointsOfFontCommand(fontItem) == 0) fontItem = IDM_FONT_MEDIUM;
  m_nFontSizeItem = 0;
  SendMessage(WM_SYSCOMMAND, fontItem);
  if (m_nFontSizeItem == 0) {
    // The font could not be made: the editor keeps the dialog's font, the
    // chosen size stays chosen for the next start.
    m_nFontSizeItem = static_cast<int>(fontItem);
    ::CheckMenuItem(m_menuFontSize, fontItem, MF_BYCOMMAND | MF_CHECKED);
  }

  m_edtEntry.LimitText(static_cast<int>(vorta::kEntryCapacity));
  m_edtEntry.SetFocus();

  PlaceWindow();
  MeasureLayout();
  MoveWindow(m_nWindowX, m_nWindowY, m_nWindowCX, m_nWindowCY, TRUE);

  // Japanese input is on when the journal opens.
  m_hImc = ::ImmGetContext(m_edtEntry.m_hWnd);
  if (m_hImc && !::ImmGetOpenStatus(m_hImc)) ::ImmSetOpenStatus(m_hImc, TRUE);

  CreateToolTips();

  // The lock: refused or cancelled, the journal closes as from its system
  // menu (the entry on screen is saved) without recording where it stood.
  if (!CheckStartupPassword()) {
    ShowWindow(SW_MINIMIZE);
    m_bCloseBySysCommand = 1;
    m_bKeepPosition = 1;
    PostMessage(WM_CLOSE);
  }

  // The calendar opens again when it was open as the journal last closed.
  if (m_bCalendarShown == 1) OnCalendar();
  // The focus stays in the editor (TRUE would hand it to the first picker).
  return FALSE;
}

void CJournalDlg::BuildSystemMenu() {
  HMENU sysMenu = GetSystemMenu(FALSE);
  if (!sysMenu) return;
  ::DeleteMenu(sysMenu, kMaximizePosition, MF_BYPOSITION);

  const CString fontSize = LoadResourceString(IDS_FONT_SIZE);
  if (!fontSize.empty() && m_menuFontSize.CreatePopupMenu()) {
    ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(sysMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_menuFontSize.m_hMenu), fontSize.c_str());
    for (const auto& size : kFontSizes)
      ::AppendMenuA(m_menuFontSize, MF_STRING, size.command, LoadResourceString(size.stringId).c_str());
  }
  const CString about = LoadResourceString(IDS_ABOUTBOX);
  if (!about.empty()) {
    ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
  }
  // Last, so that the positions of the items above stay as they were.
  const CString exportItem = LoadResourceString(IDS_EXPORT);
  if (!exportItem.empty()) ::AppendMenuA(sysMenu, MF_STRING, IDM_EXPORT, exportItem.c_str());
  ::EnableMenuItem(sysMenu, kRestorePosition, MF_BYPOSITION | MF_GRAYED);
}

void CJournalDlg::PlaceWindow() {
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  if (m_nWindowCX != 0 && m_nWindowCY != 0) {
    if (m_nWindowCX > screenWidth) m_nWindowCX = screenWidth - 1;
    if (m_nWindowCY > screenHeight) m_nWindowCY = screenHeight - 1;
    if (m_nWindowX + m_nWindowCX > screenWidth) m_nWindowX = screenWidth - m_nWindowCX;
    if (m_nWindowY + m_nWindowCY > screenHeight) m_nWindowY = screenHeight - m_nWindowCY;
  } else {
    RECT rect;
    GetWindowRect(&rect);
    m_nWindowCX = rect.right - rect.left;
    m_nWindowCY = rect.bottom - rect.top;
  }
}

void CJournalDlg::MeasureLayout() {
  RECT client;
  GetClientRect(&client);
  const RECT grip = ChildRect(m_hWnd, IDC_SIZE_GRIP);
  const RECT close = ChildRect(m_hWnd, IDOK);
  const RECT group = ChildRect(m_hWnd, IDC_NAV_GROUP);
  Layout& l = m_layout;
  l.gripWidth = grip.right - grip.left;
  l.gripHeight = grip.bottom - grip.top;
  l.rightMargin = client.right - close.right;
  l.columnWidth = close.right - close.left;
  for (size_t i = 0; i < std::size(kColumnControls); ++i) l.columnTops[i] = ChildRect(m_hWnd, kColumnControls[i]).top;
  static_assert(std::size(kNavigationControls) == std::extent_v<decltype(Layout::navigationTops)>);
  for (size_t i = 0; i < std::size(kNavigationControls); ++i)
    l.navigationTops[i] = ChildRect(m_hWnd, kNavigationControls[i].id).top;
  l.todayOffset = ChildRect(m_hWnd, IDC_TODAY).left - group.left;
  l.labelOffset = ChildRect(m_hWnd, IDC_YEAR_LABEL).left - group.left;
  l.nextOffset = ChildRect(m_hWnd, IDC_NEXT_YEAR).left - group.left;
  const RECT title = ChildRect(m_hWnd, IDC_TITLE_GROUP);
  const RECT editor = ChildRect(m_hWnd, IDC_EDITOR);
  l.titleGroup = {title.left, title.top};
  l.editor = {editor.left, editor.top};
  l.measured = true;

  const RECT check = ChildRect(m_hWnd, IDC_ANNIVERSARY);
  m_minTrackSize.x = check.right + 2 * l.gripWidth + (group.right - group.left);
  m_minTrackSize.y = close.bottom + 3 * l.gripHeight - 2;
}

void CJournalDlg::OnSize(int cx, int cy) {
  if (!m_layout.measured || !m_wndWeather.m_hWnd || !m_wndMood.m_hWnd) return;
  const Layout& l = m_layout;
  HDWP defer = ::BeginDeferWindowPos(24);
  HWND placed[24];
  size_t placedCount = 0;
  auto place = [&](int id, int x, int y, int width, int height, UINT flags) {
    HWND control = GetDlgItem(id);
    if (!defer || !control) return;
    defer = ::DeferWindowPos(defer, control, nullptr, x, y, width, height, flags | SWP_NOZORDER);
    if (placedCount < std::size(placed)) placed[placedCount++] = control;
  };

  place(IDC_SIZE_GRIP, cx - l.gripWidth, cy - l.gripHeight, 0, 0, SWP_NOSIZE);
  const int right = cx - l.rightMargin - l.columnWidth;
  for (size_t i = 0; i < std::size(kColumnControls); ++i) place(kColumnControls[i], right, l.columnTops[i], 0, 0, SWP_NOSIZE);
  for (size_t i = 0; i < std::size(kNavigationControls); ++i) {
    const Column column = kNavigationControls[i].column;
    const int offset = column == Column::kPrevious ? l.todayOffset : column == Column::kLabel ? l.labelOffset : l.nextOffset;
    place(kNavigationControls[i].id, right + offset, l.navigationTops[i], 0, 0, SWP_NOSIZE);
  }
  place(IDC_TITLE_GROUP, 0, 0, cx - 2 * l.rightMargin - l.titleGroup.x - l.columnWidth,
        cy - l.titleGroup.y - l.gripHeight + 2, SWP_NOMOVE);
  place(IDC_EDITOR, 0, 0, cx - 3 * l.rightMargin - l.editor.x - l.columnWidth,
        cy - l.editor.y - l.rightMargin - l.gripHeight + 2, SWP_NOMOVE);
  if (defer) ::EndDeferWindowPos(defer);

  // Repaint what moved at once, so that no trace of the old layout stays;
  // the pickers and labels on the left keep their pixels.
  for (size_t i = 0; i < placedCount; ++i)
    ::RedrawWindow(placed[i], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CJournalDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
  if (!m_layout.measured || !m_wndWeather.m_hWnd || !m_wndMood.m_hWnd) return;
  info->ptMinTrackSize = m_minTrackSize;
}

void CJournalDlg::CreateToolTips() {
  if (!m_wndToolTip.Create(this)) return;
  m_wndToolTip.Activate(TRUE);
  m_wndToolTip.SetDelayTime(300);
  for (const auto& tip : kToolTips) m_wndToolTip.AddTool(GetDlgItem(tip.control), tip.text);
}

bool CJournalDlg::SetEditorFont(int points) {
  LOGFONTA logFont{};
  HFONT current = reinterpret_cast<HFONT>(m_edtEntry.SendMessage(WM_GETFONT));
  if (!current) current = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::GetObjectA(current, sizeof logFont, &logFont);
  {
    ScopedWindowDC dc(m_edtEntry.m_hWnd);
    logFont.lfHeight = -::MulDiv(points, ::GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
  }
  const CString face = AfxGetApp()->GetProfileString("FONT", "NAME", "");
  if (!face.empty()) {
    // Cut at a character boundary: the face name holds at most 31 bytes.
    size_t length = std::min(face.size(), sizeof logFont.lfFaceName - 1);
    if (length < face.size() && vorta::ByteTypeAt(face, length) == vorta::kTrailByte) --length;
    std::memcpy(logFont.lfFaceName, face.data(), length);
    logFont.lfFaceName[length] = '\0';
  }
  // Put the new font on the editor before the old one is deleted; when it
  // cannot be made, the editor keeps the font it has.
  HFONT font = ::CreateFontIndirectA(&logFont);
  if (!font) return false;
  m_edtEntry.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  m_fontEditor.DeleteObject();
  m_fontEditor.m_hObject = font;
  return true;
}

void CJournalDlg::RecordWindowRect() {
  RECT rect;
  GetWindowRect(&rect);
  m_nWindowX = rect.left;
  m_nWindowY = rect.top;
  m_nWindowCX = rect.right - rect.left;
  m_nWindowCY = rect.bottom - rect.top;
}

void CJournalDlg::OnSysCommand(UINT id, LPARAM lParam) {
  const UINT command = id & 0xFFF0;
  m_bCloseBySysCommand = command == SC_CLOSE ? 1 : 0;
  HMENU sysMenu = GetSystemMenu(FALSE);

  if (command == IDM_ABOUTBOX) {
    CAboutDlg about(this);
    about.DoModal();
    return;
  }
  if (command == IDM_EXPORT) {
    OnExport();
    return;
  }
  if (const int points = PointsOfFontCommand(command)) {
    // The menu and the stored size follow the editor: a font that cannot be
    // made changes neither.
    if (static_cast<int>(command) == m_nFontSizeItem || SetEditorFont(points)) {
      ::CheckMenuItem(m_menuFontSize, command, MF_BYCOMMAND | MF_CHECKED);
      if (static_cast<int>(command) != m_nFontSizeItem && m_nFontSizeItem != 0)
        ::CheckMenuItem(m_menuFontSize, static_cast<UINT>(m_nFontSizeItem), MF_BYCOMMAND | MF_UNCHECKED);
      m_nFontSizeItem = static_cast<int>(command);
    }
  } else if (command == SC_MINIMIZE) {
    if (!m_bKeepPosition) RecordWindowRect();
    ::EnableMenuItem(sysMenu, kRestorePosition, MF_BYPOSITION | MF_ENABLED);
    ::EnableMenuItem(sysMenu, kMinimizePosition, MF_BYPOSITION | MF_GRAYED);
  } else if (command == SC_RESTORE) {
    ::EnableMenuItem(sysMenu, kRestorePosition, MF_BYPOSITION | MF_GRAYED);
    ::EnableMenuItem(sysMenu, kMinimizePosition, MF_BYPOSITION | MF_ENABLED);
  }
  (void)lParam;
  Default();
}

void CJournalDlg::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
  RECT client;
  GetClientRect(&client);
  const int width = ::GetSystemMetrics(SM_CXSMICON);
  const int height = ::GetSystemMetrics(SM_CYSMICON);
  ::DrawIconEx(dc, (client.right - width + 1) / 2, (client.bottom - height + 1) / 2, m_hSmallIcon, width, height, 0,
               nullptr, DI_NORMAL);
  ::EndPaint(m_hWnd, &paint);
}

void CJournalDlg::OnDestroy() {
  ::WinHelpA(m_hWnd, AfxGetApp()->m_pszHelpFilePath.c_str(), HELP_QUIT, 0);
  Default();
  if (m_hSmallIcon) ::DestroyIcon(m_hSmallIcon);
  m_hSmallIcon = nullptr;
  if (m_hImc) ::ImmReleaseContext(m_edtEntry.m_hWnd, m_hImc);
  m_hImc = nullptr;
  m_fontEditor.DeleteObject();
  m_menuFontSize.DestroyMenu();
  if (!m_bKeepPosition && !IsIconic()) RecordWindowRect();
  m_month.Clear();
}

LRESULT CJournalDlg::OnInstanceQuery(WPARAM wParam, LPARAM) {
  if (wParam != kInstanceQueryCode) return -1;
  HMENU sysMenu = GetSystemMenu(FALSE);
  ::EnableMenuItem(sysMenu, kRestorePosition, MF_BYPOSITION | MF_GRAYED);
  ::EnableMenuItem(sysMenu, kMinimizePosition, MF_BYPOSITION | MF_ENABLED);
  return static_cast<LRESULT>(kInstanceQueryCode);
}

void CJournalDlg::OnHelp() {
  const char* file = AfxGetApp()->m_pszHelpFilePath.c_str();
  bool shown = ::WinHelpA(m_hWnd, file, HELP_CONTEXT, 0) != FALSE;
  // A viewer that WinHelp has only just started may not have made its window
  // when WinHelp looks for it (Wine's gives up at once); ask again once the
  // window is there.
  for (int wait = 0; !shown && wait < 30; ++wait) {
    if (::FindWindowA("MS_WINHELP", nullptr)) {
      shown = ::WinHelpA(m_hWnd, file, HELP_CONTEXT, 0) != FALSE;
      break;
    }
    ::Sleep(100);
  }
  if (!shown) AfxMessageBox(IDS_HELP_FAILED);
}

void CJournalDlg::OnCalendar() {
  if (!m_dlgCalendar.IsWindow()) m_dlgCalendar.Create(IDD_CALENDAR, this);
}

void CJournalDlg::PlaceOwnedWindow(CWnd& window, int* x, int* y) {
  RECT journal{};
  GetWindowRect(&journal);
  if (*x > ::GetSystemMetrics(SM_CXSCREEN)) *x = journal.left;
  if (*y > ::GetSystemMetrics(SM_CYSCREEN)) *y = journal.top;
  RECT own{};
  window.GetWindowRect(&own);
  window.MoveWindow(*x, *y, own.right - own.left, own.bottom - own.top, TRUE);
}

void CJournalDlg::ReturnFromOwnedWindow() {
  // The journal takes the activation back with its focus lost (the button
  // that opened the window had it, and was disabled while it was open).
  if (::GetActiveWindow() == m_hWnd) FocusEditor();
}

void CJournalDlg::OnSearch() {
  if (!m_dlgSearch.IsWindow()) m_dlgSearch.Create(IDD_SEARCH, this);
}

void CJournalDlg::OnListViewer() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  char commandLine[] = "Lumview.exe";
  if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ::MessageBeep(0);
    return;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

BOOL CJournalDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
    // A multi-line edit in a dialog answers Escape by closing the dialog,
    // which would throw the entry away: the editor never gets the key.
    return msg->hwnd == m_edtEntry.m_hWnd ? TRUE : FALSE;
  }
  if (msg->message == WM_CHAR && msg->wParam == VK_ESCAPE && msg->hwnd == m_edtEntry.m_hWnd) return TRUE;

  const bool altKey = (msg->lParam & 1) && (msg->lParam & (1 << 29));
  if (msg->message == WM_SYSKEYDOWN && altKey) {
    if (msg->wParam == VK_LEFT) OnPrevDay();
    if (msg->wParam == VK_RIGHT) OnNextDay();
  }
  m_wndToolTip.RelayEvent(msg);
  return CDialog::PreTranslateMessage(msg);
}

LRESULT CJournalDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    case WM_PAINT:
      if (IsIconic()) {
        OnPaint();
        return 0;
      }
      break;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(m_hSmallIcon);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_EDITOR) {
        if (HIWORD(wParam) == EN_CHANGE) KeepEntryWithinLimit();
        break;
      }
      if (lParam != 0 && HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case IDC_TODAY: OnToday(); return 0;
        case IDC_NEXT_DAY: OnNextDay(); return 0;
        case IDC_PREV_DAY: OnPrevDay(); return 0;
        case IDC_NEXT_YEAR: StepMonthOrYear(vorta::NextYear); return 0;
        case IDC_PREV_YEAR: StepMonthOrYear(vorta::PrevYear); return 0;
        case IDC_NEXT_MONTH: StepMonthOrYear(vorta::NextMonth); return 0;
        case IDC_PREV_MONTH: StepMonthOrYear(vorta::PrevMonth); return 0;
        case IDC_ANNIVERSARY: OnAnniversary(); return 0;
        case IDC_LIST_VIEWER: OnListViewer(); return 0;
        case IDC_CALENDAR: OnCalendar(); return 0;
        case IDC_SEARCH: OnSearch(); return 0;
        case ID_HELP: OnHelp(); return 0;
      }
      break;
    case WM_HELP:
      // F1 anywhere in the window asks for the help file, as the Help button does.
      OnHelp();
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      ::EnableMenuItem(GetSystemMenu(FALSE), kMinimizePosition, MF_BYPOSITION | MF_ENABLED);
      return Default();
    case WM_ENDSESSION:
      OnEndSession(wParam != FALSE);
      return 0;
    case WM_ACTIVATE:
      // Woken by a second copy while a modal dialog of ours (the version
      // dialog, a password dialog) is up: that dialog comes forward, not
      // this window, which cannot take input meanwhile.
      // The activation is handed on once this one is complete.
      if (LOWORD(wParam) != WA_INACTIVE && !::IsWindowEnabled(m_hWnd)) PostMessage(kBringPopupForward);
      break;
    case kBringPopupForward:
      // The frontmost window of ours that can take input: the modal dialog.
      for (HWND w = ::GetWindow(m_hWnd, GW_HWNDFIRST); w && !::IsWindowEnabled(m_hWnd); w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetWindow(w, GW_OWNER) == m_hWnd && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
          ::SetForegroundWindow(w);
          break;
        }
      }
      return 0;
    case kInstanceQueryMessage:
      return OnInstanceQuery(wParam, lParam);
    case WM_SIZE:
      // A minimised window has no client area to lay out; restoring sends the size again.
      if (wParam != SIZE_MINIMIZED) OnSize(LOWORD(lParam), HIWORD(lParam));
      return Default();
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
