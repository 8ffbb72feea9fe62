#include "platform/sim/sim_platform.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "common/utils.h"
#include "platform/sim/version_block.h"

TSimPlatform::TSimPlatform() = default;
TSimPlatform::~TSimPlatform() = default;

std::vector<TPostedMessage> TSimPlatform::PostedMessages() {
  std::lock_guard<std::mutex> lock(messageLock_);
  return messages_;
}

bool TSimPlatform::WaitForMessages(std::size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> lock(messageLock_);
  return messagePosted_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return messages_.size() >= count; });
}

TSystemTime TSimPlatform::GetUtcTime() { return utcTime; }
ustring TSimPlatform::GetProcessCommandLine() { return commandLine; }
ustring TSimPlatform::GetOwnModulePath() { return ownModulePath; }

bool TSimPlatform::PostWindowMessage(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) {
  if (window == 0) return false;
  {
    std::lock_guard<std::mutex> lock(messageLock_);
    messages_.push_back({window, msg, wparam, lparam});
  }
  messagePosted_.notify_all();
  return true;
}

std::uint32_t TSimPlatform::StartThread(std::function<void()> fn) {
  std::thread(std::move(fn)).detach();
  return cErrSuccess;
}

bool TSimPlatform::FindOwnResource(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data,
                                   std::uint32_t& size) {
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
  major = osMajor;
  minor = osMinor;
  build = osBuild;
  return true;
}

std::uint32_t TSimPlatform::GetFileVersionInfoSizeW(const ustring& file) {
  const auto it = versionBlocks.find(LowerAscii(file));
  return it == versionBlocks.end() ? 0 : static_cast<std::uint32_t>(it->second.size());
}

bool TSimPlatform::GetFileVersionInfoW(const ustring& file, std::uint32_t size, void* block) {
  const auto it = versionBlocks.find(LowerAscii(file));
  if (it == versionBlocks.end() || size < it->second.size()) return false;
  std::copy(it->second.begin(), it->second.end(), static_cast<std::uint8_t*>(block));
  return true;
}

bool TSimPlatform::VerQueryValueW(const void* block, const ustring& subBlock, const void*& data,
                                  std::uint32_t& length) {
  // Like Windows, the block's own length (its first 16-bit field) bounds the search.
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  const std::size_t size = static_cast<std::size_t>(bytes[0] | (bytes[1] << 8));
  return VersionBlockQuery(block, size, subBlock, data, length);
}
