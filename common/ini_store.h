// The settings file (vorta.INI) in memory: its lines in file order, read and
// edited by section and key, written back byte for byte.
//
// We keep our own store rather than use GetPrivateProfileStringA and friends:
// those pass every value through Unicode, which mangles byte pairs that are not
// valid CP932, and they trim blanks and one pair of quotes around a value. The
// scrambled password is arbitrary bytes and must come back exactly as written.
//
// The file format:
//  - A line ends with LF or CRLF; a CR anywhere else belongs to the line. The
//    last line may lack a line end. Serialize() ends every line with CRLF.
//  - "[name]" starts a section. Blanks (space, tab) may stand before the '['.
//    The name is everything between the '[' and the last ']' of the line that
//    is not the second byte of a CP932 character; it is not trimmed. What
//    follows that ']' is ignored and kept.
//  - "key=value": the key is what stands before the first '=', trimmed of
//    blanks; the value is everything after that '=', byte for byte.
//  - Any other line (';' comments, blank lines, a '[' line without its ']', a
//    line without '=' or with an empty key, garbage) is kept as it is and
//    written back unchanged; so are keys that stand before the first section:
//    they belong to no section and cannot be read or set.
//  - Section and key names match ignoring the case of ASCII letters only; the
//    bytes of a double-byte CP932 character compare exactly, trail bytes that
//    look like ASCII letters included.
//  - When a section name appears more than once, only its first section counts
//    (as with Windows' own reader); the others are kept but never read or
//    changed. Within a section the first line of a key counts and is the one
//    replaced; later ones are kept.
//
// No input, however damaged, makes the store read outside its bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorta {

// The most bytes GetString returns: the program reads settings into buffers of
// 4096 bytes, terminating zero included.
constexpr std::size_t kIniValueLimit = 4095;

class IniStore {
 public:
  IniStore() = default;

  // Splits `bytes` into lines and classifies them. Never fails.
  static IniStore Parse(std::string_view bytes);

  // Every line in file order, each ended with CRLF. Lines that came from a file
  // keep their bytes; only their line ends may change.
  std::string Serialize() const;

  // True when the store holds no line at all.
  bool empty() const { return lines_.empty(); }

  // The value as stored: no blanks trimmed, no quotes removed. When the key is
  // absent, `default_value` instead. Either is cut to at most kIniValueLimit
  // bytes, at a character boundary: a double-byte character that would be split
  // is left out whole, so the result may be one byte shorter.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view default_value) const;

  // The value read as a number the way Windows' GetPrivateProfileIntA reads it:
  //  - an absent key gives `default_value`;
  //  - so does a value that is empty once blanks around it and one pair of
  //    matching quotes ("..." or '...') around that are taken away;
  //  - otherwise: leading blanks and control bytes are skipped, then an optional
  //    '+' or '-', then digits up to the first byte that is not one. "0x"/"0X"
  //    before the digits means hex, "0o"/"0O" octal, "0b"/"0B" binary, else
  //    decimal. No digits at all gives 0 ("abc" is 0, "12abc" is 12).
  //  - The number wraps modulo 2^32 and is taken as a signed 32-bit value, as
  //    Windows does ("4294967295" is -1).
  // The program itself only ever writes signed decimal.
  int GetInt(std::string_view section, std::string_view key, int default_value) const;

  // Replaces the value of the key in place (the rest of its line, and every other
  // line, untouched) or, when the key is absent, adds "key=value" after the last
  // key of the section (right after its header when it has none), or adds the
  // section with that one key at the end of the file.
  // Returns false and changes nothing when the line could not be read back as
  // the same section, key and value: a CR, LF or NUL in any of them; a key that
  // is empty, has blanks around it, holds '=' or starts with '[' or ';'; a
  // section name whose "[name]" line would not close (e.g. one that ends with a
  // lone CP932 lead byte, which would take the ']' as its second byte).
  bool SetString(std::string_view section, std::string_view key, std::string_view value);

  // SetString with the value in signed decimal ("-12").
  bool SetInt(std::string_view section, std::string_view key, int value);

 private:
  enum class LineKind { kOther, kSection, kKey };

  struct Line {
    std::string text;  // the line's bytes without its line end
    LineKind kind = LineKind::kOther;
    std::size_t name_begin = 0;   // section name or trimmed key within `text`
    std::size_t name_length = 0;
    std::size_t value_begin = 0;  // key lines: just past the '='

    std::string_view name() const {
      return std::string_view(text).substr(name_begin, name_length);
    }
    std::string_view value() const { return std::string_view(text).substr(value_begin); }
  };

  static Line ClassifyLine(std::string text);

  // Index of the header line of the first section named `section`, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the first line of `key` in the section whose header is at
  // `header`, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  const Line* FindValueLine(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
};

}  // namespace vorta
