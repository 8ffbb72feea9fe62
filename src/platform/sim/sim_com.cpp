// The emulated COM: apartments counted per thread, registered classes as a
// setting, and shell links saved as small text files that record target,
// working folder and description.
#include <fstream>
#include <sstream>

#include "common/utils.h"
#include "platform/sim/sim_state.h"

namespace {

constexpr std::int32_t cCoENotInitialized = static_cast<std::int32_t>(0x800401F0u);
constexpr char cLinkHeader[] = "[CorvalinSimLink]";

std::string LinkBytes(const TSimLink& link) {
  return std::string(cLinkHeader) + "\r\nTarget=" + ToUtf8(link.target) +
         "\r\nWorkingDirectory=" + ToUtf8(link.workingDirectory) + "\r\nDescription=" + ToUtf8(link.description) +
         "\r\n";
}

bool HasApartment(TSimPlatform::TState& state) {
  const auto it = state.apartments.find(std::this_thread::get_id());
  return it != state.apartments.end() && it->second > 0;
}

}  // namespace

std::int32_t TSimPlatform::CoInitialize() {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("CoInitialize", u"")) return static_cast<std::int32_t>(*fault);
  int& count = state_->apartments[std::this_thread::get_id()];
  return count++ == 0 ? cS_OK : cS_FALSE;
}

void TSimPlatform::CoUninitialize() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("CoUninitialize", u"");
  const auto it = state_->apartments.find(std::this_thread::get_id());
  if (it != state_->apartments.end() && --it->second <= 0) state_->apartments.erase(it);
}

std::int32_t TSimPlatform::ProbeClassInstance(const TGuid& clsid) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("ProbeClassInstance", u"")) return static_cast<std::int32_t>(*fault);
  if (!HasApartment(*state_)) return cCoENotInitialized;
  for (const TGuid& known : comClasses) {
    if (known == clsid) return cS_OK;
  }
  return cREGDB_E_CLASSNOTREG;
}

std::int32_t TSimPlatform::ShellLinkCreate(THandle& link) {
  std::lock_guard<std::mutex> guard(state_->lock);
  link = 0;
  if (auto fault = state_->Enter("ShellLinkCreate", u"")) return static_cast<std::int32_t>(*fault);
  if (!HasApartment(*state_)) return cCoENotInitialized;
  link = state_->NewHandle();
  state_->links[link] = {};
  return cS_OK;
}

std::int32_t TSimPlatform::ShellLinkSetPath(THandle link, const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("ShellLinkSetPath", path)) return static_cast<std::int32_t>(*fault);
  const auto it = state_->links.find(link);
  if (it == state_->links.end()) return cE_INVALIDARG;
  it->second.target = path;
  return cS_OK;
}

std::int32_t TSimPlatform::ShellLinkSetWorkingDirectory(THandle link, const ustring& dir) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("ShellLinkSetWorkingDirectory", dir)) return static_cast<std::int32_t>(*fault);
  const auto it = state_->links.find(link);
  if (it == state_->links.end()) return cE_INVALIDARG;
  it->second.workingDirectory = dir;
  return cS_OK;
}

std::int32_t TSimPlatform::ShellLinkSetDescription(THandle link, const ustring& text) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (auto fault = state_->Enter("ShellLinkSetDescription", text)) return static_cast<std::int32_t>(*fault);
  const auto it = state_->links.find(link);
  if (it == state_->links.end()) return cE_INVALIDARG;
  it->second.description = text;
  return cS_OK;
}

std::int32_t TSimPlatform::ShellLinkSave(THandle link, const ustring& fileName, bool) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, fileName, loc);
  if (auto fault = state_->Enter("ShellLinkSave", err ? fileName : loc.full)) return static_cast<std::int32_t>(*fault);
  const auto it = state_->links.find(link);
  if (it == state_->links.end()) return cE_INVALIDARG;
  if (err) return HResultFromWin32(err);
  if (!loc.parentIsDir) return HResultFromWin32(cErrPathNotFound);
  if (loc.isDir) return cE_ACCESSDENIED;
  if (loc.exists) {
    std::error_code ec;
    const auto perms = std::filesystem::status(loc.host, ec).permissions();
    if ((perms & std::filesystem::perms::owner_write) == std::filesystem::perms::none) return cE_ACCESSDENIED;
  }
  if (state_->SharingConflict(loc.key, cFileWriteData, 0)) return HResultFromWin32(cErrSharingViolation);
  std::ofstream out(loc.host, std::ios::binary | std::ios::trunc);
  out << LinkBytes(it->second);
  return out ? cS_OK : cE_FAIL;
}

void TSimPlatform::PutLink(const ustring& path, const ustring& target) {
  PutFile(path, LinkBytes({target, PathOfFile(target), u""}));
}

std::int32_t TSimPlatform::ShellLinkLoad(THandle link, const ustring& fileName) {
  std::lock_guard<std::mutex> guard(state_->lock);
  sim::TLocation loc;
  const std::uint32_t err = state_->Locate(*this, fileName, loc);
  if (auto fault = state_->Enter("ShellLinkLoad", err ? fileName : loc.full)) return static_cast<std::int32_t>(*fault);
  const auto it = state_->links.find(link);
  if (it == state_->links.end()) return cE_INVALIDARG;
  if (err) return HResultFromWin32(err);
  if (!loc.exists) return HResultFromWin32(loc.parentIsDir ? cErrFileNotFound : cErrPathNotFound);
  if (loc.isDir || state_->SharingConflict(loc.key, cGenericRead, cFileShareRead)) return cE_ACCESSDENIED;
  std::ifstream in(loc.host, std::ios::binary);
  const std::optional<TSimLink> saved =
      sim::ParseLink(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  if (!saved) return cE_FAIL;  // not a link file
  it->second = *saved;
  return cS_OK;
}

std::int32_t TSimPlatform::ShellLinkGetPath(THandle link, ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  path.clear();
  if (auto fault = state_->Enter("ShellLinkGetPath", u"")) return static_cast<std::int32_t>(*fault);
  const auto it = state_->links.find(link);
  if (it == state_->links.end()) return cE_INVALIDARG;
  path = it->second.target;
  return path.empty() ? cS_FALSE : cS_OK;
}

void TSimPlatform::ShellLinkRelease(THandle link) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("ShellLinkRelease", u"", u"", link);
  state_->links.erase(link);
}

std::optional<TSimLink> TSimPlatform::ReadLink(const ustring& path) {
  const std::optional<std::string> bytes = FileBytes(path);
  if (!bytes) return std::nullopt;
  return sim::ParseLink(*bytes);
}

std::optional<TSimLink> sim::ParseLink(const std::string& bytes) {
  if (bytes.rfind(cLinkHeader, 0) != 0) return std::nullopt;
  TSimLink link;
  std::istringstream lines(bytes);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq);
    const ustring value = FromUtf8(line.substr(eq + 1));
    if (name == "Target") link.target = value;
    else if (name == "WorkingDirectory") link.workingDirectory = value;
    else if (name == "Description") link.description = value;
  }
  return link;
}
