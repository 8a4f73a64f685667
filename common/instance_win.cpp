#include "common/instance_win.h"

namespace vorta {

bool ClaimSingleInstance(const char* name, const char* title) {
  const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return true;
  if (mutex != nullptr) ::CloseHandle(mutex);
  if (const HWND first = ::FindWindowA(nullptr, title)) ::PostMessageA(first, kInstanceQuery, kInstanceQueryCode, 0);
  return false;
}

void RaiseOnInstanceQuery(HWND window) {
  if (::IsIconic(window)) {
    ::ShowWindow(window, SW_SHOWNORMAL);
  } else {
    ::SetForegroundWindow(window);
  }
}

}  // namespace vorta
