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

}  // namespace vorta
