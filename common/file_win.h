// Reading a file whole and replacing one in a single step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorta {

// Reads the file at `path` into `bytes`, at most `limit` bytes of it. The file
// is shared for reading, writing and deleting, so that one held open by a
// backup or sync program is still read. False when it cannot be opened or a
// read fails.
bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<std::uint8_t>* bytes);

// Writes `bytes` to `path` in one step: into a new file beside it, flushed,
// then moved over it, so that a crash leaves the old file or the new one,
// never a torn one. `beforeReplace`, when given, runs between the two and can
// stop the replacement by answering false (for tests). False when any step
// fails; the temporary file is then removed and `path` is as it was.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         bool (*beforeReplace)() = nullptr);

}  // namespace vorta
