// CP932 to UTF-8 with the C library's iconv, for the host tools and tests.
#pragma once

#include <memory>

#include "journal/export/diary_export.h"

namespace vorta {

// Null when this system's iconv cannot convert from CP932.
std::unique_ptr<Cp932Decoder> OpenIconvCp932Decoder();

}  // namespace vorta
