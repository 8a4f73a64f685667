#include "common/shell_win.h"

#include <objidl.h>
#include <shlobj.h>

#include "common/path.h"

namespace vorta {

bool EnsureParentFolder(const std::string& path) {
  std::string parent = path;
  if (EndsWithBackslash(parent)) parent.pop_back();
  const std::size_t separator = LastPathSeparator(parent);
  if (separator == std::string::npos || parent[separator] != '\\') return false;
  parent.resize(separator);
  if (CheckFolderPath(parent) == FolderCheck::kExists) return true;
  return ::CreateDirectoryA(parent.c_str(), nullptr) != FALSE;
}

HRESULT CreateShortcut(const std::string& folder, const std::string& fileName, const std::string& shortcutPath) {
  IShellLinkA* link = nullptr;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&link));
  if (FAILED(result)) return result;
  link->SetPath((folder + fileName).c_str());
  std::string workingFolder = folder;
  if (EndsWithBackslash(workingFolder)) workingFolder.pop_back();
  link->SetWorkingDirectory(workingFolder.c_str());
  IPersistFile* file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(result)) {
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, shortcutPath.c_str(), -1, wide, MAX_PATH);
    result = file->Save(wide, TRUE);
    file->Release();
  }
  link->Release();
  return result;
}

std::string ShellFolderPath(int csidl) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr) return {};
  char path[MAX_PATH] = {};
  const bool found = ::SHGetPathFromIDListA(list, path) != FALSE;
  ::CoTaskMemFree(list);
  return found ? path : std::string();
}

}  // namespace vorta
