// Driving another program's windows with ordinary window messages: finding
// top-level windows and message boxes, reading and setting controls, clicks,
// keys, closing, moving and sizing.
//
// Messages that need an answer go through SendMessageTimeoutA (a hung program
// makes the call fail instead of hanging the test). Anything that may open
// modal UI in the program (a button that shows a message box, closing a window
// that asks first) is posted, and the test then waits for the effect.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "harness/wait.h"

namespace e2e {

// How long a single message to the program may take before it counts as hung.
inline constexpr UINT kSendTimeoutMs = 5000;

// ---- Top-level windows -----------------------------------------------------

// A top-level window with exactly this title (CP932), visible or not; pid 0
// means any process, class_name nullptr any class. nullptr when there is none.
HWND FindTopWindow(std::string_view title, DWORD pid = 0, const char* class_name = nullptr);
// Waits for a *visible* top-level window with exactly this title.
HWND WaitForWindow(std::string_view title, DWORD pid = 0, DWORD timeout_ms = kDefaultTimeoutMs,
                   const char* class_name = nullptr);
// Waits for a visible dialog box (class "#32770": MessageBoxA and the standard
// dialogs) with this caption, belonging to pid (0: any process).
HWND WaitForMessageBox(std::string_view caption, DWORD pid, DWORD timeout_ms = kDefaultTimeoutMs);
// The first visible top-level window of process pid (0: any) that `accept`
// takes: for windows told apart by their controls, not their title (message
// boxes and standard dialogs that share a caption with the program).
HWND FindVisibleWindow(DWORD pid, const std::function<bool(HWND)>& accept);
// Minimises the window and waits until it stays so. The dialog box loop shows
// a modal dialog normally the first time it runs out of messages, which
// undoes a minimise that came before; the minimise is repeated until it holds.
bool MinimizeUntilItStays(HWND window, DWORD timeout_ms = kDefaultTimeoutMs);
// Waits until the window has been destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeout_ms = kDefaultTimeoutMs);
DWORD WindowProcessId(HWND window);

// ---- Text --------------------------------------------------------------------

// WM_GETTEXT; nullopt when the window is missing or does not answer.
std::optional<std::string> GetText(HWND window);
// WM_SETTEXT; true when the window accepted it.
bool SetText(HWND window, std::string_view text);
std::optional<std::string> GetControlText(HWND parent, int id);
bool SetControlText(HWND parent, int id, std::string_view text);
// The message text of a MessageBoxA (its static control, id 0xFFFF).
std::optional<std::string> MessageBoxText(HWND box);

// ---- Buttons -----------------------------------------------------------------

// Standard button ids of message boxes, for readability at the call site.
inline constexpr int kIdOk = IDOK, kIdCancel = IDCANCEL, kIdYes = IDYES, kIdNo = IDNO;

// Sends BM_CLICK and returns after the program has handled the click. Only for
// buttons that open no modal UI. False when the button is missing, hidden or
// disabled (a user could not click it either) or the program does not answer.
bool ClickButton(HWND parent, int id);
// Posts BM_CLICK and returns at once: for buttons that may show a message box
// or a dialog. Same refusals as ClickButton.
bool PressButton(HWND parent, int id);
// Presses a button of a message box and waits until the box has gone.
bool AnswerMessageBox(HWND box, int id, DWORD timeout_ms = kDefaultTimeoutMs);

// BM_GETCHECK / BM_SETCHECK (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE).
// Setting the state sends the dialog no notification, as with CB_SETCURSEL.
std::optional<int> GetCheck(HWND parent, int id);
bool SetCheck(HWND parent, int id, int state);

// ---- Combo boxes -------------------------------------------------------------

// CB_GETCURSEL: the selected index, -1 for none; nullopt when there is no answer.
std::optional<int> GetComboSelection(HWND parent, int id);
// CB_SETCURSEL (-1 clears). The dialog is not notified (no CBN_SELCHANGE); a
// program that reads the selection when it needs it sees the new one.
bool SetComboSelection(HWND parent, int id, int index);
std::optional<int> GetComboCount(HWND parent, int id);
// The text of one item of a combo box with strings.
std::optional<std::string> GetComboItemText(HWND parent, int id, int index);

// ---- List views ----------------------------------------------------------------
// The texts of every row of a report list view in another process, `columns`
// cells a row (at most 255 bytes each). The item structure and the text buffer
// live in the program's own memory (VirtualAllocEx), since the list view reads
// and writes them there. nullopt when the list does not answer.
std::optional<std::vector<std::vector<std::string>>> GetListViewRows(HWND list, int columns);
// The index of the row with the focus state, -1 when none; nullopt without an answer.
std::optional<int> GetListViewFocusedRow(HWND list);

// ---- Closing -----------------------------------------------------------------

// Posts WM_SYSCOMMAND SC_CLOSE: the close box, Alt+F4 and the system menu.
bool PostSysClose(HWND window);
// Posts WM_CLOSE.
bool PostClose(HWND window);

// ---- Keys ----------------------------------------------------------------------

// The lParam of a key message as the keyboard driver makes it: repeat count 1,
// scan code, bit 24 for the keys of the navigation block, bit 29 with Alt, bits
// 30 and 31 on the key-up.
LPARAM KeyLParam(UINT vk, bool alt, bool key_up);
// Posts WM_KEYDOWN (WM_SYSKEYDOWN with alt) to the window, usually a control of
// the program. The program's own message loop sees it (TranslateMessage,
// IsDialogMessage, accelerators), so wait for the effect afterwards.
// GetKeyState inside the program does not see posted keys.
bool PostKeyDown(HWND window, UINT vk, bool alt = false);
bool PostKeyUp(HWND window, UINT vk, bool alt = false);
// Down and up.
bool PostKey(HWND window, UINT vk, bool alt = false);

// ---- Geometry ------------------------------------------------------------------

// Screen coordinates, frame included; empty when the window is missing.
RECT WindowRect(HWND window);
// Client area size in pixels (left and top are 0).
RECT ClientRect(HWND window);
// MoveWindow/SetWindowPos on the program's window; returns after the program
// has handled the move (WM_SIZE included).
bool MoveWindowTo(HWND window, int x, int y, int width, int height);
bool ResizeWindow(HWND window, int width, int height);

}  // namespace e2e
