// Facilities whose emulation is still to come: every call fails the way Windows
// fails for a missing facility, so nothing above can mistake them for success.
#include <stdexcept>

#include "platform/sim/sim_platform.h"

std::uint32_t TSimPlatform::CreateFileW(const ustring&, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                        THandle& file) {
  file = 0;
  return cErrFileNotFound;
}
std::uint32_t TSimPlatform::WriteFile(THandle, const void*, std::uint32_t, std::uint32_t& written) {
  written = 0;
  return cErrInvalidHandle;
}
std::uint32_t TSimPlatform::CloseHandle(THandle) { return cErrInvalidHandle; }
std::uint32_t TSimPlatform::CreateDirectoryW(const ustring&) { return cErrPathNotFound; }
std::uint32_t TSimPlatform::RemoveDirectoryW(const ustring&) { return cErrFileNotFound; }
std::uint32_t TSimPlatform::MoveFileExW(const ustring&, const ustring&, std::uint32_t) { return cErrFileNotFound; }
std::uint32_t TSimPlatform::GetDiskFreeSpaceExW(const ustring&, std::uint64_t& free) {
  free = 0;
  return cErrPathNotFound;
}
std::uint32_t TSimPlatform::GetFullPathNameW(const ustring&, ustring& full) {
  full.clear();
  return cErrInvalidParameter;
}
std::uint32_t TSimPlatform::GetSystemDirectoryW(char16_t*, std::uint32_t) { return 0; }
std::uint32_t TSimPlatform::RegOpenCurrentUser(std::uint32_t, THKey& key) {
  key = 0;
  return cErrAccessDenied;
}
std::uint32_t TSimPlatform::RegOpenKeyExW(THKey, const ustring&, std::uint32_t, std::uint32_t, THKey& key) {
  key = 0;
  return cErrFileNotFound;
}
std::uint32_t TSimPlatform::RegCreateKeyExW(THKey, const ustring&, std::uint32_t, std::uint32_t, THKey& key,
                                            std::uint32_t*) {
  key = 0;
  return cErrAccessDenied;
}
std::uint32_t TSimPlatform::RegCloseKey(THKey) { return cErrInvalidHandle; }
std::uint32_t TSimPlatform::RegQueryValueExW(THKey, const ustring&, std::uint32_t*, std::uint8_t*, std::uint32_t*) {
  return cErrInvalidHandle;
}
std::uint32_t TSimPlatform::RegSetValueExW(THKey, const ustring&, std::uint32_t, const std::uint8_t*, std::uint32_t) {
  return cErrInvalidHandle;
}
bool TSimPlatform::CheckAdminMembership(bool& isMember) {
  isMember = false;
  return false;
}
bool TSimPlatform::GetUserNameW(char16_t*, std::uint32_t&) { return false; }
std::int32_t TSimPlatform::SHGetFolderPathW(const ustring&, int, char16_t*) { return cE_FAIL; }
void TSimPlatform::SHChangeNotify(std::int32_t, std::uint32_t, const ustring*) {}
std::intptr_t TSimPlatform::ShellExecuteW(const ustring&, const ustring&) { return 2; }
std::int32_t TSimPlatform::CoInitialize() { return cE_FAIL; }
void TSimPlatform::CoUninitialize() {}
std::int32_t TSimPlatform::ProbeClassInstance(const TGuid&) { return cREGDB_E_CLASSNOTREG; }
std::int32_t TSimPlatform::ShellLinkCreate(THandle& link) {
  link = 0;
  return cREGDB_E_CLASSNOTREG;
}
std::int32_t TSimPlatform::ShellLinkSetPath(THandle, const ustring&) { return cE_FAIL; }
std::int32_t TSimPlatform::ShellLinkSetWorkingDirectory(THandle, const ustring&) { return cE_FAIL; }
std::int32_t TSimPlatform::ShellLinkSetDescription(THandle, const ustring&) { return cE_FAIL; }
std::int32_t TSimPlatform::ShellLinkSave(THandle, const ustring&, bool) { return cE_FAIL; }
void TSimPlatform::ShellLinkRelease(THandle) {}
IDeployment& TSimPlatform::Deploy() { throw std::runtime_error("no deployment service emulated"); }
IUi& TSimPlatform::Ui() { throw std::runtime_error("no user interface emulated"); }
