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
