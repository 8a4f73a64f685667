// The month search done the slow, obvious way, as the yardstick of the fast
// scanner: every text decoded and copied, folded with a walk from its start
// for every byte, searched with find(), and each occurrence checked byte by
// byte with ByteTypeAt (which walks from the start again).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "journal/search/search_engine.h"

namespace vorta {

std::vector<SearchResult> ReferenceScan(std::string_view fileName, std::span<const std::uint8_t> bytes,
                                        std::string_view searchString, bool caseSensitive);

}  // namespace vorta
