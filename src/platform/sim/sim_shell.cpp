// The emulated shell and security answers: system directory, special folders,
// administrators membership, logon name, change notifications and program
// starts. Settings decide the answers; notifications and starts are recorded.
#include <algorithm>

#include "platform/sim/sim_state.h"

namespace {
constexpr std::int32_t cModNotFound = HResultFromWin32(126);
constexpr std::intptr_t cSeErrFileNotFound = 2;
}  // namespace

std::uint32_t TSimPlatform::GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->Enter("GetSystemDirectoryW", systemDirectory, u"", size)) return 0;
  if (systemDirectory.empty()) return 0;
  const auto length = static_cast<std::uint32_t>(systemDirectory.size());
  if (buffer == nullptr || size < length + 1) return length + 1;
  std::copy(systemDirectory.begin(), systemDirectory.end(), buffer);
  buffer[length] = u'\0';
  return length;
}

bool TSimPlatform::CheckAdminMembership(bool& isMember) {
  std::lock_guard<std::mutex> guard(state_->lock);
  isMember = false;
  if (state_->Enter("CheckAdminMembership", u"S-1-5-32-544")) return false;
  if (adminQueryFails) return false;
  isMember = isAdmin;
  return true;
}

bool TSimPlatform::GetUserNameW(char16_t* buffer, std::uint32_t& size) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->Enter("GetUserNameW", userName, u"", size)) return false;
  const auto needed = static_cast<std::uint32_t>(userName.size() + 1);
  if (buffer == nullptr || size < needed) {
    size = needed;
    return false;
  }
  std::copy(userName.begin(), userName.end(), buffer);
  buffer[userName.size()] = u'\0';
  size = needed;
  return true;
}

std::int32_t TSimPlatform::SHGetFolderPathW(const ustring& shell32Path, int csidl, char16_t* buffer261) {
  std::lock_guard<std::mutex> guard(state_->lock);
  const auto known = specialFolders.find(csidl);
  const ustring folder = known != specialFolders.end() ? known->second : u"";
  if (auto fault = state_->Enter("SHGetFolderPathW", folder, shell32Path, static_cast<std::uint64_t>(csidl)))
    return static_cast<std::int32_t>(*fault);
  // The library must be found: by full path in the sandbox, or by bare name
  // through the search path (where the system always has it).
  if (sim::UpperName(shell32Path) != u"SHELL32.DLL") {
    sim::TLocation lib;
    if (state_->Locate(*this, shell32Path, lib) != cErrSuccess || !lib.exists || lib.isDir) return cModNotFound;
  }
  const auto error = specialFolderErrors.find(csidl);
  if (error != specialFolderErrors.end()) return error->second;
  if (known == specialFolders.end()) return cE_INVALIDARG;
  if (folder.size() >= 260) return cE_FAIL;
  std::copy(folder.begin(), folder.end(), buffer261);
  buffer261[folder.size()] = u'\0';
  sim::TLocation loc;
  const bool present = state_->Locate(*this, folder, loc) == cErrSuccess && loc.isDir;
  return present ? cS_OK : cS_FALSE;
}

void TSimPlatform::SHChangeNotify(std::int32_t event, std::uint32_t flags, const ustring* path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("SHChangeNotify", path != nullptr ? *path : u"", u"", static_cast<std::uint32_t>(event));
  state_->notifications.push_back({event, flags, path != nullptr, path != nullptr ? *path : u""});
}

std::intptr_t TSimPlatform::ShellExecuteW(const ustring& verb, const ustring& file) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("ShellExecuteW", file, verb)) return static_cast<std::intptr_t>(*fault);
  state_->executions.push_back({verb, file});
  // The shell takes a quoted file name as one name.
  ustring name = file;
  if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') name = name.substr(1, name.size() - 2);
  sim::TLocation loc;
  if (state_->Locate(*this, name, loc) != cErrSuccess || !loc.exists) return cSeErrFileNotFound;
  return shellExecuteResult;
}

std::vector<TSimNotification> TSimPlatform::Notifications() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->notifications;
}

std::vector<TSimExecution> TSimPlatform::Executions() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->executions;
}
