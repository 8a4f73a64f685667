// A fresh folder to install programs into and the programs started from it,
// torn down in the right order: processes end first, then the folder goes.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "harness/files.h"
#include "harness/process.h"

namespace e2e {

class Sandbox {
 public:
  explicit Sandbox(std::string_view prefix = "e2e") : dir_(prefix) {}
  ~Sandbox() { processes_.clear(); }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const TempDir& dir() const { return dir_; }
  const std::string& path() const { return dir_.path(); }
  bool valid() const { return dir_.valid(); }
  std::string Join(std::string_view relative) const { return dir_.Join(relative); }

  // Copies a program (a Windows path, or a Unix path such as CMake gives) into
  // the folder; the installed path, "" on failure.
  std::string Install(std::string_view program, std::string_view new_name = {}) const {
    return dir_.CopyIn(program, new_name);
  }
  // Starts a program (usually an installed one); the reference stays valid for
  // the sandbox's lifetime. Check started() on the result.
  Process& Start(std::string_view exe, std::string_view args = {}, std::string_view work_dir = {}) {
    return processes_.emplace_back(Process::Start(exe, args, work_dir));
  }
  // Ends every program started here (and what they started).
  void KillAll() {
    for (Process& p : processes_) p.Kill();
  }

 private:
  TempDir dir_;                  // destroyed last
  std::deque<Process> processes_;  // destroyed first
};

}  // namespace e2e
