// uninst.exe: removes what setup and the journal made — the program files,
// the DATA folder with the diary, the profile, the Start-menu group, the
// desktop shortcut and the registry keys — and then, through a hidden batch
// that runs once it has ended, itself and the install folder.
//
// The install folder is always the folder uninst.exe runs from. It asks once;
// after "はい" every step runs, failures only being noted and reported.
// Exit codes: 0 for a second copy, 2 for "いいえ", 1 otherwise.
#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/ini_file_win.h"
#include "common/instance_win.h"
#include "common/path.h"
#include "common/shell_win.h"
#include "uninst/remove_win.h"
#include "uninst/res/resource.h"
#include "uninst/uninst_rules.h"

namespace {

using vorta::CheckFolderPath;
using vorta::EndsWithBackslash;
using vorta::FolderCheck;

constexpr char kMutexName[] = "Mutex_UinstInstance";

// Deleted from the install folder in this order; uninst.exe goes last, by
// the batch.
constexpr const char* kProgramFiles[] = {"vorta.exe", "vorta.hlp", "vorta.cnt", "readme.txt"};
constexpr char kHelpFile[] = "vorta.hlp";

constexpr char kGroupName[] = "ミルネ2000";
constexpr char kDesktopShortcut[] = "ミルネ2000.lnk";

// "ミルネ アンインストール": the dialog's title and every message box's caption.
std::string g_caption;

void Say(const char* text) { ::MessageBoxA(nullptr, text, g_caption.c_str(), MB_OK | MB_ICONINFORMATION); }

std::string LoadText(HINSTANCE instance, UINT id) {
  char text[256] = {};
  ::LoadStringA(instance, id, text, sizeof text);
  return text;
}

// The running program's path; as long as the buffer when it was cut short.
std::string ModulePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length >= MAX_PATH ? std::string(MAX_PATH, '?') : std::string(path, length);
}

std::string WithBackslash(std::string folder) {
  if (!EndsWithBackslash(folder)) folder += '\\';
  return folder;
}

std::string WithoutBackslash(std::string folder) {
  if (folder.size() > 1 && EndsWithBackslash(folder)) folder.pop_back();
  return folder;
}

// The folders no program of ours is ever installed into by itself: the
// uninstaller refuses to empty them or a folder that holds one of them.
std::vector<std::string> SystemFolders() {
  std::vector<std::string> folders;
  char path[MAX_PATH] = {};
  if (::GetWindowsDirectoryA(path, MAX_PATH)) folders.push_back(path);
  if (::GetSystemDirectoryA(path, MAX_PATH)) folders.push_back(path);
  const DWORD tempLength = ::GetTempPathA(MAX_PATH, path);
  if (tempLength > 0 && tempLength < MAX_PATH) folders.push_back(path);
  for (int csidl : {CSIDL_SYSTEMX86, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
                    CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO,
                    CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAMS,
                    CSIDL_COMMON_PROGRAMS, CSIDL_STARTUP, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA}) {
    path[0] = '\0';
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0])
      folders.push_back(path);
  }
  for (REFKNOWNFOLDERID id : {FOLDERID_Downloads, FOLDERID_Public}) {
    PWSTR wide = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &wide)) &&
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr) > 0)
      folders.push_back(path);
    ::CoTaskMemFree(wide);
  }
  return folders;
}

// The identity of a folder (volume and index), which every name of it shares:
// short names, other letters, links that lead to it.
bool FolderIdentity(const std::string& folder, BY_HANDLE_FILE_INFORMATION* info) {
  const HANDLE handle = ::CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(handle, info) != FALSE;
  ::CloseHandle(handle);
  return known;
}

// Whether uninst must refuse to run from `installFolder` (with its final
// backslash): by name, long or short, and by identity.
bool IsRefusedFolder(const std::string& installFolder) {
  const std::vector<std::string> system = SystemFolders();
  char longName[MAX_PATH] = {};
  const DWORD length = ::GetLongPathNameA(installFolder.c_str(), longName, MAX_PATH);
  const std::string named = length > 0 && length < MAX_PATH ? std::string(longName) : installFolder;
  if (vorta::IsRefusedUninstallFolder(installFolder, system) || vorta::IsRefusedUninstallFolder(named, system))
    return true;
  BY_HANDLE_FILE_INFORMATION own{};
  if (!FolderIdentity(installFolder, &own)) return true;  // cannot tell what it is
  for (const std::string& folder : system) {
    BY_HANDLE_FILE_INFORMATION other{};
    if (FolderIdentity(folder, &other) && other.dwVolumeSerialNumber == own.dwVolumeSerialNumber &&
        other.nFileIndexHigh == own.nFileIndexHigh && other.nFileIndexLow == own.nFileIndexLow)
      return true;
  }
  return false;
}

// ---- The uninstall dialog ------------------------------------------------------

INT_PTR CALLBACK UninstDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto smallIcon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_UNINST),
                                                             IMAGE_ICON, 16, 16, LR_SHARED));
      ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
      ::ShowWindow(dialog, SW_SHOW);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:      // "はい"
        case IDCANCEL:  // "いいえ", Enter, Esc and the close box
          ::EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      break;
    case vorta::kInstanceQuery:
      if (wParam == vorta::kInstanceQueryCode) vorta::RaiseOnInstanceQuery(dialog);
      return TRUE;
  }
  return FALSE;
}

// ---- The removal steps -----------------------------------------------------------

// Deletes one file, read-only or not. True when it is gone or was never there.
bool DeleteProgramFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  return ::DeleteFileA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// True when the install folder holds nothing but the running program.
bool OnlyOwnFileLeft(const std::string& installFolder, std::string ownName) {
  vorta::LowerSingleBytes(ownName);
  WIN32_FIND_DATAA found;
  const HANDLE find = ::FindFirstFileA((installFolder + "*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool alone = true;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    vorta::LowerSingleBytes(name);
    if (name != ownName) {
      alone = false;
      break;
    }
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return alone;
}

// The journal's settings file and the folders made for it, when nothing else
// is in them; and a settings file an old version kept in the Windows folder.
void RemoveProfile() {
  const std::string profile = vorta::ProfilePath();
  if (!profile.empty()) {
    ::DeleteFileA(profile.c_str());
    const std::string programFolder = WithoutBackslash(vorta::FolderOf(profile));  // ...\tavelo-soft\vorta95
    ::RemoveDirectoryA(programFolder.c_str());
    ::RemoveDirectoryA(WithoutBackslash(vorta::FolderOf(programFolder)).c_str());  // ...\tavelo-soft
  }
  char windows[MAX_PATH] = {};
  if (::GetWindowsDirectoryA(windows, MAX_PATH)) ::DeleteFileA((WithBackslash(windows) + "vorta.ini").c_str());
}

// The program group with its shortcuts. False when it is there and stays.
bool RemoveProgramGroup() {
  const std::string programs = vorta::ShellFolderPath(CSIDL_PROGRAMS);
  if (programs.empty()) return true;
  const std::string group = WithBackslash(programs) + kGroupName;
  if (CheckFolderPath(group) != FolderCheck::kExists) return true;
  const bool removed = vorta::RemoveFolderTree(group);
  ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, group.c_str(), nullptr);
  return removed;
}

// The desktop shortcut. False when it is there and stays.
bool RemoveDesktopShortcut() {
  const std::string desktop = vorta::ShellFolderPath(CSIDL_DESKTOP);
  if (desktop.empty()) return true;
  const std::string shortcut = WithBackslash(desktop) + kDesktopShortcut;
  if (CheckFolderPath(shortcut) != FolderCheck::kExists) return true;
  const bool removed = ::DeleteFileA(shortcut.c_str()) != FALSE;
  ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, WithBackslash(desktop).c_str(), nullptr);
  return removed;
}

// Deletes `name` under `key`; on failure shows `failure` with the error.
bool DeleteKey(HKEY key, const char* name, const char* failure) {
  const LONG result = ::RegDeleteKeyA(key, name);
  if (result == ERROR_SUCCESS) return true;
  ::SetLastError(static_cast<DWORD>(result));
  const DWORD error = ::GetLastError();
  char text[128];
  std::snprintf(text, sizeof text, failure, static_cast<int>(error));
  Say(text);
  return false;
}

// The journal's key and then the maker's, which goes only when nothing else
// is left under it.
void RemoveRegistryKeys() {
  HKEY maker = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\tavelo-soft", 0, KEY_WRITE, &maker) != ERROR_SUCCESS) {
    Say("レジストリのオープンに失敗しました。");
    return;
  }
  const bool removed = DeleteKey(maker, "vorta95", "\"vorta95\"レジストリの削除に失敗しました。(%d)");
  ::RegCloseKey(maker);
  if (!removed) return;
  HKEY software = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_WRITE, &software) != ERROR_SUCCESS) return;
  DeleteKey(software, "tavelo-soft", "\"tavelo-soft\"レジストリの削除に失敗しました。(%d)");
  ::RegCloseKey(software);
}

// Writes the self-delete batch into `folder` (with its final backslash);
// false when it cannot be made there.
bool WriteBatch(const std::string& folder, const std::string& ownPath, bool removeFolder, std::string* batchPath) {
  char unique[MAX_PATH] = {};
  if (!::GetTempFileNameA(folder.c_str(), "DEL", 0, unique)) return false;
  ::DeleteFileA(unique);
  const std::string batch = vorta::ReplaceExtension(unique, ".bat");
  const std::string pif = vorta::ReplaceExtension(unique, ".pif");
  const std::string text =
      vorta::SelfDeleteBatchText(ownPath, WithoutBackslash(vorta::FolderOf(ownPath)), pif, batch, removeFolder);
  const HANDLE file = ::CreateFileA(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                        written == text.size();
  ::CloseHandle(file);
  if (!complete) {
    ::DeleteFileA(batch.c_str());
    return false;
  }
  *batchPath = batch;
  return true;
}

// Hands the deletion of uninst.exe (and of the emptied install folder when
// `removeFolder`) to a hidden batch that waits at idle priority until this
// process has ended. The batch goes to the root of our drive, or to the
// temporary folder when the root cannot be written. When neither works
// uninst.exe stays.
void ScheduleSelfDelete(bool removeFolder) {
  const std::string ownPath = ModulePath();
  // The batch's "del" gives up on a read-only file and would try for ever.
  const DWORD attributes = ::GetFileAttributesA(ownPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesA(ownPath.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  std::string batch;
  const bool onDrive = ownPath.size() > 2 && ownPath[1] == ':';
  char temp[MAX_PATH] = {};
  const DWORD tempLength = ::GetTempPathA(MAX_PATH, temp);
  if (!(onDrive && WriteBatch(ownPath.substr(0, 2) + "\\", ownPath, removeFolder, &batch)) &&
      !(tempLength > 0 && tempLength < MAX_PATH && WriteBatch(WithBackslash(temp), ownPath, removeFolder, &batch)))
    return;

  std::string commandLine = "\"" + batch + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  // From the drive root, so that the batch does not hold the install folder.
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                        nullptr, "\\", &startup, &process)) {
    ::DeleteFileA(batch.c_str());
    return;
  }
  ::SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  ::CloseHandle(process.hProcess);
  ::ResumeThread(process.hThread);
  ::CloseHandle(process.hThread);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_caption = LoadText(instance, IDS_UNINST_TITLE);

  // One copy at a time: a second one wakes the first and ends.
  if (!vorta::ClaimSingleInstance(kMutexName, g_caption.c_str())) return 0;

  // Only from a folder of its own: never empty a drive root or a system folder,
  // nor a folder whose name cannot be had whole (too long, or with characters
  // the ANSI code page lacks, which come as "?", a wildcard).
  const std::string ownPath = ModulePath();
  const std::string installFolder = WithBackslash(vorta::FolderOf(ownPath));
  if (ownPath.size() >= MAX_PATH - 1 || ownPath.find('?') != std::string::npos || vorta::FolderOf(ownPath).empty() ||
      IsRefusedFolder(installFolder)) {
    Say("この場所からはアンインストールできません。");
    return 1;
  }

  const INT_PTR answer = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UNINST), nullptr, UninstDialogProc, 0);
  if (answer != IDOK) return static_cast<int>(answer);

  bool failed = false;           // something of the install folder stays
  bool shortcutMessage = false;  // a shortcut failure has been reported

  for (const char* name : kProgramFiles) {
    const std::string path = installFolder + name;
    if (!DeleteProgramFile(path)) {
      failed = true;
      continue;
    }
    // The help system's index beside the help file.
    if (std::string(name) == kHelpFile && !DeleteProgramFile(vorta::ReplaceExtension(path, ".GID"))) failed = true;
  }

  const std::string data = installFolder + "DATA";
  if (CheckFolderPath(data) == FolderCheck::kExists) {
    if (!vorta::RemoveFolderTree(data)) failed = true;
    ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA, installFolder.c_str(), nullptr);
  }

  if (!failed && !OnlyOwnFileLeft(installFolder, vorta::FileTitleOf(ownPath) + ".exe")) failed = true;

  RemoveProfile();

  {
    vorta::ComScope com;
    if (!RemoveProgramGroup()) {
      Say("プログラムグループが削除できませんでした。");
      shortcutMessage = true;
    }
    if (!RemoveDesktopShortcut()) {
      Say("デスクトップのショートカットが削除できませんでした。");
      shortcutMessage = true;
    }
  }

  RemoveRegistryKeys();

  if (failed) {
    Say("いくつかのファイル 又は フォルダが削除できませんでした。");
    ScheduleSelfDelete(false);
  } else {
    if (!shortcutMessage) Say("ミルネ アンインストールを完了しました。");
    ScheduleSelfDelete(true);
  }
  return 1;  // the mutex goes with the process
}
