#include "journal/app/journal_app.h"

#include <cstring>

#include "common/path.h"
#include "common/ini_file_win.h"
#include "journal/res/resource.h"
#include "journal/window/journal_dlg.h"
#include "journal/window/password_dlg.h"

namespace {

CJournalApp theApp;

constexpr char kMutexName[] = "Mutex_VortaInstance";
constexpr UINT kQueryTimeout = 3000;

// The ten window settings, in the order they are read and written back.
struct WindowSetting {
  const char* section;
  const char* key;
  int defaultValue;
  int CJournalDlg::*field;
};
constexpr WindowSetting kWindowSettings[] = {
    {"WINDOW", "X", 0, &CJournalDlg::m_nWindowX},
    {"WINDOW", "Y", 0, &CJournalDlg::m_nWindowY},
    {"WINDOW", "CX", 0, &CJournalDlg::m_nWindowCX},
    {"WINDOW", "CY", 0, &CJournalDlg::m_nWindowCY},
    {"CAL_WINDOW", "X", 0, &CJournalDlg::m_nCalendarX},
    {"CAL_WINDOW", "Y", 0, &CJournalDlg::m_nCalendarY},
    {"CAL_WINDOW", "Disp", 0, &CJournalDlg::m_bCalendarShown},
    {"FIND_WINDOW", "X", 0, &CJournalDlg::m_nSearchX},
    {"FIND_WINDOW", "Y", 0, &CJournalDlg::m_nSearchY},
    {"FONT", "SIZE", IDM_FONT_MEDIUM, &CJournalDlg::m_nFontSizeItem},
};

}  // namespace

BOOL BringWindowToFront(DWORD ownThread, HWND window) {
  const DWORD target = ::GetWindowThreadProcessId(window, nullptr);
  ::AttachThreadInput(target, ownThread, TRUE);
  ::SetForegroundWindow(window);
  ::AttachThreadInput(target, ownThread, FALSE);
  return TRUE;
}

BOOL CJournalApp::QueryAndWake(HWND window) {
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(window, kInstanceQueryMessage, kInstanceQueryCode, static_cast<LPARAM>(m_nThreadID),
                        SMTO_ABORTIFHUNG, kQueryTimeout, &answer);
  if (answer != kInstanceQueryCode) return FALSE;
  if (::IsIconic(window))
    ::ShowWindow(window, SW_SHOWNORMAL);
  else
    BringWindowToFront(m_nThreadID, window);
  return TRUE;
}

BOOL CJournalApp::WakeRunningCopy() {
  m_hInstanceMutex = ::CreateMutexA(nullptr, FALSE, kMutexName);
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return FALSE;

  const CString title = LoadResourceString(IDS_APP_TITLE);
  HWND first = ::FindWindowA(nullptr, title.c_str());
  if (!first) return FALSE;
  if (QueryAndWake(first)) return TRUE;

  // A foreign window may carry the same title; try the ones below it.
  for (HWND window = ::GetWindow(first, GW_HWNDNEXT); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
    char text[256];
    if (::GetWindowTextA(window, text, sizeof text) <= 0 || title != text) continue;
    if (QueryAndWake(window)) return TRUE;
  }
  return FALSE;
}

BOOL CJournalApp::CheckSetup() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const CString data = vorta::FolderOf(path) + "DATA";
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(data.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    ::MessageBoxA(nullptr,
                  "ミルネが正常にセットアップされていません。\n"
                  "もう一度セットアップを起動し上書きインストールしてください。",
                  "ミルネ2000", MB_ICONERROR);
    return FALSE;
  }
  ::FindClose(find);
  return TRUE;
}

BOOL CJournalApp::InitInstance() {
  // The settings live in a per-user file, not in the Windows folder, which
  // ordinary users cannot write.
  m_pszProfileName = vorta::ProfilePath();

  if (WakeRunningCopy()) return FALSE;
  if (!CheckSetup()) return FALSE;
  // Current Windows draws three-dimensional controls by itself; nothing to
  // switch on here.

  CJournalDlg dlg;
  KeepPasswordValue();
  m_pMainWnd = &dlg;
  for (const auto& s : kWindowSettings) dlg.*s.field = static_cast<int>(GetProfileInt(s.section, s.key, s.defaultValue));

  dlg.DoModal();

  for (const auto& s : kWindowSettings) WriteProfileInt(s.section, s.key, dlg.*s.field);
  m_pMainWnd = nullptr;
  return FALSE;
}

BOOL CJournalApp::PreTranslateMessage(MSG* msg) {
  HWND main = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && main && msg->hwnd == main) return FALSE;

  // Alt+N: back to the journal window from anywhere in the program.
  const bool altKey = (msg->lParam & 1) && (msg->lParam & (1 << 29));
  if (msg->message == WM_SYSKEYDOWN && altKey && msg->wParam == 'N' && main) ::SetFocus(main);
  // Alt+C: to the calendar window while it is open.
  if (msg->message == WM_SYSKEYDOWN && altKey && msg->wParam == 'C') {
    if (auto* journal = dynamic_cast<CJournalDlg*>(m_pMainWnd); journal && journal->IsCalendarOpen())
      ::SetFocus(journal->Calendar().m_hWnd);
  }
  // Alt+S: to the search window while it is open.
  if (msg->message == WM_SYSKEYDOWN && altKey && msg->wParam == 'S') {
    if (auto* journal = dynamic_cast<CJournalDlg*>(m_pMainWnd); journal && journal->IsSearchOpen())
      ::SetFocus(journal->Search().m_hWnd);
  }

  return CWinApp::PreTranslateMessage(msg);
}
