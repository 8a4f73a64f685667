#include "harness/ui.h"

#include <commctrl.h>

#include <cstring>

#include <vector>

#include "harness/process.h"

namespace e2e {
namespace {

// A message that needs an answer; nullopt when the window is missing or the
// program does not answer in time.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  if (!window || !IsWindow(window)) return std::nullopt;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

bool Responds(HWND window) { return Send(window, WM_NULL).has_value(); }

HWND Child(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

// A button a user could click: present, visible, enabled.
HWND UsableButton(HWND parent, int id) {
  HWND button = Child(parent, id);
  if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return nullptr;
  return button;
}

HWND FindTop(std::string_view title, DWORD pid, const char* class_name, bool visible_only) {
  PrepareDesktop();
  const std::string wanted(title);
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, class_name, wanted.c_str())) != nullptr) {
    if (pid != 0 && WindowProcessId(window) != pid) continue;
    if (visible_only && !IsWindowVisible(window)) continue;
    return window;
  }
  return nullptr;
}

bool IsNavigationKey(UINT vk) {
  switch (vk) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_INSERT: case VK_DELETE: case VK_DIVIDE: case VK_NUMLOCK:
    case VK_RCONTROL: case VK_RMENU:
      return true;
    default:
      return false;
  }
}

}  // namespace

HWND FindTopWindow(std::string_view title, DWORD pid, const char* class_name) {
  return FindTop(title, pid, class_name, false);
}

HWND WaitForWindow(std::string_view title, DWORD pid, DWORD timeout_ms, const char* class_name) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTop(title, pid, class_name, true)) != nullptr; }, timeout_ms);
  return found;
}

HWND WaitForMessageBox(std::string_view caption, DWORD pid, DWORD timeout_ms) {
  return WaitForWindow(caption, pid, timeout_ms, "#32770");
}

HWND FindVisibleWindow(DWORD pid, const std::function<bool(HWND)>& accept) {
  PrepareDesktop();
  struct Search {
    DWORD pid;
    const std::function<bool(HWND)>* accept;
    HWND found;
  } search{pid, &accept, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (!IsWindowVisible(hwnd) || (s->pid != 0 && WindowProcessId(hwnd) != s->pid) || !(*s->accept)(hwnd))
          return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool MinimizeUntilItStays(HWND window, DWORD timeout_ms) {
  return WaitUntil(
      [&] {
        PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (!WaitUntil([&] { return IsIconic(window) != FALSE; }, 1000)) return false;
        Sleep(300);
        return IsIconic(window) != FALSE;
      },
      timeout_ms);
}

bool WaitForWindowGone(HWND window, DWORD timeout_ms) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout_ms);
}

DWORD WindowProcessId(HWND window) {
  DWORD pid = 0;
  if (window) GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::optional<std::string> GetText(HWND window) {
  const std::optional<LRESULT> length = Send(window, WM_GETTEXTLENGTH);
  if (!length || *length < 0) return std::nullopt;
  // The length of ANSI text may be an upper bound; WM_GETTEXT tells the truth.
  std::vector<char> buffer(static_cast<size_t>(*length) + 1);
  const std::optional<LRESULT> got =
      Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  if (!got || *got < 0) return std::nullopt;
  return std::string(buffer.data(), static_cast<size_t>(*got));
}

bool SetText(HWND window, std::string_view text) {
  const std::string value(text);
  const std::optional<LRESULT> ok = Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  return ok && *ok != FALSE;
}

std::optional<std::string> GetControlText(HWND parent, int id) { return GetText(Child(parent, id)); }

bool SetControlText(HWND parent, int id, std::string_view text) {
  return SetText(Child(parent, id), text);
}

std::optional<std::string> MessageBoxText(HWND box) { return GetControlText(box, 0xFFFF); }

bool ClickButton(HWND parent, int id) {
  HWND button = UsableButton(parent, id);
  return button && Send(button, BM_CLICK).has_value();
}

bool PressButton(HWND parent, int id) {
  HWND button = UsableButton(parent, id);
  return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool AnswerMessageBox(HWND box, int id, DWORD timeout_ms) {
  return PressButton(box, id) && WaitForWindowGone(box, timeout_ms);
}

std::optional<int> GetCheck(HWND parent, int id) {
  const std::optional<LRESULT> state = Send(Child(parent, id), BM_GETCHECK);
  if (!state) return std::nullopt;
  return static_cast<int>(*state);
}

bool SetCheck(HWND parent, int id, int state) {
  return Send(Child(parent, id), BM_SETCHECK, static_cast<WPARAM>(state)).has_value() &&
         GetCheck(parent, id) == state;
}

std::optional<int> GetComboSelection(HWND parent, int id) {
  const std::optional<LRESULT> index = Send(Child(parent, id), CB_GETCURSEL);
  if (!index) return std::nullopt;
  return static_cast<int>(*index);
}

bool SetComboSelection(HWND parent, int id, int index) {
  // CB_SETCURSEL answers with the new index, CB_ERR (-1) also when clearing.
  const std::optional<LRESULT> result = Send(Child(parent, id), CB_SETCURSEL, static_cast<WPARAM>(index));
  return result && *result == index;
}

std::optional<int> GetComboCount(HWND parent, int id) {
  const std::optional<LRESULT> count = Send(Child(parent, id), CB_GETCOUNT);
  if (!count || *count < 0) return std::nullopt;
  return static_cast<int>(*count);
}

std::optional<std::string> GetComboItemText(HWND parent, int id, int index) {
  // Asked in UTF-16: Wine 8 passes CB_GETLBTEXT from an ANSI sender in another
  // process through unconverted (UTF-16 text, length in characters).
  HWND combo = Child(parent, id);
  if (!combo || !IsWindow(combo)) return std::nullopt;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0,
                           SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) ||
      static_cast<LRESULT>(length) < 0) {
    return std::nullopt;
  }
  std::vector<wchar_t> wide(length + 1);
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(wide.data()), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &got) ||
      static_cast<LRESULT>(got) < 0 || got > length) {
    return std::nullopt;
  }
  if (got == 0) return std::string();
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), nullptr, 0,
                                        nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), text.data(), bytes, nullptr,
                      nullptr);
  return text;
}

bool PostSysClose(HWND window) {
  return window && PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool PostClose(HWND window) { return window && PostMessageA(window, WM_CLOSE, 0, 0); }

LPARAM KeyLParam(UINT vk, bool alt, bool key_up) {
  DWORD bits = 1;  // repeat count
  bits |= (MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFFu) << 16;
  if (IsNavigationKey(vk)) bits |= 1u << 24;
  if (alt) bits |= 1u << 29;
  if (key_up) bits |= (1u << 30) | (1u << 31);
  return static_cast<LPARAM>(bits);
}

bool PostKeyDown(HWND window, UINT vk, bool alt) {
  return window && PostMessageA(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyLParam(vk, alt, false));
}

bool PostKeyUp(HWND window, UINT vk, bool alt) {
  return window && PostMessageA(window, alt ? WM_SYSKEYUP : WM_KEYUP, vk, KeyLParam(vk, alt, true));
}

bool PostKey(HWND window, UINT vk, bool alt) {
  return PostKeyDown(window, vk, alt) && PostKeyUp(window, vk, alt);
}

RECT WindowRect(HWND window) {
  RECT r = {};
  if (window) GetWindowRect(window, &r);
  return r;
}

RECT ClientRect(HWND window) {
  RECT r = {};
  if (window) GetClientRect(window, &r);
  return r;
}

bool MoveWindowTo(HWND window, int x, int y, int width, int height) {
  // SetWindowPos on another program's window waits for that program; make sure
  // it answers at all first.
  return Responds(window) &&
         SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ResizeWindow(HWND window, int width, int height) {
  return Responds(window) && SetWindowPos(window, nullptr, 0, 0, width, height,
                                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}


std::optional<std::vector<std::vector<std::string>>> GetListViewRows(HWND list, int columns) {
  if (!list || !IsWindow(list)) return std::nullopt;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return std::nullopt;
  const DWORD pid = WindowProcessId(list);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return std::nullopt;
  constexpr SIZE_T kTextRoom = 256;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextRoom, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::optional<std::vector<std::vector<std::string>>> rows;
  if (remote) {
    rows.emplace();
    char* remoteText = remote + sizeof(LVITEMA);
    for (int i = 0; rows && i < static_cast<int>(count); ++i) {
      std::vector<std::string> row;
      for (int c = 0; c < columns; ++c) {
        LVITEMA item = {};
        item.iSubItem = c;
        item.pszText = remoteText;
        item.cchTextMax = static_cast<int>(kTextRoom);
        char text[kTextRoom] = {};
        DWORD_PTR length = 0;
        if (!WriteProcessMemory(process, remote, &item, sizeof item, nullptr) ||
            !SendMessageTimeoutA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote),
                                 SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) ||
            !ReadProcessMemory(process, remoteText, text, sizeof text - 1, nullptr)) {
          rows.reset();
          break;
        }
        row.emplace_back(text, strnlen(text, sizeof text - 1));
      }
      if (rows) rows->push_back(std::move(row));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rows;
}

std::optional<int> GetListViewFocusedRow(HWND list) {
  if (!list || !IsWindow(list)) return std::nullopt;
  DWORD_PTR row = 0;
  if (!SendMessageTimeoutA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED,
                           SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &row))
    return std::nullopt;
  return static_cast<int>(static_cast<LRESULT>(row));
}

}  // namespace e2e
