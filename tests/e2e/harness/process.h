// Programs under test: start, wait for the exit code, and make sure that
// nothing they started outlives the test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// One started program and everything it starts in turn (they share a job
// object). Move-only; the destructor ends whatever is still running and waits
// until it is gone, so a failed assertion never leaves a process behind.
class Process {
 public:
  Process() = default;
  ~Process() { Kill(); Release(); }
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts exe (a Windows path, or a Unix path that gets "Z:") with the given
  // command-line arguments; the working folder is work_dir or else the exe's
  // own folder. On failure started() is false and start_error() tells why.
  static Process Start(std::string_view exe, std::string_view args = {},
                       std::string_view work_dir = {});

  bool started() const { return process_ != nullptr; }
  DWORD start_error() const { return start_error_; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }

  // True while the program itself runs (not what it started).
  bool running() const;
  // Waits up to timeout_ms for the program to end; its exit code, or nullopt
  // when it is still running (or was never started).
  std::optional<DWORD> WaitForExit(DWORD timeout_ms) const;
  // The program and the processes it started that are still alive.
  DWORD ActiveProcessCount() const;
  // Ends the program and everything it started, then waits (a few seconds at
  // most) until they are gone. Safe to call more than once.
  void Kill();

 private:
  void Release();

  HANDLE process_ = nullptr;
  HANDLE job_ = nullptr;
  DWORD id_ = 0;
  DWORD start_error_ = 0;
};

// Makes sure the desktop window exists, made on behalf of this test process.
// The harness calls it before it starts a program or looks at windows; call it
// first in a test that uses window functions of its own before any of those.
void PrepareDesktop();

// Ids of the running processes whose program file lies inside folder: what a
// test left behind in its temporary folder.
std::vector<DWORD> ProcessesRunningFrom(std::string_view folder);

}  // namespace e2e
