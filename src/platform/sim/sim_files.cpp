// The emulated file system: Windows paths mapped into a sandbox folder on the
// host (C:\X <-> <root>/C/X), found case-insensitively like NTFS finds them,
// with Windows' share modes, read-only files, files held by other processes
// and moves with replace. The sandbox is made on first use and removed with
// the emulated system.
#include <fstream>
#include <random>

#include "common/utils.h"
#include "platform/sim/sim_file_rights.h"
#include "platform/sim/sim_state.h"

namespace fs = std::filesystem;
using sim::cAppendData;
using sim::cDelete;
using sim::cExecute;
using sim::cReadData;
using sim::cWriteData;
using sim::FileRights;
using sim::HostReadOnly;
using sim::SetHostReadOnly;

namespace {

constexpr std::uint32_t cErrNotSameDevice = 17;
constexpr std::uint32_t cErrBadNetPath = 53;
constexpr std::uint32_t cErrInvalidName = 123;
constexpr std::uint32_t cErrDirectory = 267;
constexpr std::uint32_t cCreateNew = 1;
constexpr std::uint32_t cOpenAlways = 4;
constexpr std::uint32_t cTruncateExisting = 5;
constexpr std::uint32_t cMoveFileCopyAllowed = 0x2;

bool Reads(std::uint32_t rights) { return (rights & (cReadData | cExecute)) != 0; }
bool Writes(std::uint32_t rights) { return (rights & (cWriteData | cAppendData)) != 0; }
bool Deletes(std::uint32_t rights) { return (rights & cDelete) != 0; }

// Windows' share-mode rule, both ways round: each opening must allow what the
// other one does.
bool Conflict(std::uint32_t accessA, std::uint32_t shareA, std::uint32_t accessB, std::uint32_t shareB) {
  auto blocks = [](std::uint32_t access, std::uint32_t share) {
    return (Reads(access) && !(share & cFileShareRead)) || (Writes(access) && !(share & cFileShareWrite)) ||
           (Deletes(access) && !(share & cFileShareDelete));
  };
  return blocks(accessA, shareB) || blocks(accessB, shareA);
}

bool BadName(const ustring& name) {
  for (char16_t c : name) {
    if (c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*') return true;
  }
  return false;
}

bool TruncateHost(const fs::path& host) {
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(out);
}

bool WriteHost(const fs::path& host, std::uint64_t position, const void* data, std::uint32_t size) {
  std::fstream out(host, std::ios::in | std::ios::out | std::ios::binary);
  if (!out) return false;
  out.seekp(static_cast<std::streamoff>(position));
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

ustring WithoutTrailingSlash(const ustring& path) {
  return path.size() > 3 && path.back() == u'\\' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

// --- the sandbox and path lookup ---

const fs::path& TSimPlatform::TState::Root() {
  if (!root.empty()) return root;
  std::random_device random;
  std::error_code ec;
  // Memory-backed where the host has it: folders on some disks take
  // milliseconds each to remove, and every test makes a sandbox.
#ifdef _WIN32
  const fs::path temp = fs::temp_directory_path(ec);
#else
  fs::path temp = "/dev/shm";
  if (!fs::is_directory(temp, ec)) temp = fs::temp_directory_path(ec);
#endif
  for (int attempt = 0; attempt < 100 && root.empty(); ++attempt) {
    const fs::path candidate = temp / ("corvalin-sim-" + std::to_string(random()) + std::to_string(attempt));
    if (fs::create_directory(candidate, ec)) root = candidate;
  }
  // What every Windows system has, at the places the default settings name.
  for (const char* folder : {"C/Windows/system32", "C/Program Files", "C/ProgramData/Microsoft/Windows/Start Menu/Programs",
                             "C/Users/Public/Desktop", "C/Users/Tester/Desktop", "C/Users/Tester/AppData/Local/Temp", "C/Setup", "C/Windows/Temp"})
    fs::create_directories(root / folder, ec);
  std::ofstream(root / "C/Windows/system32/shell32.dll", std::ios::binary);
  return root;
}

std::uint32_t TSimPlatform::TState::Locate(TSimPlatform& owner, const ustring& path, sim::TLocation& loc) {
  loc = {};
  if (const std::uint32_t err = sim::FullPath(path, owner.currentDirectory, loc.full)) return err;
  if (loc.full.rfind(u"\\\\", 0) == 0) return cErrBadNetPath;
  if (loc.full.size() < 3 || loc.full[1] != u':' || loc.full[2] != u'\\') return cErrInvalidName;
  loc.drive = sim::UpperName(loc.full.substr(0, 1))[0];
  loc.key = sim::UpperName(WithoutTrailingSlash(loc.full));
  if (loc.key.size() == 3) loc.key.pop_back();  // "C:\" -> "C:"
  std::vector<ustring> parts;
  for (std::size_t start = 3; start < loc.full.size();) {
    std::size_t end = loc.full.find(u'\\', start);
    if (end == ustring::npos) end = loc.full.size();
    if (end > start) parts.push_back(loc.full.substr(start, end - start));
    start = end + 1;
  }
  for (const ustring& part : parts) {
    if (BadName(part) || !sim::HostCanHold(part)) return cErrInvalidName;
  }
  std::error_code ec;
  loc.host = Root() / ustring(1, loc.drive);
  bool dirSoFar = fs::is_directory(loc.host, ec);
  loc.parentIsDir = dirSoFar;
  for (const ustring& part : parts) {
    loc.parentIsDir = dirSoFar;
    fs::path next = loc.host / part;
    if (dirSoFar && !fs::exists(next, ec)) {
      const ustring wanted = sim::UpperName(part);
      for (const fs::directory_entry& entry : fs::directory_iterator(loc.host, ec)) {
        if (sim::UpperName(entry.path().filename().u16string()) == wanted) {
          next = entry.path();
          break;
        }
      }
    }
    loc.host = next;
    dirSoFar = dirSoFar && fs::is_directory(loc.host, ec);
  }
  loc.exists = loc.parentIsDir && fs::exists(loc.host, ec);
  loc.isDir = loc.exists && fs::is_directory(loc.host, ec);
  return cErrSuccess;
}

bool TSimPlatform::TState::SharingConflict(const ustring& key, std::uint32_t access, std::uint32_t share) {
  bool conflict = false;
  for (const auto& [handle, open] : files) {
    if (open.key == key && Conflict(access, share, open.access, open.share)) conflict = true;
  }
  for (auto hold = holds.begin(); hold != holds.end();) {
    if (hold->key != key || !Conflict(access, share, hold->access, hold->share)) {
      ++hold;
      continue;
    }
    conflict = true;
    // A brief hold has turned this attempt away; after its last refusal the
    // other process has closed the file.
    if (hold->refusalsLeft > 0 && --hold->refusalsLeft == 0) {
      hold = holds.erase(hold);
    } else {
      ++hold;
    }
  }
  return conflict;
}

bool TSimPlatform::TState::AnyOpenAt(const ustring& key, bool withChildren) const {
  auto at = [&](const ustring& other) {
    return other == key || (withChildren && other.size() > key.size() && other.compare(0, key.size(), key) == 0 &&
                            other[key.size()] == u'\\');
  };
  for (const auto& [handle, open] : files) {
    if (at(open.key)) return true;
  }
  for (const sim::TOpening& hold : holds) {
    if (at(hold.key)) return true;
  }
  return false;
}

// Openings of a moved file or folder (and of everything inside it) follow it.
void TSimPlatform::TState::Rekey(const ustring& fromKey, const sim::TLocation& to) {
  auto follow = [&](sim::TOpening& open) {
    if (open.key == fromKey) {
      open.key = to.key;
      open.path = to.full;
      open.host = to.host;
    } else if (open.key.size() > fromKey.size() && open.key.compare(0, fromKey.size(), fromKey) == 0 &&
               open.key[fromKey.size()] == u'\\') {
      const ustring tail = open.path.substr(fromKey.size());
      open.key = to.key + open.key.substr(fromKey.size());
      open.path = WithoutTrailingSlash(to.full) + tail;
      open.host = to.host;
      for (std::size_t start = 1; start < tail.size();) {
        std::size_t end = tail.find(u'\\', start);
        if (end == ustring::npos) end = tail.size();
        if (end > start) open.host /= tail.substr(start, end - start);
        start = end + 1;
      }
    }
  };
  for (auto& [handle, open] : files) follow(open);
  for (sim::TOpening& hold : holds) follow(hold);
}

// --- IPlatform ---

std::uint32_t TSimPlatform::CreateFileW(const ustring& path, std::uint32_t access, std::uint32_t share,
                                        std::uint32_t disposition, std::uint32_t flags, THandle& file) {
  std::lock_guard<std::mutex> guard(state_->lock);
  file = 0;
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("CreateFileW", err ? path : loc.full, u"", access)) return *fault;
  if (err) return err;
  if (!loc.parentIsDir) return cErrPathNotFound;
  const std::uint32_t rights = FileRights(access);
  const bool slashed = path.back() == u'\\' || path.back() == u'/';
  std::error_code ec;
  sim::TOpening open{loc.key, loc.full, loc.host, rights, share};
  // A link in the host's sandbox is a link of the emulated NTFS: opened as
  // itself with cFileFlagOpenReparsePoint, followed otherwise. Creating a new
  // file at a link fails even when its target is gone.
  const bool hostLink = loc.parentIsDir && fs::is_symlink(fs::symlink_status(loc.host, ec));
  if (hostLink && (flags & cFileFlagOpenReparsePoint) != 0) {
    if (disposition == cCreateNew) return cErrFileExists;
    if (disposition != cOpenExisting && disposition != cOpenAlways) return cErrAccessDenied;
    if (loc.isDir && (flags & cFileFlagBackupSemantics) == 0) return cErrAccessDenied;
    if (state_->SharingConflict(loc.key, rights, share)) return cErrSharingViolation;
    open.isDir = loc.isDir;
    open.asLink = true;
    file = state_->NewHandle();
    state_->files[file] = open;
    return cErrSuccess;
  }
  if (hostLink && !loc.exists && disposition == cCreateNew) return cErrFileExists;
  if (loc.isDir) {
    if (disposition == cCreateNew) return cErrFileExists;
    if (disposition != cOpenExisting && disposition != cOpenAlways) return cErrAccessDenied;
    if ((flags & cFileFlagBackupSemantics) == 0) return cErrAccessDenied;
    if (state_->SharingConflict(loc.key, rights, share)) return cErrSharingViolation;
    open.isDir = true;
  } else if (loc.exists) {
    if (slashed) return cErrInvalidName;
    if (disposition == cCreateNew) return cErrFileExists;
    const bool overwrite = disposition == cCreateAlways || disposition == cTruncateExisting;
    if (HostReadOnly(loc.host) && (Writes(rights) || overwrite)) return cErrAccessDenied;
    if (state_->SharingConflict(loc.key, rights, share)) return cErrSharingViolation;
    if (overwrite && !TruncateHost(loc.host)) return cErrAccessDenied;
  } else {
    if (disposition == cOpenExisting || disposition == cTruncateExisting) return cErrFileNotFound;
    if (slashed) return cErrInvalidName;
    if (!TruncateHost(loc.host)) return cErrAccessDenied;
    if (flags & cFileAttributeReadonly) SetHostReadOnly(loc.host, true);
  }
  file = state_->NewHandle();
  state_->files[file] = open;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::WriteFile(THandle file, const void* data, std::uint32_t size, std::uint32_t& written) {
  std::lock_guard<std::mutex> guard(state_->lock);
  written = 0;
  const auto it = state_->files.find(file);
  if (auto fault = state_->Enter("WriteFile", it != state_->files.end() ? it->second.path : u"?", u"", size))
    return *fault;
  if (it == state_->files.end()) return cErrInvalidHandle;
  sim::TOpening& open = it->second;
  if (open.isDir || !Writes(open.access)) return cErrAccessDenied;
  if (size == 0) return cErrSuccess;
  // A file created read-only still takes writes through the handle that created it.
  // A handle that may append but not write data writes at the end, wherever
  // its position is: what others wrote meanwhile is never overwritten.
  if ((open.access & cAppendData) && !(open.access & cWriteData)) {
    std::error_code ec;
    const std::uintmax_t end = fs::file_size(open.host, ec);
    if (ec) return cErrWriteFault;
    open.position = end;
  }
  const std::uint32_t stored = state_->StoredByWrite(open.path, size);  // short writes
  if (stored == 0) return cErrSuccess;
  const bool readOnly = HostReadOnly(open.host);
  if (readOnly) SetHostReadOnly(open.host, false);
  const bool ok = WriteHost(open.host, open.position, data, stored);
  if (readOnly) SetHostReadOnly(open.host, true);
  if (!ok) return cErrWriteFault;
  open.position += stored;
  written = stored;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CloseHandle(THandle handle) {
  std::lock_guard<std::mutex> guard(state_->lock);
  const auto it = state_->files.find(handle);
  const auto process = state_->processes.find(handle);
  const ustring subject = it != state_->files.end()               ? it->second.path
                          : process != state_->processes.end() ? process->second.what
                                                                 : u"?";
  if (auto fault = state_->Enter("CloseHandle", subject, u"", handle)) return *fault;
  if (process != state_->processes.end()) {
    if (--process->second.holders == 0) state_->processes.erase(process);
    return cErrSuccess;
  }
  if (it == state_->files.end()) return cErrInvalidHandle;
  state_->files.erase(it);
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CreateDirectoryW(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("CreateDirectoryW", err ? path : loc.full)) return *fault;
  if (err) return err;
  if (loc.exists) return cErrAlreadyExists;
  if (!loc.parentIsDir) return cErrPathNotFound;
  std::error_code ec;
  if (!fs::create_directory(loc.host, ec)) return cErrAccessDenied;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::RemoveDirectoryW(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("RemoveDirectoryW", err ? path : loc.full)) return *fault;
  if (err) return err;
  if (!loc.exists) return loc.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  if (!loc.isDir) return cErrDirectory;
  std::error_code ec;
  if (!fs::is_empty(loc.host, ec)) return cErrDirNotEmpty;
  if (state_->SharingConflict(loc.key, cDelete, cFileShareRead | cFileShareWrite | cFileShareDelete))
    return cErrSharingViolation;
  if (!fs::remove(loc.host, ec)) return cErrAccessDenied;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::MoveFileExW(const ustring& from, const ustring& to, std::uint32_t flags) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation src;
  const std::uint32_t err = state_->Locate(*this, from, src);
  if (auto fault = state_->Enter("MoveFileExW", err ? from : src.full, to, flags)) return *fault;
  if (err) return err;
  if (flags & cMoveFileDelayUntilReboot) {
    // Only recorded in the machine's pending-operations list (administrators
    // only); the file is not looked at now, as on the real system.
    if (!isAdmin) return cErrAccessDenied;
    ustring target;
    if (!to.empty()) {
      if (const std::uint32_t fullErr = sim::FullPath(to, currentDirectory, target)) return fullErr;
    }
    state_->restartList.push_back({src.full, target});
    return cErrSuccess;
  }
  if (to.empty()) return cErrInvalidParameter;
  if (!src.exists) return src.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  sim::TLocation dst;
  if (const std::uint32_t dstErr = state_->Locate(*this, to, dst)) return dstErr;
  if (!dst.parentIsDir) return cErrPathNotFound;
  // The source is opened for deletion with full sharing: every opening of it
  // must allow deletion, which a running program's image does.
  if (state_->SharingConflict(src.key, cDelete, cFileShareRead | cFileShareWrite | cFileShareDelete))
    return cErrSharingViolation;
  if (src.isDir && state_->AnyOpenAt(src.key, true)) return cErrAccessDenied;
  const bool sameName = src.key == dst.key;
  if (dst.exists && !sameName) {
    if ((flags & cMoveFileReplaceExisting) == 0) return cErrAlreadyExists;
    if (dst.isDir || src.isDir || HostReadOnly(dst.host) || state_->AnyOpenAt(dst.key, false)) return cErrAccessDenied;
  }
  std::error_code ec;
  if (src.drive != dst.drive) {
    if ((flags & cMoveFileCopyAllowed) == 0) return cErrNotSameDevice;
    if (dst.exists) fs::remove(dst.host, ec);
    fs::copy(src.host, dst.host, fs::copy_options::recursive, ec);
    if (ec) return cErrAccessDenied;
    fs::remove_all(src.host, ec);
  } else {
    fs::rename(src.host, dst.host, ec);
    if (ec) return cErrAccessDenied;
  }
  if (!sameName) state_->Rekey(src.key, dst);
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GetDiskFreeSpaceExW(const ustring& path, std::uint64_t& freeBytes) {
  std::lock_guard<std::mutex> guard(state_->lock);
  freeBytes = 0;
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, path, loc);
  if (auto fault = state_->Enter("GetDiskFreeSpaceExW", err ? path : loc.full)) return *fault;
  if (err) return err;
  if (!loc.exists) return cErrPathNotFound;
  if (!loc.isDir) return cErrDirectory;
  const auto it = freeSpace.find(loc.drive);
  freeBytes = it != freeSpace.end() ? it->second : 0;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GetFullPathNameW(const ustring& path, ustring& fullPath) {
  std::lock_guard<std::mutex> guard(state_->lock);
  fullPath.clear();
  if (auto fault = state_->Enter("GetFullPathNameW", path)) return *fault;
  return sim::FullPath(path, currentDirectory, fullPath);
}
