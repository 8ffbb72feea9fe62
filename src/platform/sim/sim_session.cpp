// The emulated system's process-wide facilities: the file pointer, the
// temporary folder and named mutexes (machine-wide: one name space per
// emulated system, shared by every "process" a test runs on it).
#include <filesystem>

#include "common/utils.h"

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_state.h"

std::uint32_t TSimPlatform::SetFilePointerEx(THandle file, std::int64_t distance, std::uint32_t method,
                                             std::uint64_t& newPosition) {
  std::lock_guard<std::mutex> guard(state_->lock);
  const auto it = state_->files.find(file);
  if (auto fault = state_->Enter("SetFilePointerEx", it != state_->files.end() ? it->second.path : u"?", u"", method))
    return *fault;
  if (it == state_->files.end()) return cErrInvalidHandle;
  sim::TOpening& open = it->second;
  if (open.isDir) return cErrAccessDenied;
  std::int64_t base = 0;
  if (method == cFileCurrent) {
    base = static_cast<std::int64_t>(open.position);
  } else if (method == cFileEnd) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(open.host, ec);
    if (ec) return cErrAccessDenied;
    base = static_cast<std::int64_t>(size);
  } else if (method != cFileBegin) {
    return cErrInvalidParameter;
  }
  // Like Windows: a position before the start is refused, one past the end is allowed.
  if (base + distance < 0) return 131;  // ERROR_NEGATIVE_SEEK
  open.position = static_cast<std::uint64_t>(base + distance);
  newPosition = open.position;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GetTempPathW(ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  path.clear();
  if (auto fault = state_->Enter("GetTempPathW", tempPath)) return *fault;
  if (tempPath.empty()) return cErrPathNotFound;
  path = tempPath;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CreateMutexW(const ustring& name, THandle& mutex) {
  std::lock_guard<std::mutex> guard(state_->lock);
  mutex = 0;
  if (auto fault = state_->Enter("CreateMutexW", name)) return *fault;
  // Another account's object: this one may not open it.
  for (const ustring& squatted : state_->squattedMutexes) {
    if (sim::UpperName(squatted) == sim::UpperName(name)) return cErrAccessDenied;
  }
  // A name with a prefix other than the session spaces' lives in a private
  // namespace, which this process must have open.
  const std::size_t slash = name.find(u'\\');
  if (slash != ustring::npos) {
    const ustring prefix = sim::UpperName(name.substr(0, slash));
    bool known = prefix == u"GLOBAL" || prefix == u"LOCAL" || prefix == u"SESSION";
    for (const auto& [handle, alias] : state_->namespaces) known = known || sim::UpperName(alias) == prefix;
    if (!known) return cErrPathNotFound;
  }
  bool existed = false;
  for (const auto& [handle, held] : state_->mutexes) existed = existed || (!name.empty() && held == name);
  mutex = state_->NewHandle();
  state_->mutexes[mutex] = name;
  return existed ? cErrAlreadyExists : cErrSuccess;
}

void TSimPlatform::CloseMutex(THandle mutex) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("CloseMutex", u"", u"", mutex);
  state_->mutexes.erase(mutex);
}

std::vector<ustring> TSimPlatform::LiveMutexes() {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::vector<ustring> names;
  for (const auto& [handle, name] : state_->mutexes) names.push_back(name);
  return names;
}

namespace {

void DumpNode(const sim::TRegNode& node, std::vector<ustring>& out) {
  out.push_back(node.path);
  for (const auto& [upper, value] : node.values) {
    ustring line = node.path + u" : " + value.name + u" = " + DecOfInt(static_cast<std::int32_t>(value.value.type)) + u":";
    for (std::uint8_t byte : value.value.data) line += HexOf(byte, 2);
    out.push_back(line);
  }
  for (const auto& [upper, child] : node.children) DumpNode(*child, out);
}

}  // namespace

std::vector<ustring> TSimPlatform::DumpRegistry(THKey root) {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::vector<ustring> out;
  if (const sim::TRegNode* node = state_->RootNode(root)) DumpNode(*node, out);
  return out;
}
