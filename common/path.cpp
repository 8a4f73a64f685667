#include "common/path.h"

#include "common/byte_type.h"

namespace vorta {

std::size_t LastPathSeparator(std::string_view path) {
  const auto types = ClassifyByteTypes(path);
  for (std::size_t i = path.size(); i-- > 0;) {
    if ((path[i] == '\\' || path[i] == '/') && types[i] == kSingleByte) return i;
  }
  return std::string_view::npos;
}

std::string FolderOf(std::string_view path) {
  std::size_t end = LastPathSeparator(path);
  if (end != std::string_view::npos) return std::string(path.substr(0, end + 1));
  // "C:vorta.exe": the drive alone.
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  return {};
}

namespace {

// Position of the extension's dot within the file name, or npos. A dot is
// never part of a double-byte character.
std::size_t ExtensionDot(std::string_view path) {
  const std::size_t sep = LastPathSeparator(path);
  const std::size_t name = sep == std::string_view::npos ? 0 : sep + 1;
  const std::size_t dot = path.find_last_of('.');
  return dot == std::string_view::npos || dot < name ? std::string_view::npos : dot;
}

}  // namespace

std::string FileTitleOf(std::string_view path) {
  const std::size_t sep = LastPathSeparator(path);
  const std::size_t begin = sep == std::string_view::npos ? (path.size() >= 2 && path[1] == ':' ? 2 : 0) : sep + 1;
  const std::size_t dot = ExtensionDot(path);
  return std::string(path.substr(begin, (dot == std::string_view::npos ? path.size() : dot) - begin));
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  const std::size_t dot = ExtensionDot(path);
  return std::string(path.substr(0, dot == std::string_view::npos ? path.size() : dot)) + std::string(extension);
}

bool EndsWithBackslash(std::string_view s) {
  if (s.empty() || s.back() != '\\') return false;
  return ClassifyByteTypes(s).back() == kSingleByte;
}

namespace {

void LowerSingleBytes(std::string& s, const std::vector<std::uint8_t>& types) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (types[i] == kSingleByte && s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] - 'A' + 'a');
  }
}

// No control byte, and every lead byte followed by a proper second byte.
bool BytesAreWellFormed(std::string_view path, const std::vector<std::uint8_t>& types) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c < 0x20 || c == 0x7F) return false;
    if (types[i] == kLeadByte && (i + 1 == path.size() || !IsTrailByte(static_cast<unsigned char>(path[i + 1])))) {
      return false;
    }
  }
  return true;
}

// The characters Windows refuses in a name, from `from` on. None of " / * ? <
// > : can be a second byte; '|' (0x7C) can, and is allowed there only.
bool HasForbiddenCharacter(std::string_view path, const std::vector<std::uint8_t>& types, std::size_t from) {
  for (std::size_t i = from; i < path.size(); ++i) {
    switch (path[i]) {
      case '"': case '/': case '*': case '?': case '<': case '>': case ':':
        return true;
      case '|':
        if (types[i] != kTrailByte) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

// A separator from `from` on followed by another separator (an empty name) or by
// a dot (".", ".." and hidden names alike). A 0x5C that is a second byte is no
// separator, and the byte after it starts a new character.
bool HasEmptyOrDotName(std::string_view path, const std::vector<std::uint8_t>& types, std::size_t from) {
  for (std::size_t i = from; i + 1 < path.size(); ++i) {
    if (path[i] == '\\' && types[i] == kSingleByte && (path[i + 1] == '\\' || path[i + 1] == '.')) return true;
  }
  return false;
}

}  // namespace

void LowerSingleBytes(std::string& s) { LowerSingleBytes(s, ClassifyByteTypes(s)); }

FolderCheck CheckFolderPath(std::string_view path, const FileSystemProbe& fs) {
  if (path.empty() || path.size() > kMaxFolderPathBytes) return FolderCheck::kMalformed;
  const auto types = ClassifyByteTypes(path);
  if (!BytesAreWellFormed(path, types)) return FolderCheck::kMalformed;
  // A backslash is never a lead byte, so the two leading ones are characters.
  const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
  const bool trailing_backslash = path.back() == '\\' && types.back() == kSingleByte;

  if (network) {
    if (path.size() == 2 || path[2] == '\\' || path[2] == '.') return FolderCheck::kMalformed;
    if (HasForbiddenCharacter(path, types, 2) || HasEmptyOrDotName(path, types, 2)) return FolderCheck::kMalformed;
    std::string pattern(path);
    if (ExtensionDot(path) == std::string_view::npos) pattern += trailing_backslash ? "*.*" : "\\*.*";
    return fs.Exists(pattern) ? FolderCheck::kExists : FolderCheck::kAbsent;
  }

  // "C:" is the root "C:\"; "C:\a\" is "C:\a". "C:" with two backslashes keeps
  // both and fails below.
  std::string folder(path);
  if (trailing_backslash && folder.size() > 4) folder.pop_back();
  if (folder.size() == 2) folder += '\\';
  std::string lowered = folder;
  LowerSingleBytes(lowered, ClassifyByteTypes(lowered));

  bool on_drive = false;
  for (std::string root : fs.DriveRoots()) {
    // An empty root would take every relative path for one on a drive.
    if (root.empty()) continue;
    LowerSingleBytes(root);
    if (lowered.starts_with(root)) {
      on_drive = true;
      break;
    }
  }
  if (!on_drive) return FolderCheck::kMalformed;
  if (lowered.size() == 3) return FolderCheck::kExists;

  // The checks see the path as typed, so that two trailing backslashes are
  // caught although the last one was dropped.
  if (HasForbiddenCharacter(path, types, 3) || HasEmptyOrDotName(path, types, 2)) return FolderCheck::kMalformed;
  return fs.Exists(folder) ? FolderCheck::kExists : FolderCheck::kAbsent;
}

}  // namespace vorta
