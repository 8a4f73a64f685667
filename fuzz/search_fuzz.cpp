// Differential fuzzing of the month search: the input is a search string and
// a month file; the fast scanner and the slow reference must list the same
// hits, byte for byte, in both letter-case modes, and neither may read
// outside the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "journal/search/search_engine.h"
#include "tests/host/search_reference.h"

using namespace vorta;

namespace {

class Collect : public SearchHitSink {
 public:
  bool Add(const SearchResult& hit) override {
    hits.push_back(hit);
    return true;
  }
  std::vector<SearchResult> hits;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // First byte: the length of the search string (1 to 50); then the string;
  // then the file.
  if (size < 1) return 0;
  const std::size_t length = std::min<std::size_t>(data[0] % kSearchStringMax + 1, size - 1);
  const std::string_view pattern(reinterpret_cast<const char*>(data + 1), length);
  const std::span<const std::uint8_t> file(data + 1 + length, size - 1 - length);
  for (bool caseSensitive : {false, true}) {
    Collect fast;
    ScanMonthFile("200907.DAY", file, SearchPattern(pattern, caseSensitive), fast);
    const std::vector<SearchResult> slow = ReferenceScan("200907.DAY", file, pattern, caseSensitive);
    if (fast.hits.size() != slow.size()) std::abort();
    for (std::size_t i = 0; i < slow.size(); ++i) {
      if (std::memcmp(&fast.hits[i], &slow[i], sizeof(SearchResult)) != 0) std::abort();
    }
  }
  return 0;
}
