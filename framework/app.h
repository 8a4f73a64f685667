// CWinApp: the one application object, its start-up and its profile.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

// The string-table entry of the application's title.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
// "Failed to launch help." in the program's string table.
constexpr UINT AFX_IDP_FAILED_TO_LAUNCH_HELP = 0xF107;

class CWinApp {
 public:
  // With no name, the title comes from string AFX_IDS_APP_TITLE.
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Called once at start; FALSE ends the program.
  virtual BOOL InitInstance() { return TRUE; }
  // Runs the message loop of a program whose InitInstance returned TRUE.
  virtual int Run();
  // Called for every message of our message loops before it is dispatched;
  // walks from the message's window up to its top-level window, giving each
  // bound object a chance to handle it.
  virtual BOOL PreTranslateMessage(MSG* msg);

  // The profile: an INI file at m_pszProfileName, values kept byte for byte.
  UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
  CString GetProfileString(const char* section, const char* entry, const char* defaultValue = "") const;
  BOOL WriteProfileInt(const char* section, const char* entry, int value);
  BOOL WriteProfileString(const char* section, const char* entry, const char* value);

  CWnd* m_pMainWnd = nullptr;
  DWORD m_nThreadID = 0;
  HINSTANCE m_hInstance = nullptr;
  CString m_pszAppName;
  CString m_pszExeName;       // file title of the program, e.g. "vorta"
  CString m_pszHelpFilePath;  // the program's path with ".HLP"
  CString m_pszProfileName;   // full path of the INI file
};

// Fills in the application object's instance, thread, names and help path.
void AfxWinInit(HINSTANCE instance);
// Runs the program: AfxWinInit, InitInstance, and the message loop when
// InitInstance returns TRUE.
int AfxWinMain(HINSTANCE instance);

CWinApp* AfxGetApp();
const char* AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();

// A message box captioned with the application's title; MB_OK with no icon
// gets the exclamation icon.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = UINT(-1));

// The string-table entry `id`, or an empty string.
CString LoadResourceString(UINT id);
