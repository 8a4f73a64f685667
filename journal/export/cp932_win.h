// CP932 to UTF-8 with Windows' own converter, for the journal's export.
#pragma once

#include "journal/export/diary_export.h"

namespace vorta {

// MultiByteToWideChar with code page 932, then WideCharToMultiByte to UTF-8.
class WindowsCp932Decoder final : public Cp932Decoder {
 public:
  std::size_t AppendUtf8(std::string_view cp932, std::string* out) override;
};

}  // namespace vorta
