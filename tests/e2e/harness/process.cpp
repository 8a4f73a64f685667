#include "harness/process.h"

#include <tlhelp32.h>

#include <mutex>
#include <utility>

#include "harness/files.h"
#include "harness/wait.h"

namespace e2e {

void PrepareDesktop() {
  // Under Wine the first process that needs the desktop window starts the
  // desktop process (explorer.exe) as its own child.
  static std::once_flag once;
  std::call_once(once, [] { GetDesktopWindow(); });
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      job_(std::exchange(other.job_, nullptr)),
      id_(std::exchange(other.id_, 0)),
      start_error_(std::exchange(other.start_error_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    Release();
    process_ = std::exchange(other.process_, nullptr);
    job_ = std::exchange(other.job_, nullptr);
    id_ = std::exchange(other.id_, 0);
    start_error_ = std::exchange(other.start_error_, 0);
  }
  return *this;
}

Process Process::Start(std::string_view exe, std::string_view args, std::string_view work_dir) {
  Process p;
  const std::string program = WinePathFromUnix(exe);
  std::string dir = work_dir.empty() ? DirectoryPart(program) : WinePathFromUnix(work_dir);
  std::string command_line;
  command_line.append(1, '"').append(program).append(1, '"');
  if (!args.empty()) command_line.append(1, ' ').append(args);

  // The desktop must not be started by the program: it would join the job
  // below and end with the program, taking every window down with it.
  PrepareDesktop();

  // The job ends the program's own children with it, and ends them all if this
  // test process dies without cleaning up (the last job handle closes).
  p.job_ = CreateJobObjectA(nullptr, nullptr);
  if (p.job_) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(p.job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr, dir.empty() ? nullptr : dir.c_str(), &startup,
                      &info)) {
    p.start_error_ = GetLastError();
    return p;
  }
  if (p.job_ && !AssignProcessToJobObject(p.job_, info.hProcess)) {
    // Without a job only the program itself can be ended; still usable.
    CloseHandle(p.job_);
    p.job_ = nullptr;
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  p.process_ = info.hProcess;
  p.id_ = info.dwProcessId;
  return p;
}

bool Process::running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeout_ms) const {
  if (!process_ || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

DWORD Process::ActiveProcessCount() const {
  if (job_) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                  sizeof accounting, nullptr)) {
      return accounting.ActiveProcesses;
    }
  }
  return running() ? 1 : 0;
}

void Process::Kill() {
  if (job_) {
    if (ActiveProcessCount() > 0) TerminateJobObject(job_, 1);
    WaitUntil([&] { return ActiveProcessCount() == 0; }, 5000);
  }
  if (running()) TerminateProcess(process_, 1);
  if (process_) WaitForSingleObject(process_, 5000);
}

void Process::Release() {
  if (process_) CloseHandle(std::exchange(process_, nullptr));
  if (job_) CloseHandle(std::exchange(job_, nullptr));
}

std::vector<DWORD> ProcessesRunningFrom(std::string_view folder) {
  std::vector<DWORD> ids;
  std::string prefix = JoinPath(WinePathFromUnix(folder), "");
  CharUpperBuffA(prefix.data(), static_cast<DWORD>(prefix.size()));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!p) continue;
    char image[MAX_PATH * 2];
    DWORD size = sizeof image;
    if (QueryFullProcessImageNameA(p, 0, image, &size)) {
      std::string path(image, size);
      CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
      if (path.compare(0, prefix.size(), prefix) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(p);
  }
  CloseHandle(snapshot);
  return ids;
}

}  // namespace e2e
