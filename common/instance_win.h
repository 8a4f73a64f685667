// One running copy of the installer and of the uninstaller: a named mutex
// marks it, and a second copy wakes the first with the instance query before
// it ends.
#pragma once

#include <windows.h>

namespace vorta {

// The message a second copy posts to the first, and its code in wParam.
inline constexpr UINT kInstanceQuery = WM_USER + 11;
inline constexpr WPARAM kInstanceQueryCode = 19980702;

// Creates the mutex `name` (not owned). When it existed already, another copy
// runs: the top-level window titled `title` is sent the instance query, and
// the answer is false. The mutex stays with the process until it ends.
bool ClaimSingleInstance(const char* name, const char* title);

// The first copy's answer to the query: a minimised window is restored, any
// other one brought to the front.
void RaiseOnInstanceQuery(HWND window);

}  // namespace vorta
