#include "framework/controls.h"

#include "framework/app.h"

CToolTipCtrl::~CToolTipCtrl() {
  if (m_hWnd) ::DestroyWindow(Detach());
}

BOOL CToolTipCtrl::Create(CWnd* parent) {
  HWND hwnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, parent->m_hWnd, nullptr, nullptr, nullptr);
  if (!hwnd) return FALSE;
  Bind(hwnd);
  return TRUE;
}

BOOL CToolTipCtrl::AddTool(HWND control, const char* text) const {
  TOOLINFOA tool = {};
  // The older structure size works with every version of the control.
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND;  // mouse messages come through RelayEvent
  tool.hwnd = ::GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
}

void CToolTipCtrl::RelayEvent(MSG* msg) const {
  if (m_hWnd) SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

int CListCtrl::GetItemText(int item, int subItem, char* text, int size) const {
  LVITEMA row = {};
  row.iSubItem = subItem;
  row.pszText = text;
  row.cchTextMax = size;
  return static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
}

BOOL CAnimateCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  HWND hwnd = ::CreateWindowExA(0, ANIMATE_CLASSA, nullptr, style | WS_CHILD, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), nullptr);
  if (!hwnd) return FALSE;
  Bind(hwnd);
  return TRUE;
}
