#include "framework/wnd.h"

#include <commctrl.h>

#include "framework/controls.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x564F5254;  // one subclass of ours per window
// The window property that points back to the bound object.
constexpr char kObjectProperty[] = "VortaCWnd";
}

CWnd::~CWnd() {
  // Unbind first so that no message of the dying window reaches a half
  // destroyed object.
  if (m_hWnd) {
    HWND hwnd = Detach();
    if (::IsWindow(hwnd) && (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0) ::DestroyWindow(hwnd);
  }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CWnd*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

void CWnd::Bind(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetPropA(hwnd, kObjectProperty, this);
  ::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandle(hwnd)) return FALSE;
  Bind(hwnd);
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return Attach(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    ::RemovePropA(hwnd, kObjectProperty);
  }
  m_hWnd = nullptr;
  return hwnd;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR ref) {
  auto* wnd = reinterpret_cast<CWnd*>(ref);
  const CurrentMessage saved = wnd->m_current;
  wnd->m_current = {message, wParam, lParam};
  const LRESULT result = wnd->WindowProc(message, wParam, lParam);
  wnd->m_current = saved;
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    ::RemovePropA(hwnd, kObjectProperty);
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
