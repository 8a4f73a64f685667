// CWnd: the link between a window and the C++ object that handles its messages.
//
// Every window we handle is subclassed (SetWindowSubclass) with one procedure
// that hands each message to the object's WindowProc; a window property points
// back to the object. Dialogs are bound on the first message their
// dialog procedure sees, so nothing that arrives before WM_INITDIALOG is lost.
// Controls that only wrap a handle (DDX_Control) are not subclassed: their
// messages never come our way, and each trip through a subclass chain has a
// cost (on Wine a round trip to its server).
#pragma once

#include <windows.h>

#include <string>

using CString = std::string;  // CP932 bytes

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object bound to `hwnd`, or null.
  static CWnd* FromHandle(HWND hwnd);

  // Creates a window of a class registered with AfxRegisterWndClass and binds
  // it to this object on its first message. When no window could be made
  // PostNcDestroy has run; an object that already has a window gets FALSE.
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                int cy, HWND parent, HMENU idOrMenu);
  // Binds this object to an existing window (subclassing it).
  BOOL Attach(HWND hwnd);
  // Binds this object to the dialog's control `id`.
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Wraps a control that has no behaviour of its own: messages are sent
  // through this object and FromHandle finds it, but the control is not
  // subclassed, so its messages cost nothing on their way. The dialog that
  // bound it (DDX_Control) lets it go when the dialog's window is destroyed.
  BOOL AttachControl(HWND hwnd);
  // Forgets a wrapped control's handle.
  void ReleaseControl();
  // Unbinds without destroying the window.
  HWND Detach();

  // Called for every message the window receives.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Called by the message loop before a message is dispatched to this window
  // or one of its children; TRUE means it has been handled.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Called after the window is gone (WM_NCDESTROY); the object is unbound.
  virtual void PostNcDestroy() {}

  // Default processing of the message being handled.
  LRESULT Default();
  BOOL DestroyWindow();
  HWND GetParent() const { return ::GetParent(m_hWnd); }
  BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE) const { return ::InvalidateRect(m_hWnd, rect, erase); }
  BOOL UpdateWindow() const { return ::UpdateWindow(m_hWnd); }

  // Thin wrappers for what the program calls.
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  CString GetWindowText() const;
  void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL ShowWindow(int show) const { return ::ShowWindow(m_hWnd, show); }
  BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
  HWND SetFocus() const { return ::SetFocus(m_hWnd); }
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) const {
    return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
  }
  HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }

 protected:
  // Installs the subclass for `hwnd` and records the link.
  void Bind(HWND hwnd);


 private:
  friend LRESULT CALLBACK AfxBindingWndProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR ref);
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  CurrentMessage m_current{};
  // While a message is being handled: set to true if the object is deleted
  // meanwhile (a window object that deletes itself with its window).
  bool* m_pDeleted = nullptr;
};

// Registers (once per process for each combination) a window class whose
// windows are bound to their objects by CWnd::CreateEx; returns its name.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);
