// What the uninstaller decides without asking the system: the text of the
// batch that deletes it after it has ended, and the folders it refuses to
// empty.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorta {

// The hidden batch that deletes the uninstaller once it has ended: it retries
// deleting `ownPath` until that succeeds, then removes `folder` (only when
// `removeFolder`; rmdir removes an empty folder only), the ".pif" file the
// system may leave for a batch, and finally itself. CR LF line ends, CP932
// paths in double quotes, no terminator; the paths are never cut short. A
// "%" in a path is written "%%", which the command processor reads back as
// "%" instead of expanding a variable.
std::string SelfDeleteBatchText(std::string_view ownPath, std::string_view folder, std::string_view pifPath,
                                std::string_view batchPath, bool removeFolder);

// True when the uninstaller must not run from `folder` (its own folder, with
// or without a final backslash): an empty path, a drive root ("C:\", "C:"), a
// network share's root ("\\server\share"), one of `protectedFolders` (the
// Windows and system folders, the user's profile, desktop and documents,
// Program Files, ...) or a folder that holds one of them. Letters compare in
// either case; double-byte characters compare byte for byte.
bool IsRefusedUninstallFolder(std::string_view folder, const std::vector<std::string>& protectedFolders);

}  // namespace vorta
