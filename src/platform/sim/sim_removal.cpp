// The emulated operations the uninstaller adds: deleting files, keys and
// values, copying a file, the private temporary folder, and starting a
// program with a handle it can wait on. Like the rest of the emulation they
// answer as Windows does where the uninstaller relies on it: a running
// program's image can't be deleted (5), nor a read-only file (5), nor a file
// another process holds without delete sharing (32); a key with sub-keys
// can't be deleted (5).
#include <algorithm>
#include <cstdio>

#include "common/utils.h"
#include "platform/sim/sim_file_rights.h"
#include "platform/sim/sim_state.h"

namespace fs = std::filesystem;
using sim::cDelete;
using sim::HostReadOnly;

namespace {

constexpr std::uint32_t cShareAll = cFileShareRead | cFileShareWrite | cFileShareDelete;

ustring ParentKeyPath(const ustring& path) {
  const std::size_t cut = path.find_last_of(u'\\');
  return cut == ustring::npos ? ustring() : path.substr(0, cut);
}

ustring LastKeyName(const ustring& path) {
  const std::size_t cut = path.find_last_of(u'\\');
  return cut == ustring::npos ? path : path.substr(cut + 1);
}

ustring TrimSlashes(ustring path) {
  while (!path.empty() && path.back() == u'\\') path.pop_back();
  return path;
}

}  // namespace

// --- files ---

std::uint32_t TSimPlatform::DeleteFileW(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("DeleteFileW", err ? path : loc.full)) return *fault;
  if (err) return err;
  if (!loc.exists) return loc.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  if (loc.isDir || HostReadOnly(loc.host)) return cErrAccessDenied;
  for (const sim::TOpening& hold : state_->holds)
    if (hold.key == loc.key && hold.image) return cErrAccessDenied;
  if (state_->SharingConflict(loc.key, cDelete, cShareAll)) return cErrSharingViolation;
  std::error_code ec;
  if (!fs::remove(loc.host, ec)) return cErrAccessDenied;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::SetFileAttributesW(const ustring& path, std::uint32_t attributes) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("SetFileAttributesW", err ? path : loc.full, u"", attributes)) return *fault;
  if (err) return err;
  if (!loc.exists) return loc.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  if (!loc.isDir) sim::SetHostReadOnly(loc.host, (attributes & cFileAttributeReadonly) != 0);
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CopyFileW(const ustring& from, const ustring& to) {
  const std::uint32_t result = CopyFileLocked(from, to);
  if (result == cErrSuccess && afterCopy) afterCopy(to);
  return result;
}

std::uint32_t TSimPlatform::CopyFileLocked(const ustring& from, const ustring& to) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation src;
  const std::uint32_t err = state_->Locate(*this, from, src);
  if (auto fault = state_->Enter("CopyFileW", err ? from : src.full, to)) return *fault;
  if (err) return err;
  if (!src.exists) return src.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  if (src.isDir) return cErrAccessDenied;
  if (state_->SharingConflict(src.key, cGenericRead, cFileShareRead)) return cErrSharingViolation;
  sim::TLocation dst;
  if (const std::uint32_t dstErr = state_->Locate(*this, to, dst)) return dstErr;
  if (!dst.parentIsDir) return cErrPathNotFound;
  if (dst.exists) return cErrFileExists;
  std::error_code ec;
  if (!fs::copy_file(src.host, dst.host, ec)) return cErrAccessDenied;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CreatePrivateDirectoryW(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("CreatePrivateDirectoryW", err ? path : loc.full)) return *fault;
  if (err) return err;
  if (loc.exists) return cErrAlreadyExists;
  if (!loc.parentIsDir) return cErrPathNotFound;
  std::error_code ec;
  if (!fs::create_directory(loc.host, ec)) return cErrAccessDenied;
  state_->privateDirs.push_back(loc.key);
  return cErrSuccess;
}

bool TSimPlatform::IsPrivateDir(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  if (state_->Locate(*this, path, loc) != cErrSuccess || !loc.isDir) return false;
  return std::find(state_->privateDirs.begin(), state_->privateDirs.end(), loc.key) != state_->privateDirs.end();
}

// --- registry ---

std::uint32_t TSimPlatform::RegDeleteKeyW(THKey parent, const ustring& subKey) {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::uint32_t parentAccess = 0;
  sim::TRegNode* base = state_->KeyNode(parent, parentAccess);
  const ustring path = TrimSlashes(subKey);
  if (auto fault = state_->Enter("RegDeleteKeyW", base ? base->path + u"\\" + path : u"?\\" + path, subKey)) return *fault;
  if (base == nullptr) return cErrInvalidHandle;
  if (path.empty()) return cErrInvalidParameter;
  sim::TRegNode* above = state_->Walk(base, ParentKeyPath(path), false);
  sim::TRegNode* node = state_->Walk(base, path, false);
  if (above == nullptr || node == nullptr) return cErrFileNotFound;
  if (node->deny == cSimDenyAll || (node->deny & cDelete) != 0) return cErrAccessDenied;
  if (!node->children.empty()) return cErrAccessDenied;
  auto it = above->children.find(sim::UpperName(LastKeyName(path)));
  it->second->deleted = true;
  state_->deletedKeys.push_back(std::move(it->second));
  above->children.erase(it);
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegDeleteValueW(THKey key, const ustring& name) {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::uint32_t access = 0;
  sim::TRegNode* node = state_->KeyNode(key, access);
  if (auto fault = state_->Enter("RegDeleteValueW", node != nullptr ? node->path : u"?", name)) return *fault;
  if (node == nullptr) return cErrInvalidHandle;
  if ((access & cKeySetValue) == 0) return cErrAccessDenied;
  if (node->values.erase(sim::UpperName(name)) == 0) return cErrFileNotFound;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RegQueryInfoKeyW(THKey key, std::uint32_t& subKeys, std::uint32_t& values) {
  std::lock_guard<std::mutex> guard(state_->lock);
  subKeys = values = 0;
  std::uint32_t access = 0;
  sim::TRegNode* node = state_->KeyNode(key, access);
  if (auto fault = state_->Enter("RegQueryInfoKeyW", node != nullptr ? node->path : u"?")) return *fault;
  if (node == nullptr) return cErrInvalidHandle;
  if ((access & cKeyQueryValue) == 0) return cErrAccessDenied;
  subKeys = static_cast<std::uint32_t>(node->children.size());
  values = static_cast<std::uint32_t>(node->values.size());
  return cErrSuccess;
}

// --- processes ---

std::uint32_t TSimPlatform::DuplicateOwnProcessHandle(THandle& handle) {
  std::lock_guard<std::mutex> guard(state_->lock);
  handle = 0;
  if (auto fault = state_->Enter("DuplicateOwnProcessHandle", ownModulePath)) return *fault;
  handle = state_->NewHandle();
  state_->processes[handle] = {u"own process " + ownModulePath, 1, true, ownModulePath};
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CreateProcessW(const ustring& application, const ustring& commandLine,
                                           bool inheritHandles, THandle& process) {
  std::lock_guard<std::mutex> guard(state_->lock);
  process = 0;
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, application, loc);
  if (auto fault = state_->Enter("CreateProcessW", err ? application : loc.full, commandLine, inheritHandles))
    return *fault;
  if (err) return err;
  if (!loc.exists || loc.isDir) return loc.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  state_->processStarts.push_back({loc.full, commandLine, inheritHandles});
  if (inheritHandles) {
    for (auto& [handle, entry] : state_->processes)
      if (entry.inheritable) ++entry.holders;
  }
  process = state_->NewHandle();
  state_->processes[process] = {u"process " + loc.full, 1, false, loc.full};
  return cErrSuccess;
}

std::uint32_t TSimPlatform::WaitForSingleObject(THandle handle, std::uint32_t milliseconds) {
  std::lock_guard<std::mutex> guard(state_->lock);
  const auto it = state_->processes.find(handle);
  if (auto fault = state_->Enter("WaitForSingleObject", it != state_->processes.end() ? it->second.what : u"?", u"",
                                 milliseconds))
    return *fault;
  // The emulated processes have always ended by the time anyone waits.
  return it != state_->processes.end() ? cErrSuccess : cWaitFailed;
}

std::vector<TSimProcessStart> TSimPlatform::ProcessStarts() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->processStarts;
}
