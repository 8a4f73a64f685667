// Folders and shortcuts for the installer.
#pragma once

#include <windows.h>

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

}  // namespace vorta
