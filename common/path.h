// Splitting CP932 paths. A backslash can be the second byte of a double-byte
// character (ソ is 0x83 0x5C), so separators are found with the byte types.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorta {

// Position of the last '\' or '/' that is a character of its own, or npos.
std::size_t LastPathSeparator(std::string_view path);

// Drive and folder of `path`, with the trailing separator ("C:\a\b.exe" gives
// "C:\a\"); empty when the path has no folder part.
std::string FolderOf(std::string_view path);

// The file name without its folder and its extension ("C:\a\vorta.exe" gives "vorta").
std::string FileTitleOf(std::string_view path);

// `path` with its extension replaced by `extension` (which includes the dot).
std::string ReplaceExtension(std::string_view path, std::string_view extension);

}  // namespace vorta
