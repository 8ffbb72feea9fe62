// The Windows calls behind the uninstaller's platform operations (see
// platform.h for each one's contract); TWin32Platform forwards to them.
#pragma once
#include <cstdint>

#include "platform/platform.h"

namespace win32_removal {
std::uint32_t DeleteFileW(const ustring& path);
std::uint32_t SetFileAttributesW(const ustring& path, std::uint32_t attributes);
std::uint32_t CopyFileW(const ustring& from, const ustring& to);
std::uint32_t CreatePrivateDirectoryW(const ustring& path);
std::uint32_t RegDeleteKeyW(THKey parent, const ustring& subKey);
std::uint32_t RegDeleteValueW(THKey key, const ustring& name);
std::uint32_t RegQueryInfoKeyW(THKey key, std::uint32_t& subKeys, std::uint32_t& values);
std::uint32_t DuplicateOwnProcessHandle(THandle& handle);
std::uint32_t CreateProcessW(const ustring& application, const ustring& commandLine, bool inheritHandles,
                             THandle& process);
std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds);
}  // namespace win32_removal
