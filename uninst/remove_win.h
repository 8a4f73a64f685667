// Removing a folder with everything in it, for the uninstaller.
#pragma once

#include <string>

namespace vorta {

// Deletes every entry of `folder` (given without a final backslash) whose name
// does not begin with a dot, each with the shell's delete (a subfolder with
// all its content, nothing to the recycle bin), and then the folder itself.
// True when the folder is gone; an entry that stays (one beginning with a dot,
// a file in use) keeps the folder and makes the answer false.
//
// A link (a junction or a symbolic link) is removed as a link: what it leads
// to is never entered, whether the link is `folder` itself or lies anywhere
// inside it.
bool RemoveFolderTree(const std::string& folder);

}  // namespace vorta
