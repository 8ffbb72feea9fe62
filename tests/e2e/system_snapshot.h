// Whole-system views for the removal and deployment-cycle scenarios: the
// registry below HKLM\SOFTWARE as sorted lines, a stored command line run as
// it stands, and the uninstaller processes that still run.
#pragma once
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// Every key and value below HKLM\SOFTWARE (64-bit view), one line each, sorted.
std::vector<std::wstring> ExportSoftware();
// The lines of a that b lacks (both sorted).
std::vector<std::wstring> Difference(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b);
// Up to 40 lines, each on a line of its own, for failure reports.
std::string Lines(const std::vector<std::wstring>& lines);
bool FolderExists(const std::wstring& path);

// Runs a stored command line as it stands (the program path may be unquoted);
// a process still running when the object goes is ended.
class TStoredCommand {
 public:
  explicit TStoredCommand(const std::wstring& command);
  ~TStoredCommand();
  TStoredCommand(const TStoredCommand&) = delete;
  TStoredCommand& operator=(const TStoredCommand&) = delete;
  bool started() const { return started_; }
  DWORD pid() const { return info_.dwProcessId; }
  // The exit code, or 0xFFFFFFFF when the process did not end in time.
  DWORD WaitForExit(std::chrono::milliseconds timeout);

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// Processes whose program file is called name (the uninstaller and its copy).
int CountProcesses(const wchar_t* name);
// Until no uninstaller (original or copy) runs any more.
bool WaitForUninstallers(std::chrono::milliseconds timeout);

}  // namespace e2e
