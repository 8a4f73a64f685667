#include "common/ini_store.h"

#include <cstdint>
#include <utility>

#include "common/byte_type.h"

namespace vorta {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsLead(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Names match ignoring ASCII case. A double-byte character is compared as it
// is: its second byte may look like a letter ("ア" is 83 41, "ヂ" is 83 61).
bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  while (i < a.size()) {
    if (IsLead(a[i]) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
    } else {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
      ++i;
    }
  }
  return true;
}

bool HasLineBreakOrZero(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != npos;
}

// The longest start of `s` of at most `limit` bytes that does not split a
// double-byte character.
std::string_view CutAtCharacter(std::string_view s, std::size_t limit) {
  if (s.size() <= limit) return s;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t step = (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return s.substr(0, i);
}

bool IsSpaceForNumber(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

}  // namespace

IniStore::Line IniStore::ClassifyLine(std::string text) {
  Line line;
  line.text = std::move(text);
  const std::string_view s = line.text;

  std::size_t p = 0;
  while (p < s.size() && IsBlank(s[p])) ++p;
  if (p == s.size() || s[p] == ';') return line;

  if (s[p] == '[') {
    // The last ']' that stands as a character of its own closes the name: the
    // second byte of "ゾ" (83 5D) is a ']' too.
    std::size_t close = npos;
    std::size_t i = p + 1;
    while (i < s.size()) {
      if (s[i] == ']') {
        close = i;
        ++i;
      } else {
        i += (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
      }
    }
    if (close == npos) return line;
    line.kind = LineKind::kSection;
    line.name_begin = p + 1;
    line.name_length = close - (p + 1);
    return line;
  }

  // '=' (3D) is never the second byte of a CP932 character, so the first '='
  // byte is the first '=' character.
  const std::size_t eq = s.find('=', p);
  if (eq == npos) return line;
  std::size_t key_end = eq;
  while (key_end > p && IsBlank(s[key_end - 1])) --key_end;
  if (key_end == p) return line;
  line.kind = LineKind::kKey;
  line.name_begin = p;
  line.name_length = key_end - p;
  line.value_begin = eq + 1;
  return line;
}

IniStore IniStore::Parse(std::string_view bytes) {
  IniStore store;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t lf = bytes.find('\n', pos);
    std::string_view text;
    if (lf == npos) {
      text = bytes.substr(pos);
      pos = bytes.size();
    } else {
      text = bytes.substr(pos, lf - pos);
      if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
      pos = lf + 1;
    }
    store.lines_.push_back(ClassifyLine(std::string(text)));
  }
  return store;
}

std::string IniStore::Serialize() const {
  std::size_t size = 0;
  for (const Line& line : lines_) size += line.text.size() + 2;
  std::string out;
  out.reserve(size);
  for (const Line& line : lines_) {
    out += line.text;
    out += "\r\n";
  }
  return out;
}

std::size_t IniStore::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::kSection && NamesEqual(lines_[i].name(), section)) return i;
  }
  return npos;
}

std::size_t IniStore::FindKey(std::size_t header, std::string_view key) const {
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSection) break;
    if (line.kind == LineKind::kKey && NamesEqual(line.name(), key)) return i;
  }
  return npos;
}

const IniStore::Line* IniStore::FindValueLine(std::string_view section,
                                              std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return nullptr;
  const std::size_t at = FindKey(header, key);
  return at == npos ? nullptr : &lines_[at];
}

std::string IniStore::GetString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  const Line* line = FindValueLine(section, key);
  return std::string(CutAtCharacter(line ? line->value() : default_value, kIniValueLimit));
}

int IniStore::GetInt(std::string_view section, std::string_view key, int default_value) const {
  const Line* line = FindValueLine(section, key);
  if (!line) return default_value;

  std::string_view s = line->value();
  while (!s.empty() && IsSpaceForNumber(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpaceForNumber(s.back())) s.remove_suffix(1);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    s.remove_prefix(1);
    s.remove_suffix(1);
  }
  if (s.empty()) return default_value;

  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i + 1 < s.size() && s[i] == '0') {
    switch (s[i + 1]) {
      case 'x': case 'X': base = 16; break;
      case 'o': case 'O': base = 8; break;
      case 'b': case 'B': base = 2; break;
      default: break;
    }
    if (base != 10) i += 2;
  }
  std::uint32_t n = 0;
  for (; i < s.size(); ++i) {
    const int digit = DigitValue(s[i]);
    if (digit >= base) break;
    n = n * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
  }
  if (negative) n = 0u - n;
  return static_cast<int>(n);
}

bool IniStore::SetString(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreakOrZero(section) || HasLineBreakOrZero(key) || HasLineBreakOrZero(value)) {
    return false;
  }

  // Build the lines first and accept them only if they read back as given.
  std::string key_text;
  key_text.reserve(key.size() + 1 + value.size());
  key_text.append(key).append("=").append(value);
  Line key_line = ClassifyLine(std::move(key_text));
  if (key_line.kind != LineKind::kKey || key_line.name() != key || key_line.value() != value) {
    return false;
  }

  const std::size_t header = FindSection(section);
  if (header == npos) {
    std::string header_text;
    header_text.append("[").append(section).append("]");
    Line header_line = ClassifyLine(std::move(header_text));
    if (header_line.kind != LineKind::kSection || header_line.name() != section) return false;
    lines_.push_back(std::move(header_line));
    lines_.push_back(std::move(key_line));
    return true;
  }

  const std::size_t at = FindKey(header, key);
  if (at != npos) {
    Line& line = lines_[at];
    line.text.resize(line.value_begin);
    line.text.append(value);
    return true;
  }

  std::size_t insert_at = header + 1;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::kSection) break;
    if (lines_[i].kind == LineKind::kKey) insert_at = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert_at), std::move(key_line));
  return true;
}

bool IniStore::SetInt(std::string_view section, std::string_view key, int value) {
  return SetString(section, key, std::to_string(value));
}

}  // namespace vorta
