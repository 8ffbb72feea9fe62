// The emulation of what a hostile user of the same machine may prepare:
// links (host links in the sandbox stand for NTFS links: a symbolic link to
// a file, a junction for a folder, a hard link as a second name), files of
// another account, that account's named objects, and the private namespace
// whose boundary only administrators can pass.
#include <random>

#include "common/utils.h"

#include "platform/sim/sim_state.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t cFileAttributeArchive = 0x20;

// The Windows path of a host path inside the sandbox (its first part is the
// drive); a path outside it can't be named as one and comes out as such.
ustring WindowsPathOf(const fs::path& root, const fs::path& host) {
  const fs::path rel = host.lexically_relative(root);
  ustring out;
  for (const fs::path& part : rel) {
    if (part == "..") return u"\\\\?\\outside the emulated drives";
    if (out.empty()) {
      out = part.u16string();
      out += u':';
    } else {
      out += u'\\';
      out += part.u16string();
    }
  }
  if (out.size() == 2) out += u"\\";
  return out;
}

}  // namespace

void TSimPlatform::MakeSymbolicLink(const ustring& link, const ustring& target) {
  MakeDirs(PathOfFile(link));
  std::error_code ec;
  fs::create_symlink(HostPath(target), HostPath(link), ec);
}

void TSimPlatform::MakeHardLink(const ustring& link, const ustring& target) {
  MakeDirs(PathOfFile(link));
  std::error_code ec;
  fs::create_hard_link(HostPath(target), HostPath(link), ec);
}

void TSimPlatform::MakeJunction(const ustring& link, const ustring& targetFolder) {
  MakeDirs(PathOfFile(link));
  std::error_code ec;
  fs::create_directory_symlink(HostPath(targetFolder), HostPath(link), ec);
}

void TSimPlatform::SetFileOwner(const ustring& path, const ustring& account) {
  const fs::path host = HostPath(path);
  std::lock_guard<std::mutex> guard(state_->lock);
  std::error_code ec;
  state_->owners[fs::canonical(host, ec).string()] = account;
}

void TSimPlatform::SquatMutex(const ustring& name) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->squattedMutexes.push_back(name);
}

bool TSimPlatform::RedirectionTrustEnforced() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->trustEnforced;
}

std::vector<ustring> TSimPlatform::LiveNamespaces() {
  std::lock_guard<std::mutex> guard(state_->lock);
  std::vector<ustring> names;
  for (const auto& [handle, alias] : state_->namespaces) names.push_back(alias);
  return names;
}

std::uint32_t TSimPlatform::GetFileFacts(THandle file, TFileFacts& facts) {
  std::lock_guard<std::mutex> guard(state_->lock);
  facts = TFileFacts();
  const auto it = state_->files.find(file);
  if (auto fault = state_->Enter("GetFileFacts", it != state_->files.end() ? it->second.path : u"?")) return *fault;
  if (it == state_->files.end()) return cErrInvalidHandle;
  const sim::TOpening& open = it->second;
  std::error_code ec;
  // Where the handle really is: every link on the way resolved, the last
  // name too unless the link itself was opened.
  const fs::path real =
      open.asLink ? fs::canonical(open.host.parent_path(), ec) / open.host.filename() : fs::canonical(open.host, ec);
  if (ec) return cErrFileNotFound;
  facts.attributes = open.isDir ? cFileAttributeDirectory : cFileAttributeArchive;
  if (open.asLink) {
    facts.attributes |= cFileAttributeReparsePoint;
    facts.reparseTag = open.isDir ? cIoReparseTagMountPoint : cIoReparseTagSymlink;
  }
  facts.links = open.isDir || open.asLink ? 1u : static_cast<std::uint32_t>(fs::hard_link_count(real, ec));
  const auto owner = state_->owners.find(real.string());
  facts.ownedByCaller =
      owner == state_->owners.end() || owner->second.empty() || sim::UpperName(owner->second) == sim::UpperName(userName);
  facts.finalPath = WindowsPathOf(fs::canonical(state_->Root(), ec), real);
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GetTempPath2W(ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  path.clear();
  if (auto fault = state_->Enter("GetTempPath2W", tempPath2.value_or(u""))) return *fault;
  if (!tempPath2) return cErrProcNotFound;
  path = *tempPath2;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GetWindowsDirectoryW(ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  path.clear();
  if (auto fault = state_->Enter("GetWindowsDirectoryW", windowsDirectory)) return *fault;
  path = windowsDirectory;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GenRandom(void* buffer, std::uint32_t size) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("GenRandom", u"", u"", size)) return *fault;
  std::random_device random;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  for (std::uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(random());
  return cErrSuccess;
}

std::uint32_t TSimPlatform::OpenAdminNamespace(const ustring& alias, THandle& space) {
  std::lock_guard<std::mutex> guard(state_->lock);
  space = 0;
  if (auto fault = state_->Enter("OpenAdminNamespace", alias)) return *fault;
  if (!privateNamespaces) return cErrProcNotFound;
  // The boundary holds the Administrators group: a token without it can't pass.
  if (!isAdmin) return cErrAccessDenied;
  space = state_->NewHandle();
  state_->namespaces[space] = alias;
  return cErrSuccess;
}

void TSimPlatform::CloseAdminNamespace(THandle space) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("CloseAdminNamespace", u"", u"", space);
  state_->namespaces.erase(space);
}

std::uint32_t TSimPlatform::EnforceRedirectionTrust() {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("EnforceRedirectionTrust", u"")) return *fault;
  if (!redirectionTrust) return cErrProcNotFound;
  state_->trustEnforced = true;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::GetProcessImagePath(THandle process, ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  path.clear();
  const auto it = state_->processes.find(process);
  if (auto fault = state_->Enter("GetProcessImagePath", it != state_->processes.end() ? it->second.what : u"?"))
    return *fault;
  if (it == state_->processes.end()) return cErrInvalidHandle;
  path = it->second.image;
  return cErrSuccess;
}

std::uint32_t TSimPlatform::CreateProcessWithHandle(const ustring& application, const ustring& commandLine,
                                                    THandle inherit, THandle& process) {
  std::lock_guard<std::mutex> guard(state_->lock);
  process = 0;
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, application, loc);
  if (auto fault = state_->Enter("CreateProcessWithHandle", err ? application : loc.full, commandLine, inherit))
    return *fault;
  if (err) return err;
  if (!loc.exists || loc.isDir) return loc.parentIsDir ? cErrFileNotFound : cErrPathNotFound;
  const auto passed = state_->processes.find(inherit);
  if (passed == state_->processes.end() || !passed->second.inheritable) return 87;  // ERROR_INVALID_PARAMETER
  state_->processStarts.push_back({loc.full, commandLine, true, inherit});
  ++passed->second.holders;
  process = state_->NewHandle();
  state_->processes[process] = {u"process " + loc.full, 1, false, loc.full};
  return cErrSuccess;
}
