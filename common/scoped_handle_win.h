// Owners of kernel handles, closed when they go out of scope.
#pragma once

#include <windows.h>

namespace vorta {

class ScopedFileHandle {
 public:
  explicit ScopedFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~ScopedFileHandle() { Close(); }
  ScopedFileHandle(const ScopedFileHandle&) = delete;
  ScopedFileHandle& operator=(const ScopedFileHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Closes now; false when CloseHandle reports a failure (a lost write).
  bool Close() {
    if (!valid()) return true;
    const bool ok = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

}  // namespace vorta
