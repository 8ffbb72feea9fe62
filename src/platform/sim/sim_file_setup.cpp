// Set-up and inspection of the emulated file system for tests: files and
// folders put in place and read back on the host, read-only flags, and the
// openings of "another process" (holds), persistent or brief.
#include <fstream>

#include "platform/sim/sim_file_rights.h"
#include "platform/sim/sim_state.h"

namespace fs = std::filesystem;
using sim::cExecute;
using sim::cReadData;
using sim::FileRights;
using sim::HostReadOnly;
using sim::SetHostReadOnly;

fs::path TSimPlatform::SandboxRoot() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->Root();
}

fs::path TSimPlatform::HostPath(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  state_->Locate(*this, path, loc);
  return loc.host;
}

void TSimPlatform::MakeDirs(const ustring& path) {
  std::error_code ec;
  fs::create_directories(HostPath(path), ec);
}

void TSimPlatform::PutFile(const ustring& path, const std::string& bytes) {
  const fs::path host = HostPath(path);
  std::error_code ec;
  fs::create_directories(host.parent_path(), ec);
  std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
}

std::optional<std::string> TSimPlatform::FileBytes(const ustring& path) {
  const fs::path host = HostPath(path);
  std::error_code ec;
  if (!fs::is_regular_file(host, ec)) return std::nullopt;
  std::ifstream in(host, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TSimPlatform::HasFile(const ustring& path) {
  std::error_code ec;
  return fs::is_regular_file(HostPath(path), ec);
}

bool TSimPlatform::HasDir(const ustring& path) {
  std::error_code ec;
  return fs::is_directory(HostPath(path), ec);
}

void TSimPlatform::SetReadOnly(const ustring& path, bool readOnly) { SetHostReadOnly(HostPath(path), readOnly); }

bool TSimPlatform::IsReadOnly(const ustring& path) { return HostReadOnly(HostPath(path)); }

void TSimPlatform::HoldFile(const ustring& path, std::uint32_t access, std::uint32_t share) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  state_->Locate(*this, path, loc);
  state_->holds.push_back({loc.key, loc.full, loc.host, FileRights(access), share});
}

void TSimPlatform::HoldExclusive(const ustring& path) { HoldFile(path, cGenericRead | cGenericWrite, 0); }

void TSimPlatform::HoldAsRunningImage(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  state_->Locate(*this, path, loc);
  state_->holds.push_back({loc.key, loc.full, loc.host, cReadData | cExecute, cFileShareRead | cFileShareDelete});
  state_->holds.back().image = true;
}

void TSimPlatform::HoldBriefly(const ustring& path, std::uint32_t access, std::uint32_t share,
                               std::uint32_t refusals) {
  if (refusals == 0) return;  // turns nothing away: never held
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  state_->Locate(*this, path, loc);
  sim::TOpening hold{loc.key, loc.full, loc.host, FileRights(access), share};
  hold.refusalsLeft = refusals;
  state_->holds.push_back(hold);
}

void TSimPlatform::ReleaseHolds(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  state_->Locate(*this, path, loc);
  std::erase_if(state_->holds, [&](const sim::TOpening& hold) { return hold.key == loc.key; });
}

std::vector<TSimRestartEntry> TSimPlatform::RestartList() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->restartList;
}
