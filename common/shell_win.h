// Folders and shortcuts for the installer.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

namespace vorta {

// Makes sure the folder that holds `path` exists, creating it when it does
// not; only that one level is ever created, so a path two or more levels
// below the nearest existing folder fails. False when `path` has no parent
// folder or the parent cannot be created.
bool EnsureParentFolder(const std::string& path);

// Writes a shell shortcut at `shortcutPath` (an existing one is replaced) that
// starts `folder` + `fileName` in `folder`; `folder` ends with a backslash.
// Nothing else is set. Returns the COM result; anything but S_OK is a failure.
// COM must be initialised on the calling thread.
HRESULT CreateShortcut(const std::string& folder, const std::string& fileName, const std::string& shortcutPath);

// A folder of the user's shell by its CSIDL (CSIDL_PROGRAMS, CSIDL_DESKTOP),
// through its item list; "" when the shell cannot give it as a path.
std::string ShellFolderPath(int csidl);

// COM on the calling thread for as long as the object lives.
class ComScope {
 public:
  ComScope() : result_(::CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

}  // namespace vorta
