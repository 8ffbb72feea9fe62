// The Windows calls behind the guarded operations of the seam (links, owners,
// the private namespace, process hardening); see platform.h for each contract.
#pragma once
#include <cstdint>

#include "platform/platform.h"

namespace win32_guarded {
std::uint32_t GetFileFacts(THandle file, TFileFacts& facts);
std::uint32_t GetTempPath2W(ustring& path);
std::uint32_t GetWindowsDirectoryW(ustring& path);
std::uint32_t GenRandom(void* buffer, std::uint32_t size);
std::uint32_t OpenAdminNamespace(const ustring& alias, THandle& space);
void CloseAdminNamespace(THandle space);
std::uint32_t EnforceRedirectionTrust();
std::uint32_t GetProcessImagePath(THandle process, ustring& path);
std::uint32_t CreateProcessWithHandle(const ustring& application, const ustring& commandLine, THandle inherit,
                                      THandle& process);
// GetLongPathNameW of path; path itself when that fails (a folder that is gone).
ustring LongPath(const ustring& path);
}  // namespace win32_guarded
