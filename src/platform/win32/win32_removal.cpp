// The uninstaller's Windows calls: deletions, the copy of its own program
// into a private folder, and starting that copy with a handle to the
// original that it can wait on.
#include "platform/win32/win32_removal.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/win32_internal.h"

namespace {


std::uint32_t LastError(BOOL ok) { return ok ? ERROR_SUCCESS : ::GetLastError(); }

// Full control for the local system and the administrators, nothing for
// anyone else, and nothing inherited from the temporary folder above: no
// other user can place a file (a planted library, say) beside the copy.
constexpr wchar_t cPrivateFolderSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

}  // namespace

namespace win32_removal {

std::uint32_t DeleteFileW(const ustring& path) { return LastError(::DeleteFileW(W(path))); }

std::uint32_t SetFileAttributesW(const ustring& path, std::uint32_t attributes) {
  return LastError(::SetFileAttributesW(W(path), attributes));
}

std::uint32_t CopyFileW(const ustring& from, const ustring& to) {
  return LastError(::CopyFileW(W(from), W(to), TRUE));
}

std::uint32_t CreatePrivateDirectoryW(const ustring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(cPrivateFolderSddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
    return ::GetLastError();
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
  const std::uint32_t err = LastError(::CreateDirectoryW(W(path), &attributes));
  ::LocalFree(descriptor);
  return err;
}

std::uint32_t RegDeleteKeyW(THKey parent, const ustring& subKey) {
  // The native view, like every other registry call of the setup.
  return static_cast<std::uint32_t>(::RegDeleteKeyExW(K(parent), W(subKey), KEY_WOW64_64KEY, 0));
}

std::uint32_t RegDeleteValueW(THKey key, const ustring& name) {
  return static_cast<std::uint32_t>(::RegDeleteValueW(K(key), W(name)));
}

std::uint32_t RegQueryInfoKeyW(THKey key, std::uint32_t& subKeys, std::uint32_t& values) {
  DWORD keys = 0, vals = 0;
  const LSTATUS status =
      ::RegQueryInfoKeyW(K(key), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &vals, nullptr, nullptr, nullptr,
                         nullptr);
  subKeys = keys;
  values = vals;
  return static_cast<std::uint32_t>(status);
}

std::uint32_t DuplicateOwnProcessHandle(THandle& handle) {
  handle = 0;
  HANDLE duplicate = nullptr;
  // Query rights too: the copy checks which program the handle belongs to.
  if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &duplicate,
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
    return ::GetLastError();
  handle = reinterpret_cast<THandle>(duplicate);
  return ERROR_SUCCESS;
}

std::uint32_t CreateProcessW(const ustring& application, const ustring& commandLine, bool inheritHandles,
                             THandle& process) {
  process = 0;
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(W(application), line.data(), nullptr, nullptr, inheritHandles ? TRUE : FALSE, 0, nullptr,
                        nullptr, &startup, &info))
    return ::GetLastError();
  ::CloseHandle(info.hThread);
  process = reinterpret_cast<THandle>(info.hProcess);
  return ERROR_SUCCESS;
}

std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), milliseconds);
}

}  // namespace win32_removal
