#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "common/utils.h"
#include "platform/sim/sim_state.h"
#include "platform/sim/version_block.h"

TSimPlatform::TSimPlatform() : state_(std::make_unique<TState>()) {
  // Where a Windows system keeps these folders (all present in the sandbox).
  specialFolders = {{cCsidlDesktop, u"C:\\Users\\Tester\\Desktop"},
                    {cCsidlCommonPrograms, u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
                    {cCsidlCommonDesktopDirectory, u"C:\\Users\\Public\\Desktop"},
                    {cCsidlProgramFiles, u"C:\\Program Files"}};
  // Keys every Windows system has below which the setup registers itself.
  for (const char16_t* key : {u"SOFTWARE\\Classes\\CLSID", u"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers",
                              u"SOFTWARE\\Classes\\*\\shellex\\PropertySheetHandlers",
                              u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers",
                              u"SOFTWARE\\Classes\\Drive\\shellex\\ContextMenuHandlers",
                              u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                              u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                              u"SOFTWARE\\RegisteredApplications"})
    AddKey(cHkeyLocalMachine, key);
  AddKey(cHkeyCurrentUser, u"Software\\Classes");
  // The machine root holds only hives: nobody creates keys directly below it.
  state_->machine.deny = cKeyCreateSubKey;
}

TSimPlatform::~TSimPlatform() {
  if (state_->root.empty()) return;
  std::error_code ec;
  // Read-only files would stop the removal on Windows hosts.
  for (auto it = std::filesystem::recursive_directory_iterator(state_->root, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ec);
  }
  std::filesystem::remove_all(state_->root, ec);
}

std::vector<TPostedMessage> TSimPlatform::PostedMessages() {
  std::lock_guard<std::mutex> lock(messageLock_);
  return messages_;
}

bool TSimPlatform::WaitForMessages(std::size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> lock(messageLock_);
  messagePosted_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return messages_.size() >= count || processEnded_; });
  return messages_.size() >= count;
}

TSystemTime TSimPlatform::GetUtcTime() { return utcTime; }
ustring TSimPlatform::GetProcessCommandLine() { return commandLine; }
ustring TSimPlatform::GetOwnModulePath() { return ownModulePath; }

bool TSimPlatform::PostWindowMessage(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->Enter("PostWindowMessage", u"", u"", msg)) return false;
  }
  if (window == 0) return false;
  {
    std::lock_guard<std::mutex> lock(messageLock_);
    messages_.push_back({window, msg, wparam, lparam});
  }
  messagePosted_.notify_all();
  return true;
}

void TSimPlatform::Sleep(std::uint32_t milliseconds) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("Sleep", u"", u"", milliseconds);
  state_->sleptMs += milliseconds;
}

std::uint64_t TSimPlatform::SleptMilliseconds() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->sleptMs;
}

std::uint32_t TSimPlatform::StartThread(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (auto fault = state_->Enter("StartThread", u"")) return *fault;
  }
  std::thread(std::move(fn)).detach();
  return cErrSuccess;
}

bool TSimPlatform::FindOwnResource(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data,
                                   std::uint32_t& size) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->Enter("FindOwnResource", DecOfInt(static_cast<std::int32_t>(type)) + u"/" +
                                             DecOfInt(static_cast<std::int32_t>(id))))
      return false;
  }
  const auto it = resources.find({type, id});
  if (it == resources.end()) return false;
  data = it->second.data();
  size = static_cast<std::uint32_t>(it->second.size());
  return true;
}

ustring TSimPlatform::FormatSystemMessage(std::int32_t code) {
  switch (static_cast<std::uint32_t>(code)) {
    case 0x80070005u: return u"Access is denied.\r\n";
    case 0x80004005u: return u"Unspecified error\r\n";
    default: return u"";
  }
}

namespace {
// Windows-1252 characters 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t cCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr std::uint32_t cCpUtf8 = 65001;
}  // namespace

ustring TSimPlatform::DecodeAnsiText(const std::uint8_t* data, std::size_t size) {
  if (ansiCodePage == cCpUtf8) return FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  ustring text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i)
    text += data[i] >= 0x80 && data[i] < 0xA0 ? cCp1252High[data[i] - 0x80] : static_cast<char16_t>(data[i]);
  return text;
}

ustring TSimPlatform::FormatNumberGrouped(double value) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.0f", value);
  // English regional settings: a comma every three digits.
  const std::string text = digits;
  const std::size_t start = (!text.empty() && text[0] == '-') ? 1 : 0;
  std::string out = text.substr(0, start);
  for (std::size_t i = start; i < text.size(); ++i) {
    if (i > start && (text.size() - i) % 3 == 0) out += ',';
    out += text[i];
  }
  return FromUtf8(out);
}

bool TSimPlatform::GetVersionExW(std::uint32_t& major, std::uint32_t& minor, std::uint32_t& build) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->Enter("GetVersionExW", u"")) return false;
  }
  major = osMajor;
  minor = osMinor;
  build = osBuild;
  return true;
}

namespace {

// The buffer the emulated version API asks for and fills: the stored block
// (empty: no resource at all), zero-filled up to the length its root node
// claims and to at least that 16-bit length field. VerQueryValueW takes the
// block's extent from the field (it is given nothing else), so a damaged
// block that claims more than it holds is still read only inside the buffer
// handed out.
std::uint32_t VersionBufferSize(const std::vector<std::uint8_t>& stored) {
  constexpr std::size_t cLengthField = 2;
  if (stored.empty()) return 0;
  // The field as the query will read it: a missing second byte is a zero of the fill.
  const std::size_t claimed = static_cast<std::size_t>(stored[0] | (stored.size() >= 2 ? stored[1] << 8 : 0));
  return static_cast<std::uint32_t>(std::max({stored.size(), claimed, cLengthField}));
}

}  // namespace

std::uint32_t TSimPlatform::GetFileVersionInfoSizeW(const ustring& file) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->Enter("GetFileVersionInfoSizeW", file)) return 0;
  }
  const auto it = versionBlocks.find(LowerAscii(file));
  return it == versionBlocks.end() ? 0 : VersionBufferSize(it->second);
}

bool TSimPlatform::GetFileVersionInfoW(const ustring& file, std::uint32_t size, void* block) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->Enter("GetFileVersionInfoW", file)) return false;
  }
  const auto it = versionBlocks.find(LowerAscii(file));
  if (it == versionBlocks.end() || size < VersionBufferSize(it->second)) return false;
  auto* out = static_cast<std::uint8_t*>(block);
  std::copy(it->second.begin(), it->second.end(), out);
  std::fill(out + it->second.size(), out + VersionBufferSize(it->second), std::uint8_t{0});
  return true;
}

bool TSimPlatform::VerQueryValueW(const void* block, const ustring& subBlock, const void*& data,
                                  std::uint32_t& length) {
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->Enter("VerQueryValueW", subBlock)) return false;
  }
  // Like Windows, the block's own length (its first 16-bit field) bounds the search.
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  const std::size_t size = static_cast<std::size_t>(bytes[0] | (bytes[1] << 8));
  return VersionBlockQuery(block, size, subBlock, data, length);
}

IDeployment& TSimPlatform::Deploy() { return deploy; }
