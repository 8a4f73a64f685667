// What the search engine finds in a DATA folder, for tests that compare a
// search window's rows with it: "date|excerpt" per hit, in the order the
// folder lists its month files (the order the window searches them in).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "journal/search/search_engine.h"

namespace vorta::testing {

using SearchRows = std::vector<std::string>;

inline SearchRows EngineRows(const std::string& dataFolder, const std::string& text, bool caseSensitive) {
  class Collect : public SearchHitSink {
   public:
    bool Add(const SearchResult& hit) override {
      rows.push_back(std::string(hit.date) + "|" + hit.excerpt);
      return true;
    }
    SearchRows rows;
  } sink;
  const SearchPattern pattern(text, caseSensitive);
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((dataFolder + "\\*.DAY").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return {};
  do {
    HANDLE file = ::CreateFileA((dataFolder + "\\" + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    std::vector<std::uint8_t> bytes(::GetFileSize(file, nullptr));
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    ScanMonthFile(found.cFileName, bytes, pattern, sink);
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return sink.rows;
}

}  // namespace vorta::testing
