#include "journal/export/cp932_win.h"

#include <windows.h>

#include "common/byte_type.h"

namespace vorta {

namespace {

constexpr UINT kCp932 = 932;
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The whole of `cp932` as UTF-8, or false when some bytes are no character.
bool Convert(std::string_view cp932, std::string* out) {
  if (cp932.empty()) return true;
  const int size = static_cast<int>(cp932.size());
  const int wideLength = ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, cp932.data(), size, nullptr, 0);
  if (wideLength <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, cp932.data(), size, wide.data(), wideLength);
  const int utf8Length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (utf8Length <= 0) return false;
  const std::size_t at = out->size();
  out->resize(at + static_cast<std::size_t>(utf8Length));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out->data() + at, utf8Length, nullptr, nullptr);
  return true;
}

}  // namespace

std::size_t WindowsCp932Decoder::AppendUtf8(std::string_view cp932, std::string* out) {
  // Almost every text converts whole; only one with a faulty character is
  // taken a character at a time.
  if (Convert(cp932, out)) return 0;
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < cp932.size();) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    // A lead byte with a byte after it that may follow one is one character,
    // converted or not; any other byte stands alone.
    const std::size_t length =
        IsLeadByte(c) && i + 1 < cp932.size() && IsTrailByte(static_cast<unsigned char>(cp932[i + 1])) ? 2 : 1;
    if (!Convert(cp932.substr(i, length), out)) {
      out->append(kReplacement);
      ++replaced;
    }
    i += length;
  }
  return replaced;
}

}  // namespace vorta
