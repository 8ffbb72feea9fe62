// Everything here is resolved at run time where a supported system may lack
// it: Wine 8 has neither GetTempPath2W nor private namespaces (calling the
// imported CreatePrivateNamespaceW aborts the process there), and the
// redirection trust policy is new in Windows 11.
#include "platform/win32/win32_guarded.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/win32_internal.h"

namespace {

template <typename Fn>
Fn Kernel32Function(const char* name) {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

// The token's user and its default owner: a file either of them owns was
// made by this account (an elevated administrator's files belong to the
// Administrators group, not to the user).
bool CallerOwns(PSID owner) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  bool owns = false;
  for (TOKEN_INFORMATION_CLASS cls : {TokenUser, TokenOwner}) {
    DWORD size = 0;
    ::GetTokenInformation(token, cls, nullptr, 0, &size);
    std::vector<BYTE> buffer(size == 0 ? 1 : size);
    if (!::GetTokenInformation(token, cls, buffer.data(), size, &size)) continue;
    PSID sid = cls == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    if (sid != nullptr && ::EqualSid(sid, owner)) owns = true;
  }
  ::CloseHandle(token);
  return owns;
}

ustring DosPath(const std::wstring& path) {
  const std::wstring unc = L"\\\\?\\UNC\\", plain = L"\\\\?\\";
  if (path.rfind(unc, 0) == 0) return u"\\\\" + U(path.c_str() + unc.size());
  if (path.rfind(plain, 0) == 0) return U(path.c_str() + plain.size());
  return U(path.c_str());
}

constexpr wchar_t cBoundaryName[] = L"Corvalin-Setup-Boundary";
// Administrators and the system account may open the namespace; nobody else.
constexpr wchar_t cNamespaceSddl[] = L"D:(A;;GA;;;BA)(A;;GA;;;SY)";

using CreateBoundaryFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSidFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryFn = VOID(WINAPI*)(HANDLE);
using CreateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenNamespaceFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using CloseNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

}  // namespace

namespace win32_guarded {

ustring LongPath(const ustring& path) {
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetLongPathNameW(W(path), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return path;
  buffer.resize(n);
  return U(buffer.c_str());
}

std::uint32_t GetFileFacts(THandle file, TFileFacts& facts) {
  facts = TFileFacts();
  HANDLE h = reinterpret_cast<HANDLE>(file);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) return ::GetLastError();
  facts.attributes = info.dwFileAttributes;
  facts.links = info.nNumberOfLinks;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    // A reparse point whose tag can't be read is still one: the attribute decides.
    if (::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag)) facts.reparseTag = tag.ReparseTag;
  }
  // The owner needs a handle with READ_CONTROL; without it (a folder opened
  // for its attributes only) the file counts as not the caller's.
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) == ERROR_SUCCESS) {
    facts.ownedByCaller = owner != nullptr && CallerOwns(owner);
    ::LocalFree(descriptor);
  }
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= buffer.size()) return n == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
  buffer.resize(n);
  facts.finalPath = DosPath(buffer);
  return ERROR_SUCCESS;
}

std::uint32_t GetTempPath2W(ustring& path) {
  using TempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
  const auto fn = Kernel32Function<TempPath2Fn>("GetTempPath2W");
  if (fn == nullptr) return ERROR_PROC_NOT_FOUND;
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD n = fn(MAX_PATH + 2, buffer);
  if (n == 0 || n > MAX_PATH + 1) return n == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
  path = LongPath(U(buffer));
  return ERROR_SUCCESS;
}

std::uint32_t GetWindowsDirectoryW(ustring& path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return n == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
  path = U(buffer);
  while (path.size() > 3 && path.back() == u'\\') path.pop_back();
  return ERROR_SUCCESS;
}

std::uint32_t GenRandom(void* buffer, std::uint32_t size) {
  // RtlGenRandom, exported by advapi32 (imported anyway) as SystemFunction036.
  using GenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);
  HMODULE advapi = ::GetModuleHandleW(L"advapi32.dll");
  const auto fn = advapi == nullptr ? nullptr
                                    : reinterpret_cast<GenRandomFn>(
                                          reinterpret_cast<void*>(::GetProcAddress(advapi, "SystemFunction036")));
  if (fn == nullptr) return ERROR_PROC_NOT_FOUND;
  return fn(buffer, size) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
}

std::uint32_t OpenAdminNamespace(const ustring& alias, THandle& space) {
  space = 0;
  const auto createBoundary = Kernel32Function<CreateBoundaryFn>("CreateBoundaryDescriptorW");
  const auto addSid = Kernel32Function<AddSidFn>("AddSIDToBoundaryDescriptor");
  const auto deleteBoundary = Kernel32Function<DeleteBoundaryFn>("DeleteBoundaryDescriptor");
  const auto createNamespace = Kernel32Function<CreateNamespaceFn>("CreatePrivateNamespaceW");
  const auto openNamespace = Kernel32Function<OpenNamespaceFn>("OpenPrivateNamespaceW");
  if (!createBoundary || !addSid || !deleteBoundary || !createNamespace || !openNamespace)
    return ERROR_PROC_NOT_FOUND;
  HANDLE boundary = createBoundary(cBoundaryName, 0);
  if (boundary == nullptr) return ERROR_PROC_NOT_FOUND;  // Wine: a stub that makes none
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof sid;
  std::uint32_t err = ERROR_SUCCESS;
  HANDLE ns = nullptr;
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) || !addSid(&boundary, sid)) {
    err = ::GetLastError();
  } else {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(cNamespaceSddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
      err = ::GetLastError();
    } else {
      SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
      ns = createNamespace(&attributes, boundary, W(alias));
      if (ns == nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) ns = openNamespace(boundary, W(alias));
      if (ns == nullptr) err = ::GetLastError();
      ::LocalFree(descriptor);
    }
  }
  deleteBoundary(boundary);
  if (ns == nullptr) return err == ERROR_SUCCESS ? ERROR_GEN_FAILURE : err;
  space = reinterpret_cast<THandle>(ns);
  return ERROR_SUCCESS;
}

void CloseAdminNamespace(THandle space) {
  const auto closeNamespace = Kernel32Function<CloseNamespaceFn>("ClosePrivateNamespace");
  // Closed, not destroyed: another setup may still hold its own handle.
  if (closeNamespace != nullptr && space != 0) closeNamespace(reinterpret_cast<HANDLE>(space), 0);
}

std::uint32_t EnforceRedirectionTrust() {
  using SetPolicyFn = BOOL(WINAPI*)(int, PVOID, SIZE_T);
  const auto fn = Kernel32Function<SetPolicyFn>("SetProcessMitigationPolicy");
  if (fn == nullptr) return ERROR_PROC_NOT_FOUND;
  constexpr int cProcessRedirectionTrustPolicy = 16;
  DWORD flags = 1;  // EnforceRedirectionTrust
  return fn(cProcessRedirectionTrustPolicy, &flags, sizeof flags) ? ERROR_SUCCESS : ::GetLastError();
}

std::uint32_t GetProcessImagePath(THandle process, ustring& path) {
  std::wstring buffer(32768, L'\0');
  DWORD n = static_cast<DWORD>(buffer.size());
  if (!::QueryFullProcessImageNameW(reinterpret_cast<HANDLE>(process), 0, buffer.data(), &n))
    return ::GetLastError();
  buffer.resize(n);
  path = LongPath(U(buffer.c_str()));
  return ERROR_SUCCESS;
}

std::uint32_t CreateProcessWithHandle(const ustring& application, const ustring& commandLine, THandle inherit,
                                      THandle& process) {
  process = 0;
  SIZE_T size = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<BYTE> storage(size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  if (!::InitializeProcThreadAttributeList(list, 1, 0, &size)) return ::GetLastError();
  HANDLE handles[1] = {reinterpret_cast<HANDLE>(inherit)};
  std::uint32_t err = ERROR_SUCCESS;
  if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof handles, nullptr,
                                   nullptr)) {
    err = ::GetLastError();
  } else {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = list;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(W(application), line.data(), nullptr, nullptr, TRUE, EXTENDED_STARTUPINFO_PRESENT, nullptr,
                         nullptr, &startup.StartupInfo, &info)) {
      ::CloseHandle(info.hThread);
      process = reinterpret_cast<THandle>(info.hProcess);
    } else {
      err = ::GetLastError();
    }
  }
  ::DeleteProcThreadAttributeList(list);
  return err;
}

}  // namespace win32_guarded
