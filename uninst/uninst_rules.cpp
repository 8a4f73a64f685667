#include "uninst/uninst_rules.h"

#include "common/byte_type.h"
#include "common/path.h"

namespace vorta {

namespace {

// The path as the command processor must see it in a batch file.
std::string BatchPath(std::string_view path) {
  std::string out;
  for (char c : path) {
    out += c;
    if (c == '%') out += '%';  // never a lead or trail byte of CP932
  }
  return out;
}

void AppendQuoted(std::string* text, std::string_view command, std::string_view path) {
  *text += command;
  *text += " \"";
  *text += BatchPath(path);
  *text += "\"\r\n";
}

// Lower-cased, without one final backslash: the form two folders compare in.
std::string Comparable(std::string_view folder) {
  std::string s(folder);
  if (s.size() > 1 && EndsWithBackslash(s)) s.pop_back();
  LowerSingleBytes(s);
  return s;
}

// "C:" or "\\server\share": what is left of a root once its backslash is gone.
bool IsRoot(const std::string& folder) {
  if (folder.size() == 2 && folder[1] == ':') return true;
  if (folder.size() < 3 || folder[0] != '\\' || folder[1] != '\\') return false;
  // A network path: a root when it has no separator after the share name.
  const std::vector<std::uint8_t> types = ClassifyByteTypes(folder);
  int separators = 0;
  for (std::size_t i = 2; i < folder.size(); ++i) {
    if (folder[i] == '\\' && types[i] == kSingleByte) ++separators;
  }
  return separators <= 1;
}

}  // namespace

std::string SelfDeleteBatchText(std::string_view ownPath, std::string_view folder, std::string_view pifPath,
                                std::string_view batchPath, bool removeFolder) {
  std::string text = ":Repeat\r\n";
  AppendQuoted(&text, "del", ownPath);
  text += "if exist \"";
  text += BatchPath(ownPath);
  text += "\" goto Repeat\r\n";
  if (removeFolder) AppendQuoted(&text, "rmdir", folder);
  AppendQuoted(&text, "del", pifPath);
  AppendQuoted(&text, "del", batchPath);
  return text;
}

bool IsRefusedUninstallFolder(std::string_view folder, const std::vector<std::string>& protectedFolders) {
  const std::string own = Comparable(folder);
  if (own.empty() || own == "\\" || IsRoot(own)) return true;
  for (const std::string& refused : protectedFolders) {
    if (refused.empty()) continue;
    const std::string other = Comparable(refused);
    if (own == other) return true;
    // A folder that holds it: "C:\Users" holds "C:\Users\taro".
    if (other.size() > own.size() && other.compare(0, own.size(), own) == 0 && other[own.size()] == '\\' &&
        ClassifyByteTypes(other)[own.size()] == kSingleByte)
      return true;
  }
  return false;
}

}  // namespace vorta
