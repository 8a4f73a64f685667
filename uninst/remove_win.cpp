#include "uninst/remove_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace vorta {

namespace {

struct Entry {
  std::string path;
  DWORD attributes;
};

// The entries of `folder` but "." and "..", read before anything is deleted.
// A name with characters the ANSI code page lacks comes with "?" in their
// place, a wildcard that could reach other entries: such an entry goes by its
// short name, or is left alone when it has none.
std::vector<Entry> ListFolder(const std::string& folder) {
  std::vector<Entry> entries;
  WIN32_FIND_DATAA found;
  const HANDLE find = ::FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (name[0] != '.' && name.find('?') != std::string::npos) {  // dot entries stay anyway
      name = found.cAlternateFileName;
      if (name.empty() || name.find('?') != std::string::npos) continue;
    }
    entries.push_back({folder + '\\' + name, found.dwFileAttributes});
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return entries;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Whether a link lies anywhere below `folder` (links are not entered).
bool HoldsLink(const std::string& folder) {
  for (const Entry& entry : ListFolder(folder)) {
    if (IsLink(entry.attributes)) return true;
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && HoldsLink(entry.path)) return true;
  }
  return false;
}

// Removes the link itself, not what it leads to.
void RemoveLink(const Entry& link) {
  if (link.attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesA(link.path.c_str(), link.attributes & ~FILE_ATTRIBUTE_READONLY);
  if ((link.attributes & FILE_ATTRIBUTE_DIRECTORY) && ::RemoveDirectoryA(link.path.c_str())) return;
  ::DeleteFileA(link.path.c_str());
}

// Read-only files would stay where the shell's delete does not clear them
// first (Wine's does not); links are not entered.
void ClearReadOnly(const Entry& entry) {
  if (entry.attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesA(entry.path.c_str(), entry.attributes & ~FILE_ATTRIBUTE_READONLY);
  if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(entry.attributes)) {
    for (const Entry& inner : ListFolder(entry.path)) ClearReadOnly(inner);
  }
}

// The shell's delete of one file or folder with its content.
void ShellDelete(const std::string& path) {
  std::string from = path;
  from.append(2, '\0');  // a list of one name, ended by an empty one
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NOCONFIRMATION;
  ::SHFileOperationA(&operation);
}

}  // namespace

bool RemoveFolderTree(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && IsLink(attributes)) {
    RemoveLink({folder, attributes});
    return ::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  for (const Entry& entry : ListFolder(folder)) {
    const std::string name = entry.path.substr(folder.size() + 1);
    if (name[0] == '.') continue;  // kept, and with it the folder
    if (IsLink(entry.attributes)) {
      RemoveLink(entry);
    } else if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && HoldsLink(entry.path)) {
      RemoveFolderTree(entry.path);
    } else {
      ClearReadOnly(entry);
      ShellDelete(entry.path);
    }
  }
  ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder.c_str(), nullptr);
  return ::RemoveDirectoryA(folder.c_str()) != FALSE;
}

}  // namespace vorta
