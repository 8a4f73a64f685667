#include "framework/wnd.h"

#include <commctrl.h>

#include <cstdio>
#include <deque>
#include <string>

#include "framework/controls.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x564F5254;  // one subclass of ours per window
// The window property that points back to the bound object, named by an atom
// added once: a property named by a string takes an atom reference each time
// it is set, which a window destroyed with the property still set would keep.
const char* ObjectProperty() {
  static const ATOM atom = ::GlobalAddAtomA("VortaCWnd");
  return atom ? MAKEINTATOM(atom) : "VortaCWnd";
}
// The window being made by CreateEx on this thread: bound on its first message.
thread_local CWnd* t_creating = nullptr;
}

// The procedure of the classes AfxRegisterWndClass registers. The first
// message of a window made by CreateEx binds it to its object; from then on
// the object's subclass sees every message first and the default processing
// ends here.
LRESULT CALLBACK AfxBindingWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (t_creating && !CWnd::FromHandle(hwnd)) {
    CWnd* wnd = t_creating;
    t_creating = nullptr;
    wnd->Bind(hwnd);
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  // The names stay valid for the life of the process, as the classes do.
  static std::deque<std::string> names;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  char name[96];
  std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle,
                static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
  for (const std::string& known : names)
    if (known == name) return known.c_str();

  WNDCLASSA wc{};
  wc.style = classStyle;
  wc.lpfnWndProc = AfxBindingWndProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  return names.emplace_back(name).c_str();
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU idOrMenu) {
  if (m_hWnd) return FALSE;
  if (!className) {
    PostNcDestroy();
    return FALSE;
  }
  t_creating = this;
  HWND hwnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, cx, cy, parent, idOrMenu,
                                ::GetModuleHandleA(nullptr), nullptr);
  const bool neverBound = t_creating == this;
  t_creating = nullptr;
  if (hwnd) return TRUE;
  // A window that failed after its first message has had WM_NCDESTROY; one
  // that never came to be gets the same clean-up here, so that an object
  // that deletes itself is gone in both cases.
  if (neverBound) PostNcDestroy();
  return FALSE;
}

CWnd::~CWnd() {
  if (m_pDeleted) *m_pDeleted = true;
  // Unbind first so that no message of the dying window reaches a half
  // destroyed object.
  if (m_hWnd) {
    HWND hwnd = Detach();
    if (::IsWindow(hwnd) && (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0) ::DestroyWindow(hwnd);
  }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CWnd*>(::GetPropA(hwnd, ObjectProperty())) : nullptr;
}

void CWnd::Bind(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetPropA(hwnd, ObjectProperty(), this);
  ::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandle(hwnd)) return FALSE;
  Bind(hwnd);
  return TRUE;
}

BOOL CWnd::AttachControl(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandle(hwnd)) return FALSE;
  m_hWnd = hwnd;
  ::SetPropA(hwnd, ObjectProperty(), this);
  return TRUE;
}

void CWnd::ReleaseControl() {
  if (m_hWnd && FromHandle(m_hWnd) == this) ::RemovePropA(m_hWnd, ObjectProperty());
  m_hWnd = nullptr;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return Attach(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    ::RemovePropA(hwnd, ObjectProperty());
  }
  m_hWnd = nullptr;
  return hwnd;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR ref) {
  auto* wnd = reinterpret_cast<CWnd*>(ref);
  const CurrentMessage saved = wnd->m_current;
  wnd->m_current = {message, wParam, lParam};
  // An object that deletes itself with its window may be gone when the
  // handler returns; the flag tells, without asking the window.
  bool deleted = false;
  bool* const outer = wnd->m_pDeleted;
  wnd->m_pDeleted = &deleted;
  const LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (deleted) {
    if (outer) *outer = true;
    return result;
  }
  wnd->m_pDeleted = outer;
  wnd->m_current = saved;
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    ::RemovePropA(hwnd, ObjectProperty());
    wnd->m_hWnd = nullptr;
    wnd->PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::Default() {
  return ::DefSubclassProc(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM: {
      // Owner-drawn controls draw themselves.
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (auto* combo = dynamic_cast<CComboBox*>(FromHandle(item->hwndItem))) {
        combo->DrawItem(item);
        return TRUE;
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_COMBOBOX) {
        if (auto* combo = dynamic_cast<CComboBox*>(FromHandle(GetDlgItem(static_cast<int>(item->CtlID))))) {
          combo->MeasureItem(item);
          return TRUE;
        }
      }
      break;
    }
  }
  (void)wParam;
  return Default();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CString CWnd::GetWindowText() const {
  CString text(static_cast<size_t>(::GetWindowTextLengthA(m_hWnd)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()))));
  return text;
}
