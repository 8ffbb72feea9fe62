// Fault injection, the call log and the count of what is still open. Every
// emulated operation enters through TState::Enter, which records the call and
// decides whether an armed fault makes it fail.
#include <sstream>

#include "common/utils.h"
#include "platform/sim/sim_state.h"

const std::vector<std::string>& TSimPlatform::FaultableOperations() {
  static const std::vector<std::string> names{
      "PostWindowMessage", "StartThread", "FindOwnResource", "GetVersionExW",
      "CreateFileW", "WriteFile", "CloseHandle", "CreateDirectoryW", "RemoveDirectoryW", "MoveFileExW",
      "GetDiskFreeSpaceExW", "GetFullPathNameW", "GetSystemDirectoryW",
      "RegOpenCurrentUser", "RegOpenKeyExW", "RegCreateKeyExW", "RegCloseKey", "RegQueryValueExW", "RegSetValueExW",
      "CheckAdminMembership", "GetUserNameW",
      "SHGetFolderPathW", "ShellExecuteW",
      "CoInitialize", "ProbeClassInstance", "ShellLinkCreate", "ShellLinkSetPath", "ShellLinkSetWorkingDirectory",
      "ShellLinkSetDescription", "ShellLinkSave",
      "GetFileVersionInfoSizeW", "GetFileVersionInfoW", "VerQueryValueW",
      "DeleteFileW", "SetFileAttributesW", "CopyFileW", "GetTempPathW", "CreatePrivateDirectoryW",
      "RegDeleteKeyW", "RegDeleteValueW", "RegQueryInfoKeyW", "ShellLinkLoad", "ShellLinkGetPath",
      "DuplicateOwnProcessHandle", "CreateProcessW", "WaitForSingleObject"};
  return names;
}

std::optional<std::uint32_t> TSimPlatform::TState::Enter(const char* op, const ustring& subject, const ustring& arg,
                                                         std::uint64_t number) {
  Log(op, subject, arg, number);
  if (auto ended = CountOperation(op)) return ended;
  std::optional<std::uint32_t> result;
  for (sim::TFault& fault : faults) {
    if (fault.op != op || !sim::ContainsNoCase(subject + u"\n" + arg, fault.pathPart)) continue;
    ++fault.seen;
    if (!result && (fault.seen == fault.nth || (fault.onward && fault.seen > fault.nth))) result = fault.code;
  }
  return result;
}

void TSimPlatform::TState::Log(const char* op, const ustring& subject, const ustring& arg, std::uint64_t number) {
  calls.push_back({op, subject, arg, number});
  ++counts[op];
}

void TSimPlatform::FailCall(const std::string& op, std::uint64_t nth, std::uint32_t code, const ustring& pathPart) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->faults.push_back({op, pathPart, nth, false, code});
}

void TSimPlatform::FailFrom(const std::string& op, std::uint64_t nth, std::uint32_t code, const ustring& pathPart) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->faults.push_back({op, pathPart, nth, true, code});
}

void TSimPlatform::ClearFaults() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->faults.clear();
  state_->shortWrites.clear();
}

std::vector<TSimCall> TSimPlatform::CallLog() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->calls;
}

std::map<std::string, std::uint64_t> TSimPlatform::CallCounts() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->counts;
}

std::size_t TSimPlatform::OpenCount() {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::size_t apartments = 0;
  for (const auto& entry : state_->apartments) apartments += static_cast<std::size_t>(entry.second);
  return state_->keys.size() + state_->files.size() + state_->links.size() + state_->mutexes.size() +
         state_->namespaces.size() + state_->processes.size() + apartments;
}

std::vector<std::string> TSimPlatform::DescribeOpen() {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::vector<std::string> open;
  for (const auto& [handle, key] : state_->keys) open.push_back("key " + ToUtf8(key.node->path));
  for (const auto& [handle, file] : state_->files) open.push_back("file " + ToUtf8(file.path));
  for (const auto& [handle, link] : state_->links) open.push_back("shell link to " + ToUtf8(link.target));
  for (const auto& [handle, name] : state_->mutexes) open.push_back("mutex " + ToUtf8(name));
  for (const auto& [handle, alias] : state_->namespaces) open.push_back("private namespace " + ToUtf8(alias));
  for (const auto& [handle, process] : state_->processes) open.push_back("process handle " + ToUtf8(process.what));
  for (const auto& [thread, count] : state_->apartments) {
    if (count == 0) continue;
    std::ostringstream text;
    text << "COM apartment x" << count << " on thread " << thread;
    open.push_back(text.str());
  }
  return open;
}
