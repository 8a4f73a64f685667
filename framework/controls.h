// Control wrappers: a few lines each over the control's messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/wnd.h"

class CButton : public CWnd {
 public:
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CWnd {};

class CScrollBar : public CWnd {};

class CEdit : public CWnd {
 public:
  void LimitText(int bytes) const { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(bytes)); }
};

class CComboBox : public CWnd {
 public:
  int AddString(LPARAM itemData) const { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, itemData)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  int SetItemHeight(int index, UINT height) const {
    return static_cast<int>(SendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height));
  }
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }

  // Called by the parent for WM_DRAWITEM and WM_MEASUREITEM of an owner-drawn combo.
  virtual void DrawItem(DRAWITEMSTRUCT*) {}
  virtual void MeasureItem(MEASUREITEMSTRUCT*) {}
};

class CListCtrl : public CWnd {
 public:
  int InsertColumn(int column, const LVCOLUMNA& info) const {
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)));
  }
  DWORD SetExtendedStyle(DWORD style) const {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
  }
  int InsertItem(const LVITEMA& item) const {
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  }
  BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  UINT GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
  }
  // Copies the text of a row's column into `text` (room for `size` bytes).
  int GetItemText(int item, int subItem, char* text, int size) const;
  BOOL SortItems(PFNLVCOMPARE compare, LPARAM data) const {
    return static_cast<BOOL>(SendMessage(LVM_SORTITEMS, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare)));
  }
};

// An animation control playing a clip from the program's resources. Without
// ACS_TIMER it plays on a thread of its own.
class CAnimateCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL Open(UINT resourceId) const {
    return static_cast<BOOL>(SendMessage(ACM_OPENA, 0, reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(resourceId))));
  }
  BOOL Close() const { return static_cast<BOOL>(SendMessage(ACM_OPENA, 0, 0)); }
  BOOL Play(UINT from, UINT to, UINT repeat) const {
    return static_cast<BOOL>(SendMessage(ACM_PLAY, static_cast<WPARAM>(repeat), MAKELPARAM(from, to)));
  }
  BOOL Stop() const { return static_cast<BOOL>(SendMessage(ACM_STOP)); }
};

class CToolTipCtrl : public CWnd {
 public:
  ~CToolTipCtrl() override;
  BOOL Create(CWnd* parent);
  void Activate(BOOL activate) const { SendMessage(TTM_ACTIVATE, activate); }
  void SetDelayTime(UINT milliseconds) const { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(milliseconds, 0)); }
  // Adds a tool for a child control, shown when the pointer rests on it.
  BOOL AddTool(HWND control, const char* text) const;
  void RelayEvent(MSG* msg) const;
};
