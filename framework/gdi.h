// GDI and menu owners: each frees what it holds when it goes out of scope.
#pragma once

#include <windows.h>

// Owns any GDI object (bitmap, brush, font, ...).
template <typename T>
class ScopedGdiObj {
 public:
  explicit ScopedGdiObj(T object = nullptr) : m_object(object) {}
  ~ScopedGdiObj() { Reset(); }
  ScopedGdiObj(const ScopedGdiObj&) = delete;
  ScopedGdiObj& operator=(const ScopedGdiObj&) = delete;

  T get() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }
  void Reset(T object = nullptr) {
    if (m_object) ::DeleteObject(m_object);
    m_object = object;
  }

 private:
  T m_object;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? ::SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (m_previous) ::SelectObject(m_dc, m_previous);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// A memory DC compatible with another DC.
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
  ~ScopedMemoryDC() {
    if (m_dc) ::DeleteDC(m_dc);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC get() const { return m_dc; }

 private:
  HDC m_dc;
};

// A window's DC, released at the end of the scope.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
  ~ScopedWindowDC() {
    if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return m_dc; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

// An owned font; the handle is deleted with it.
class CFont {
 public:
  CFont() = default;
  ~CFont() { DeleteObject(); }
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  void DeleteObject() {
    if (m_hObject) ::DeleteObject(m_hObject);
    m_hObject = nullptr;
  }
  HFONT m_hObject = nullptr;
  operator HFONT() const { return m_hObject; }
};

class CMenu {
 public:
  CMenu() = default;
  ~CMenu() { DestroyMenu(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  BOOL CreatePopupMenu() {
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
  }
  // Destroys the menu unless a window's menu has taken it over.
  void DestroyMenu() {
    if (m_hMenu && ::IsMenu(m_hMenu)) ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
  }
  // Gives up ownership (the menu now belongs to another menu).
  HMENU Detach() {
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    return menu;
  }
  HMENU m_hMenu = nullptr;
  operator HMENU() const { return m_hMenu; }
};
