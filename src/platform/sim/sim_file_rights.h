// File rights and the host's read-only flag as the emulated file system sees
// them; shared by its operations and its test set-up.
#pragma once
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "platform/wincodes.h"

namespace sim {

inline constexpr std::uint32_t cReadData = 0x0001, cWriteData = 0x0002, cAppendData = 0x0004, cExecute = 0x0020;
inline constexpr std::uint32_t cDelete = 0x00010000;

// Generic rights become the file rights Windows maps them to.
inline std::uint32_t FileRights(std::uint32_t access) {
  std::uint32_t rights = access & 0x01FFFFFFu;
  if (access & cGenericRead) rights |= 0x120089u;
  if (access & cGenericWrite) rights |= 0x120116u;
  if (access & 0x20000000u) rights |= 0x1200A0u;  // GENERIC_EXECUTE
  if (access & 0x10000000u) rights |= 0x1F01FFu;  // GENERIC_ALL
  return rights;
}

// A regular file without the owner's write permission stands for a read-only file.
inline bool HostReadOnly(const std::filesystem::path& host) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(host, ec);
  return !ec && std::filesystem::is_regular_file(status) &&
         (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

inline void SetHostReadOnly(const std::filesystem::path& host, bool readOnly) {
  using std::filesystem::perms;
  std::error_code ec;
  std::filesystem::permissions(host, perms::owner_write | perms::group_write | perms::others_write,
                               readOnly ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add,
                               ec);
}

}  // namespace sim
