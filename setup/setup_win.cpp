// setup.exe: asks where to install, copies the program files from its own
// folder there, makes the Start-menu group and the desktop shortcut, creates
// the DATA folder and converts the month files an old version left behind.
//
// It runs once from top to bottom. Every failure ends it at once with its
// message; nothing done before is undone. Exit codes: 0 for a second copy and
// after a DATA folder failure, 2 after Cancel, 1 otherwise.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "common/instance_win.h"
#include "common/path.h"
#include "common/shell_win.h"
#include "setup/convert_win.h"
#include "setup/res/resource.h"

namespace {

using vorta::CheckFolderPath;
using vorta::EndsWithBackslash;
using vorta::FolderCheck;

constexpr char kMutexName[] = "Mutex_SetupInstance";
constexpr char kRegistryKey[] = "Software\\tavelo-soft\\vorta95";
constexpr char kPathValue[] = "Path";

// Copied in this order from the setup folder into the install folder.
constexpr const char* kProgramFiles[] = {"vorta.exe", "vorta.hlp", "vorta.cnt", "readme.txt", "uninst.exe"};

constexpr char kGroupName[] = "ミルネ2000";
struct GroupShortcut {
  const char* shortcut;
  const char* target;
};
constexpr GroupShortcut kGroupShortcuts[] = {{"ミルネ.lnk", "vorta.exe"}, {"ヘルプ.lnk", "vorta.hlp"}};
constexpr char kDesktopShortcut[] = "ミルネ2000.lnk";

// "ミルネ セットアップ": the dialog's title and every message box's caption.
std::string g_caption;

// What the dialog hands to the installation.
struct SetupChoice {
  std::string installFolder;  // as accepted, without a backslash added
  bool startMenu = false;
  bool desktop = false;
};

int Say(HWND owner, const char* text, UINT style) {
  return ::MessageBoxA(owner, text, g_caption.c_str(), style);
}

std::string LoadText(HINSTANCE instance, UINT id) {
  char text[256] = {};
  ::LoadStringA(instance, id, text, sizeof text);
  return text;
}

std::string ControlText(HWND dialog, int id) {
  const HWND control = ::GetDlgItem(dialog, id);
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

// CheckFolderPath's "exists" counts a file of that name too; we install only
// into a folder. (A final backslash would make the file's name unreadable.)
bool IsFileNotFolder(std::string path) {
  if (path.size() > 3 && EndsWithBackslash(path)) path.pop_back();
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// True when both names lead to the same file: setup started from the folder
// it installs into has nothing to copy.
bool IsSameFile(const std::string& a, const std::string& b) {
  auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = ::GetFileInformationByHandle(file, info) != FALSE;
    ::CloseHandle(file);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return identify(a, &first) && identify(b, &second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

// ---- The setup dialog ----------------------------------------------------------

// Opens the folder browser at the folder named in the edit field.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

void BrowseForFolder(HWND dialog) {
  const std::string current = ControlText(dialog, IDC_INSTALL_FOLDER);
  const HRESULT com = ::CoInitialize(nullptr);
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = dialog;
  info.pszDisplayName = displayName;
  info.lpszTitle = "インストールする場所を指定してください。";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(current.c_str());
  for (;;) {
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    if (chosen == nullptr) break;  // cancelled: nothing changes
    char path[MAX_PATH] = {};
    const bool isPath = ::SHGetPathFromIDListA(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    if (isPath) {
      ::SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, path);
      break;
    }
    Say(dialog, "正しい場所を選択してください。", MB_OK | MB_ICONINFORMATION);
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  // Back in the field with the caret at the end, ready to type a subfolder.
  const HWND edit = ::GetDlgItem(dialog, IDC_INSTALL_FOLDER);
  ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  ::SendMessageA(edit, EM_SETSEL, 0, -1);
  ::SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

// OK: the folder must be well formed and exist, or be created now. False
// keeps the dialog open.
bool AcceptFolder(HWND dialog, SetupChoice* choice) {
  const std::string folder = ControlText(dialog, IDC_INSTALL_FOLDER);
  switch (CheckFolderPath(folder)) {
    case FolderCheck::kMalformed:
      Say(dialog, "正しい場所を選択してください。", MB_OK | MB_ICONINFORMATION);
      return false;
    case FolderCheck::kExists:
      if (IsFileNotFolder(folder)) {
        Say(dialog, "正しい場所を選択してください。", MB_OK | MB_ICONINFORMATION);
        return false;
      }
      break;
    case FolderCheck::kAbsent:
      if (Say(dialog, "フォルダが存在しません。フォルダを作成しますか?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
      if (!vorta::EnsureParentFolder(folder) || !::CreateDirectoryA(folder.c_str(), nullptr)) {
        Say(dialog, "フォルダの作成に失敗しました。", MB_OK | MB_ICONERROR);
        return false;
      }
      break;
  }
  choice->installFolder = folder;
  choice->startMenu = ::IsDlgButtonChecked(dialog, IDC_START_MENU) == BST_CHECKED;
  choice->desktop = ::IsDlgButtonChecked(dialog, IDC_DESKTOP) == BST_CHECKED;
  return true;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      auto* choice = reinterpret_cast<SetupChoice*>(lParam);
      const auto smallIcon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP),
                                                             IMAGE_ICON, 16, 16, LR_SHARED));
      ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
      ::SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, choice->installFolder.c_str());
      ::SendDlgItemMessageA(dialog, IDC_INSTALL_FOLDER, EM_SETSEL, 0, -1);
      ::CheckDlgButton(dialog, IDC_START_MENU, BST_CHECKED);
      ::CheckDlgButton(dialog, IDC_DESKTOP, BST_CHECKED);
      ::ShowWindow(dialog, SW_SHOW);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          auto* choice = reinterpret_cast<SetupChoice*>(::GetWindowLongPtrA(dialog, DWLP_USER));
          if (AcceptFolder(dialog, choice)) {
            ::EndDialog(dialog, IDOK);
          } else {
            ::SetFocus(::GetDlgItem(dialog, IDC_INSTALL_FOLDER));
          }
          return TRUE;
        }
        case IDCANCEL:  // also Esc and the close box
          ::EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_BROWSE:
          BrowseForFolder(dialog);
          return TRUE;
      }
      break;
    case vorta::kInstanceQuery:
      if (wParam == vorta::kInstanceQueryCode) vorta::RaiseOnInstanceQuery(dialog);
      return TRUE;
  }
  return FALSE;
}

// ---- The installation steps --------------------------------------------------------

// Stores the install folder for the next run, creating the key when the
// first attempt fails. A failure is not reported: the install goes on.
void StoreInstallFolder(const std::string& folder, DWORD type) {
  const auto size = static_cast<DWORD>(folder.size());
  if (::SHSetValueA(HKEY_CURRENT_USER, kRegistryKey, kPathValue, type, folder.c_str(), size) == ERROR_SUCCESS) return;
  HKEY software = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_WRITE, &software) == ERROR_SUCCESS) {
    HKEY created = nullptr;
    if (::RegCreateKeyExA(software, "tavelo-soft\\vorta95", 0, nullptr, 0, KEY_CREATE_SUB_KEY, nullptr, &created,
                          nullptr) == ERROR_SUCCESS)
      ::RegCloseKey(created);
    ::RegCloseKey(software);
  }
  ::SHSetValueA(HKEY_CURRENT_USER, kRegistryKey, kPathValue, type, folder.c_str(), size);
}

// Copies the five program files; on a failure says which and answers false.
bool CopyProgramFiles(const std::string& setupFolder, const std::string& installFolder) {
  for (const char* name : kProgramFiles) {
    const std::string source = setupFolder + name;
    const std::string target = installFolder + name;
    if (IsSameFile(source, target)) continue;
    if (::CopyFileA(source.c_str(), target.c_str(), FALSE)) continue;
    const DWORD error = ::GetLastError();
    char text[MAX_PATH + 64];
    std::snprintf(text, sizeof text,
                  error == ERROR_FILE_NOT_FOUND ? "ファイル '%s' が見つかりません。" : "ファイル '%s' のコピーに失敗しました。",
                  name);
    Say(nullptr, text, MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

// The program group "ミルネ2000" with its two shortcuts.
bool MakeProgramGroup(const std::string& installFolder) {
  vorta::ComScope com;
  std::string group = vorta::ShellFolderPath(CSIDL_PROGRAMS);
  if (group.empty()) return false;
  if (!EndsWithBackslash(group)) group += '\\';
  group += kGroupName;
  switch (CheckFolderPath(group)) {
    case FolderCheck::kExists:
      break;
    case FolderCheck::kAbsent:
      if (!::CreateDirectoryA(group.c_str(), nullptr)) return false;
      ::SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, group.c_str(), nullptr);
      break;
    case FolderCheck::kMalformed:
      return false;
  }
  bool made = true;
  for (const GroupShortcut& link : kGroupShortcuts) {
    if (vorta::CreateShortcut(installFolder, link.target, group + '\\' + link.shortcut) != S_OK) {
      made = false;
      break;
    }
  }
  ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, group.c_str(), nullptr);
  return made;
}

bool MakeDesktopShortcut(const std::string& installFolder) {
  vorta::ComScope com;
  std::string desktop = vorta::ShellFolderPath(CSIDL_DESKTOP);
  if (desktop.empty()) return false;
  if (!EndsWithBackslash(desktop)) desktop += '\\';
  const HRESULT result = vorta::CreateShortcut(installFolder, "vorta.exe", desktop + kDesktopShortcut);
  ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, desktop.c_str(), nullptr);
  return result == S_OK;
}

// The folder the journal keeps its month files in.
bool MakeDataFolder(const std::string& dataFolder) {
  switch (CheckFolderPath(dataFolder)) {
    case FolderCheck::kExists:
      return !IsFileNotFolder(dataFolder);
    case FolderCheck::kAbsent:
      return ::CreateDirectoryA(dataFolder.c_str(), nullptr) != FALSE;
    case FolderCheck::kMalformed:
      return false;
  }
  return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_caption = LoadText(instance, IDS_SETUP_TITLE);

  // One copy at a time: a second one wakes the first and ends.
  if (!vorta::ClaimSingleInstance(kMutexName, g_caption.c_str())) return 0;

  // The folder of the last installation, else the drive of Windows + "\VORTA".
  SetupChoice choice;
  DWORD pathType = REG_SZ;
  char stored[MAX_PATH + 1] = {};
  DWORD storedSize = MAX_PATH;
  if (::SHGetValueA(HKEY_CURRENT_USER, kRegistryKey, kPathValue, &pathType, stored, &storedSize) == ERROR_SUCCESS &&
      (pathType == REG_SZ || pathType == REG_EXPAND_SZ)) {
    choice.installFolder = stored;
    if (EndsWithBackslash(choice.installFolder)) choice.installFolder.pop_back();
  } else {
    pathType = REG_SZ;
    char windows[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string drive = length >= 2 && windows[1] == ':' ? std::string(windows, 2) : std::string("C:");
    choice.installFolder = drive + "\\VORTA";
  }

  const INT_PTR answer = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDialogProc,
                                           reinterpret_cast<LPARAM>(&choice));
  if (answer != IDOK) return static_cast<int>(answer);

  char modulePath[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  const std::string setupFolder = vorta::FolderOf(modulePath);

  StoreInstallFolder(choice.installFolder, pathType);
  std::string installFolder = choice.installFolder;
  if (!EndsWithBackslash(installFolder)) installFolder += '\\';

  if (!CopyProgramFiles(setupFolder, installFolder)) return 1;
  if (choice.startMenu && !MakeProgramGroup(installFolder)) {
    Say(nullptr, "グループの登録に失敗しました。", MB_OK | MB_ICONERROR);
    return 1;
  }
  if (choice.desktop && !MakeDesktopShortcut(installFolder)) {
    Say(nullptr, "デスクトップのショートカット作成に失敗しました。", MB_OK | MB_ICONERROR);
    return 1;
  }
  if (!MakeDataFolder(installFolder + "DATA")) {
    Say(nullptr, "フォルダの作成に失敗しました。", MB_OK | MB_ICONERROR);
    return 0;
  }
  vorta::ConvertLegacyFolder(installFolder,
                             [](const std::string& text, UINT icon) { Say(nullptr, text.c_str(), MB_OK | icon); });
  Say(nullptr, "インストールが完了しました。", MB_OK | MB_ICONINFORMATION);
  return 1;
}
