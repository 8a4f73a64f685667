// The journal program's application object: start-up, single instance, the
// window settings, and the keys that work everywhere in the program.
#pragma once

#include "framework/framework.h"

// Sent to a running copy's window to ask whether it is the journal; it
// answers kInstanceQueryCode.
constexpr UINT kInstanceQueryMessage = WM_USER + 11;
constexpr WPARAM kInstanceQueryCode = 19980702;

// Brings `window` to the foreground on behalf of the thread `ownThread` by
// joining their input queues for the moment of the call.
BOOL BringWindowToFront(DWORD ownThread, HWND window);

class CJournalApp : public CWinApp {
 public:
  CJournalApp() = default;

  BOOL InitInstance() override;
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  // Step 1 of start-up: TRUE when a running copy answered and was woken.
  BOOL WakeRunningCopy();
  // Asks `window` whether it is a running journal; wakes it when it is.
  BOOL QueryAndWake(HWND window);
  // Step 2: FALSE (after the message) when there is no DATA beside the program.
  BOOL CheckSetup();

  HANDLE m_hInstanceMutex = nullptr;  // held open for the life of the process
};
