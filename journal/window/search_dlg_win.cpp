#include "journal/window/search_dlg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/byte_type.h"
#include "common/file_win.h"
#include "common/ini_file_win.h"
#include "common/path.h"
#include "journal/res/resource.h"
#include "journal/window/journal_dlg.h"

namespace {

constexpr char kClearHistoryQuestion[] = "検索に使用した文字列をすべて削除してよろしいですか?";
constexpr char kOutOfMemory[] = "メモリが不足しています。ここまでに見つかった分だけを表示します。";

// The order of the next sort by date, for the whole program: 1 ascending,
// 0 descending. The first click on "日付" sorts from the oldest day.
int g_nSortAscending = 1;

// Hits the results block takes before it fails as if memory ran out; -1: no limit.
int g_nResultRoomForTesting = -1;

int CALLBACK CompareResults(LPARAM first, LPARAM second, LPARAM sort) {
  const auto* a = reinterpret_cast<const vorta::SearchResult*>(first);
  const auto* b = reinterpret_cast<const vorta::SearchResult*>(second);
  if (!a || !b || LOWORD(sort) != 0) return 0;
  return HIWORD(sort) ? ::lstrcmpA(a->date, b->date) : ::lstrcmpA(b->date, a->date);
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return vorta::FolderOf(path);
}

}  // namespace

// ---------------------------------------------------------------------------
// The results block

void CSearchDlg::SetResultRoomForTesting(int records) { g_nResultRoomForTesting = records; }

bool CSearchDlg::Results::Add(const vorta::SearchResult& hit) {
  if (g_nResultRoomForTesting >= 0 && m_nHits >= g_nResultRoomForTesting) return false;
  if (m_nHits == m_nCapacity) {
    // The block grows by doubling, so that many hits do not copy it over and over.
    const int capacity = m_nCapacity ? m_nCapacity * 2 : 64;
    const SIZE_T bytes = static_cast<SIZE_T>(capacity) * sizeof(vorta::SearchResult);
    HGLOBAL grown = m_hBlock ? ::GlobalReAlloc(m_hBlock, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT)
                             : ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!grown) return false;
    m_hBlock = grown;
    m_nCapacity = capacity;
  }
  auto* records = static_cast<vorta::SearchResult*>(::GlobalLock(m_hBlock));
  if (!records) return false;
  records[m_nHits++] = hit;
  ::GlobalUnlock(m_hBlock);
  return true;
}

vorta::SearchResult* CSearchDlg::Results::Lock() {
  if (m_hBlock && !m_pLocked) m_pLocked = static_cast<vorta::SearchResult*>(::GlobalLock(m_hBlock));
  return m_pLocked;
}

void CSearchDlg::Results::Free() {
  if (!m_hBlock) return;
  if (m_pLocked) ::GlobalUnlock(m_hBlock);
  ::GlobalFree(m_hBlock);
  m_hBlock = nullptr;
  m_pLocked = nullptr;
  m_nHits = 0;
  m_nCapacity = 0;
}

// ---------------------------------------------------------------------------
// Opening and closing

CSearchDlg::CSearchDlg() : CDialog(IDD_SEARCH) {}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_RESULT_LIST, m_lstResults);
  DDX_Control(dx, IDC_CLEAR_HISTORY, m_btnClearHistory);
  DDX_Control(dx, IDCANCEL, m_btnClose);
  DDX_Control(dx, IDC_VIEW_RESULT, m_btnView);
  DDX_Control(dx, IDC_CASE_SENSITIVE, m_chkCaseSensitive);
  DDX_Control(dx, IDC_ANIMATION_FRAME, m_aniFrame);
  DDX_Control(dx, IDC_HIT_COUNT, m_edtHitCount);
  DDX_Control(dx, IDC_FIND_TEXT, m_cboSearch);
  DDX_Control(dx, IDC_SEARCH, m_btnSearch);
}

BOOL CSearchDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The journal owns the window; while it is open the journal cannot open
  // a second one.
  m_pOwner = dynamic_cast<CJournalDlg*>(CWnd::FromHandle(GetParent()));
  if (!m_pOwner) {
    DestroyWindow();
    return FALSE;
  }
  ::EnableWindow(m_pOwner->GetDlgItem(IDC_SEARCH), FALSE);
  m_pApp = AfxGetApp();

  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = 90;
  column.pszText = const_cast<char*>("日付");
  column.iSubItem = 0;
  m_lstResults.InsertColumn(0, column);
  column.cx = 180;
  column.pszText = const_cast<char*>("内容");
  column.iSubItem = 1;
  m_lstResults.InsertColumn(1, column);
  m_lstResults.SetExtendedStyle(LVS_EX_FULLROWSELECT);

  // A new window starts unchecked, and so does the flag.
  m_bCaseSensitive = 0;

  // The history: read from one reading of the profile, so that even a
  // damaged count opens at once.
  vorta::IniStore profile;
  vorta::LoadIniFile(m_pApp->m_pszProfileName, &profile);
  vorta::StoredHistory stored = vorta::ReadStoredHistory(profile);
  m_btnClearHistory.EnableWindow(stored.storedCount != 0);
  m_history = std::move(stored.history);
  for (const std::string& text : stored.read)
    m_cboSearch.SendMessage(CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));

  m_pOwner->PlaceOwnedWindow(*this, &m_pOwner->m_nSearchX, &m_pOwner->m_nSearchY);
  m_cboSearch.SendMessage(CB_LIMITTEXT, vorta::kSearchStringMax);

  RECT frame{};
  m_aniFrame.GetClientRect(&frame);
  if (m_aniSearch.Create(WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT, frame, &m_aniFrame, IDC_SEARCH_ANIMATION))
    m_aniSearch.Open(IDR_SEARCH_ANIMATION);

  // No taskbar button of its own: it belongs to the journal.
  ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, ::GetWindowLongA(m_hWnd, GWL_EXSTYLE) & ~WS_EX_APPWINDOW);
  return TRUE;
}

void CSearchDlg::OnCancel() {
  CJournalDlg* owner = m_pOwner;
  DestroyWindow();
  if (owner) owner->ReturnFromOwnedWindow();
}

void CSearchDlg::OnDestroy() {
  Default();
  if (m_aniSearch.IsWindow()) {
    m_aniSearch.Stop();
    m_aniSearch.Close();
  }
  // The rows point into the results block: they go before it.
  if (m_lstResults.IsWindow()) m_lstResults.DeleteAllItems();
  m_results.Free();
  m_history.Clear();
  if (!m_pOwner) return;
  RECT rect{};
  GetWindowRect(&rect);
  m_pOwner->m_nSearchX = rect.left;
  m_pOwner->m_nSearchY = rect.top;
  ::EnableWindow(m_pOwner->GetDlgItem(IDC_SEARCH), TRUE);
  m_pOwner = nullptr;
}

// ---------------------------------------------------------------------------
// Searching

void CSearchDlg::OnSearch() {
  const HWND focus = ::GetFocus();
  if (focus == m_lstResults.m_hWnd || focus == m_btnView.m_hWnd)
    ViewResult();
  else
    RunSearch();
}

void CSearchDlg::StopAnimation() {
  if (!m_aniSearch.IsWindow()) return;
  m_aniSearch.Stop();
  m_aniSearch.Play(0, 0, 0);  // shows the first frame
}

void CSearchDlg::RunSearch() {
  if (m_aniSearch.IsWindow()) m_aniSearch.Play(0, 0xFFFF, 0xFFFF);
  // The entry on screen is in its month file before the files are read.
  m_pOwner->SaveAndReload();

  std::memset(m_szSearch, 0, sizeof m_szSearch);
  const int length = ::GetWindowTextA(m_cboSearch.m_hWnd, m_szSearch, sizeof m_szSearch);
  // The box counts characters; 50 bytes may end in the first half of one.
  if (length > 0 && vorta::ByteTypeAt(std::string_view(m_szSearch, static_cast<std::size_t>(length)),
                                      static_cast<std::size_t>(length - 1)) == vorta::kLeadByte)
    m_szSearch[length - 1] = '\0';
  if (m_szSearch[0] == '\0') {
    StopAnimation();
    return;
  }

  m_lstResults.DeleteAllItems();
  m_results.Free();
  const bool complete = ScanDataFolder(vorta::SearchPattern(m_szSearch, m_bCaseSensitive != 0));

  if (vorta::SearchResult* records = m_results.Lock()) InsertRows(records, m_results.count());
  const int rows = m_lstResults.GetItemCount();
  char count[32];
  std::snprintf(count, sizeof count, "%d件", rows);
  m_edtHitCount.SetWindowText(count);
  m_btnView.EnableWindow(rows > 0);
  if (rows > 0) m_lstResults.SetFocus();

  m_history.AddToHistory(m_szSearch);
  SaveHistory();
  StopAnimation();
  if (!complete) AfxMessageBox(kOutOfMemory, MB_ICONEXCLAMATION);
}

void CSearchDlg::InsertRows(vorta::SearchResult* records, int count) {
  // Drawn once, after the last row.
  m_lstResults.SendMessage(WM_SETREDRAW, FALSE);
  m_lstResults.SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count));
  for (int i = 0; i < count; ++i) {
    LVITEMA row = {};
    // Only the first row has a state to set (the focus); the others have
    // none, and setting none would still cost each row its notifications.
    row.mask = LVIF_TEXT | LVIF_PARAM | (i == 0 ? LVIF_STATE : 0);
    row.iItem = i;
    row.pszText = records[i].date;
    row.cchTextMax = sizeof records[i].date;
    row.lParam = reinterpret_cast<LPARAM>(&records[i]);
    row.state = i == 0 ? LVIS_FOCUSED : 0;
    row.stateMask = LVIS_FOCUSED;
    // The excerpt column, never set, is asked for when drawn (LVN_GETDISPINFOA).
    m_lstResults.InsertItem(row);
  }
  m_lstResults.SendMessage(WM_SETREDRAW, TRUE);
  m_lstResults.InvalidateRect(nullptr, TRUE);
}

bool CSearchDlg::ScanDataFolder(const vorta::SearchPattern& pattern) {
  const std::string data = ProgramFolder() + "DATA\\";
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((data + "*.DAY").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool complete = true;
  std::vector<std::uint8_t> bytes;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // No more of a file than the record walk can reach; a month held open by
    // a backup or sync program is still read.
    if (!vorta::ReadFileBytes(data + found.cFileName, vorta::kMonthFileReadLimit, &bytes)) continue;
    if (vorta::ScanMonthFile(found.cFileName, bytes, pattern, m_results) == vorta::ScanOutcome::kStopped) {
      complete = false;
      break;
    }
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return complete;
}

void CSearchDlg::ViewResult() {
  if (!m_pOwner || !::GetParent(m_hWnd)) return;
  const int rows = m_lstResults.GetItemCount();
  int focused = -1;
  for (int i = 0; i < rows && focused < 0; ++i) {
    if (m_lstResults.GetItemState(i, LVIS_FOCUSED) & LVIS_FOCUSED) focused = i;
  }
  if (focused < 0) return;
  char date[12] = {};
  m_lstResults.GetItemText(focused, 0, date, sizeof date);
  // "YYYY/MM/DD ": year and month as YYYYMM, and the day.
  const char day[3] = {date[8], date[9], '\0'};
  const char yearMonth[7] = {date[0], date[1], date[2], date[3], date[5], date[6], '\0'};
  m_pOwner->GoToDate(yearMonth, static_cast<WORD>(std::atoi(day)));
}

void CSearchDlg::OnCaseSensitive() { m_bCaseSensitive = m_chkCaseSensitive.GetCheck(); }

// ---------------------------------------------------------------------------
// The history

void CSearchDlg::SaveHistory() {
  // All keys in one write of the profile; a profile that cannot be read is
  // never replaced by one holding the history alone.
  vorta::IniStore profile;
  if (vorta::LoadIniFile(m_pApp->m_pszProfileName, &profile)) {
    for (const auto& [key, value] : vorta::HistorySaveWrites(m_history))
      profile.SetString(vorta::kFindHistorySection, key, value);
    vorta::SaveIniFile(m_pApp->m_pszProfileName, profile);
  }
  ListHistory();
  m_cboSearch.SetCurSel(0);
  m_btnClearHistory.EnableWindow(TRUE);
}

void CSearchDlg::ListHistory() {
  m_cboSearch.SendMessage(CB_RESETCONTENT);
  for (const std::string& text : m_history.strings())
    m_cboSearch.SendMessage(CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CSearchDlg::OnClearHistory() {
  if (AfxMessageBox(kClearHistoryQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  vorta::IniStore profile;
  if (vorta::LoadIniFile(m_pApp->m_pszProfileName, &profile)) {
    for (const auto& [key, value] : vorta::HistoryClearWrites(profile, m_history.count()))
      profile.SetString(vorta::kFindHistorySection, key, value);
    vorta::SaveIniFile(m_pApp->m_pszProfileName, profile);
  }
  m_cboSearch.SendMessage(CB_RESETCONTENT);
  m_history.Clear();
  // The button goes grey under the keyboard focus: the focus goes to the string.
  const bool hadFocus = ::GetFocus() == m_btnClearHistory.m_hWnd;
  m_btnClearHistory.EnableWindow(FALSE);
  if (hadFocus) m_cboSearch.SetFocus();
}

// ---------------------------------------------------------------------------
// The result list

void CSearchDlg::OnGetDispInfo(NMLVDISPINFOA* info) {
  auto* record = reinterpret_cast<vorta::SearchResult*>(info->item.lParam);
  if (!record) return;
  if (info->item.iSubItem == 0) info->item.pszText = record->date;
  else if (info->item.iSubItem == 1) info->item.pszText = record->excerpt;
}

void CSearchDlg::OnColumnClick(int column) {
  // Only the date orders the hits; by any other column they would all
  // compare equal, so the order is left exactly as it is.
  if (column != 0) return;
  m_lstResults.SortItems(CompareResults, MAKELPARAM(column, g_nSortAscending));
  g_nSortAscending = g_nSortAscending ? 0 : 1;
}

void CSearchDlg::ShowDefaultButton(int id) {
  for (int button : {IDC_CLEAR_HISTORY, IDCANCEL, IDC_SEARCH, IDC_VIEW_RESULT}) {
    ::SendDlgItemMessageA(m_hWnd, button, BM_SETSTYLE, button == id ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

LRESULT CSearchDlg::OnNotify(NMHDR* header) {
  if (header->idFrom == IDC_RESULT_LIST) {
    switch (header->code) {
      case NM_DBLCLK: ViewResult(); return 0;
      case NM_SETFOCUS: ShowDefaultButton(IDC_VIEW_RESULT); return 0;
      case LVN_GETDISPINFOA: OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(header)); return 0;
      case LVN_COLUMNCLICK: OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem); return 0;
      // Clearing the list needs no word per row.
      case LVN_DELETEALLITEMS: return TRUE;
    }
  }
  return Default();
}

LRESULT CSearchDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SEARCH:
          if (HIWORD(wParam) == BN_CLICKED) OnSearch();
          return 0;
        case IDC_VIEW_RESULT:
          if (HIWORD(wParam) == BN_CLICKED) ViewResult();
          return 0;
        case IDC_CASE_SENSITIVE:
          if (HIWORD(wParam) == BN_CLICKED) OnCaseSensitive();
          return 0;
        case IDC_CLEAR_HISTORY:
          if (HIWORD(wParam) == BN_CLICKED) OnClearHistory();
          return 0;
        case IDC_FIND_TEXT:
          if (HIWORD(wParam) == CBN_SETFOCUS) ShowDefaultButton(IDC_SEARCH);
          return 0;
      }
      break;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
