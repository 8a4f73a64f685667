// Polling with a time-out: the way a test waits for another program to show an
// effect (a window, a text, a file), since nothing tells it when that happens.
#pragma once

#include <windows.h>

namespace e2e {

// How long the waits of the harness give a program by default. A program under
// Wine shows its window about 300 ms after it is started.
inline constexpr DWORD kDefaultTimeoutMs = 5000;

// Calls pred until it returns true or timeout_ms have passed; the last answer.
// pred runs at least once, and once more after the time is up.
template <class Pred>
bool WaitUntil(Pred&& pred, DWORD timeout_ms, DWORD poll_ms = 10) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  while (GetTickCount64() < end) {
    if (pred()) return true;
    Sleep(poll_ms);
  }
  return static_cast<bool>(pred());
}

}  // namespace e2e
