// What an installation leaves outside its folder — the registry value
// "Path", the Start-menu group, the desktop shortcut — read, made and cleaned
// up for the installer's and the uninstaller's end-to-end tests, and the
// message boxes of those two programs.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "harness/e2e.h"

namespace {

using namespace e2e;

constexpr char kRegistryKey[] = "Software\\tavelo-soft\\vorta95";

inline std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}
inline std::string GroupFolder() { return JoinPath(ShellFolder(CSIDL_PROGRAMS), "ミルネ2000"); }
inline std::string DesktopShortcut() { return JoinPath(ShellFolder(CSIDL_DESKTOPDIRECTORY), "ミルネ2000.lnk"); }

struct RegistryValue {
  DWORD type = 0;
  std::string bytes;
};

inline std::optional<RegistryValue> ReadPathValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  RegistryValue value;
  char data[1024] = {};
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExA(key, "Path", nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  value.bytes.assign(data, size);
  return value;
}

// The value as a C string reader sees it (with or without a stored zero).
inline std::optional<std::string> StoredPath() {
  const auto value = ReadPathValue();
  if (!value) return std::nullopt;
  return std::string(value->bytes.c_str());
}

inline void WritePathValue(const RegistryValue& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Path", 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                 static_cast<DWORD>(value.bytes.size()));
  RegCloseKey(key);
}

// Deletes "Path", and the keys above it that are left empty.
inline void DeletePathValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, "Path");
    RegCloseKey(key);
  }
  for (const char* name : {kRegistryKey, "Software\\tavelo-soft"}) {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (subkeys != 0 || values != 0) return;
    RegDeleteKeyA(HKEY_CURRENT_USER, name);
  }
}

// What an installation leaves outside its folder (the "Path" value, the
// program group, the desktop shortcut), removed before and after each test.
// The tests share one Wine user; a value that was there before comes back.
class InstallTraces {
 public:
  InstallTraces() : saved_(ReadPathValue()) { Clear(); }
  ~InstallTraces() {
    Clear();
    if (saved_) WritePathValue(*saved_);
  }
  static void Clear() {
    DeletePathValue();
    RemoveTree(GroupFolder());
    SetReadOnly(DesktopShortcut(), false);
    DeleteFileA(DesktopShortcut().c_str());
    RemoveDirectoryA(DesktopShortcut().c_str());
  }

 private:
  std::optional<RegistryValue> saved_;
};

// A folder outside the temporary folder (C:\VORTA), gone before and after.
class FixedFolder {
 public:
  explicit FixedFolder(std::string path) : path_(std::move(path)) { RemoveTree(path_); }
  ~FixedFolder() { RemoveTree(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Shortcut {
  std::string target, working;
};

inline std::optional<Shortcut> ReadShortcut(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  CoInitialize(nullptr);
  std::optional<Shortcut> result;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
      if (SUCCEEDED(file->Load(wide, STGM_READ))) {
        char target[MAX_PATH] = {}, working[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(working, MAX_PATH);
        result = Shortcut{target, working};
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return result;
}

// The self-delete batches and their ".pif" files in a folder.
inline std::vector<std::string> Batches(const std::string& folder) {
  std::vector<std::string> names;
  for (const char* pattern : {"DEL*.bat", "DEL*.pif"}) {
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA(JoinPath(folder, pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    do names.push_back(JoinPath(folder, found.cFileName));
    while (FindNextFileA(find, &found));
    FindClose(find);
  }
  return names;
}

// Every file and folder under `folder`, as paths.
inline void ListTree(const std::string& folder, std::set<std::string>* paths) {
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = JoinPath(folder, name);
    paths->insert(path);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      ListTree(path, paths);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

// Every key under `key`, with its values' names.
inline void ListKeys(HKEY root, const std::string& name, std::set<std::string>* keys) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  keys->insert(name);
  char child[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof child;
    if (RegEnumValueA(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    keys->insert(name + " :" + child);
  }
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof child;
    if (RegEnumKeyExA(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    ListKeys(root, name + "\\" + child, keys);
  }
  RegCloseKey(key);
}

inline std::vector<std::string> Difference(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::vector<std::string> out;
  std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

// A message box of the program `pid` with this caption: a visible dialog with
// the message text control, other than `dialog` (the program's own dialog
// has the same caption and class).
inline HWND FindProgramBox(DWORD pid, const std::string& caption, HWND dialog) {
  return FindVisibleWindow(pid, [&](HWND hwnd) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return hwnd != dialog && std::string(cls) == "#32770" && GetDlgItem(hwnd, 0xFFFF) && GetText(hwnd) == caption;
  });
}

}  // namespace
