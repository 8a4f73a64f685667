#include "framework/app.h"

#include <commctrl.h>

#include "common/path.h"
#include "common/ini_file_win.h"
#include "common/ini_store.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const char* appName) {
  if (appName) m_pszAppName = appName;
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd != nullptr;) {
    if (CWnd* wnd = CWnd::FromHandle(hwnd); wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    // Stop at the top-level window: GetParent of a popup is its owner.
    if ((::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0) break;
    hwnd = ::GetParent(hwnd);
  }
  return FALSE;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const {
  vorta::IniStore store;
  vorta::LoadIniFile(m_pszProfileName, &store);
  return static_cast<UINT>(store.GetInt(section, entry, defaultValue));
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) const {
  vorta::IniStore store;
  vorta::LoadIniFile(m_pszProfileName, &store);
  return store.GetString(section, entry, defaultValue ? defaultValue : "");
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
  // A profile that cannot be read is never replaced by one holding a single key.
  vorta::IniStore store;
  if (!vorta::LoadIniFile(m_pszProfileName, &store)) return FALSE;
  return store.SetInt(section, entry, value) && vorta::SaveIniFile(m_pszProfileName, store);
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
  vorta::IniStore store;
  if (!vorta::LoadIniFile(m_pszProfileName, &store)) return FALSE;
  return store.SetString(section, entry, value ? value : "") && vorta::SaveIniFile(m_pszProfileName, store);
}

CWinApp* AfxGetApp() { return g_app; }

const char* AfxGetAppName() { return g_app ? g_app->m_pszAppName.c_str() : ""; }

HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : ::GetModuleHandleA(nullptr); }

CString LoadResourceString(UINT id) {
  // LoadStringA copies at most the buffer; our strings are short.
  char text[1024];
  const int length = ::LoadStringA(AfxGetInstanceHandle(), id, text, sizeof text);
  return CString(text, static_cast<size_t>(length > 0 ? length : 0));
}

int AfxMessageBox(const char* text, UINT type, UINT) {
  if ((type & MB_ICONMASK) == 0 && (type & MB_TYPEMASK) == MB_OK) type |= MB_ICONEXCLAMATION;
  HWND owner = ::GetActiveWindow();
  if (!owner && g_app && g_app->m_pMainWnd) owner = g_app->m_pMainWnd->m_hWnd;
  return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
  return AfxMessageBox(LoadResourceString(stringId).c_str(), type, helpId);
}

// Fills in the application object: instance, thread, names and paths.
void AfxWinInit(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  app->m_hInstance = instance;
  app->m_nThreadID = ::GetCurrentThreadId();
  // The common controls the dialogs hold (list view, animation, tooltips).
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  app->m_pszExeName = vorta::FileTitleOf(path);
  app->m_pszHelpFilePath = vorta::ReplaceExtension(path, ".HLP");
  if (app->m_pszAppName.empty()) app->m_pszAppName = LoadResourceString(AFX_IDS_APP_TITLE);
  if (app->m_pszAppName.empty()) app->m_pszAppName = app->m_pszExeName;
}

// Sets up the application object and runs it: InitInstance, and a message
// loop only when InitInstance asks to go on.
int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  AfxWinInit(instance);
  if (!app->InitInstance()) return 0;
  return app->Run();
}
