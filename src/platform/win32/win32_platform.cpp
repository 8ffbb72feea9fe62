// IPlatform on the real Win32, COM and shell APIs. Each method is the Windows
// call it is named after, with the error read from GetLastError right away.
#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <stdexcept>
#include <thread>

#include "platform/win32/win32_guarded.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_holders.h"
#include "platform/win32/win32_removal.h"

namespace {


using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using GetVersionSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetVersionInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

// version.dll is loaded on demand from the system folder, so that the import
// table holds only libraries Windows always takes from there.
struct TVersionApi {
  GetVersionSizeFn size = nullptr;
  GetVersionInfoFn info = nullptr;
  VerQueryFn query = nullptr;
  TVersionApi() {
    HMODULE lib = LoadSystemLibrary(L"version.dll");
    if (lib == nullptr) return;
    size = reinterpret_cast<GetVersionSizeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "GetFileVersionInfoSizeW")));
    info = reinterpret_cast<GetVersionInfoFn>(reinterpret_cast<void*>(GetProcAddress(lib, "GetFileVersionInfoW")));
    query = reinterpret_cast<VerQueryFn>(reinterpret_cast<void*>(GetProcAddress(lib, "VerQueryValueW")));
  }
};
TVersionApi& VersionApi() {
  static TVersionApi api;
  return api;
}

// The shell link object with the two interfaces the setup uses.
struct TShellLink {
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
};

class TWin32Platform : public IPlatform {
 public:
  TSystemTime GetUtcTime() override {
    SYSTEMTIME st;
    ::GetSystemTime(&st);
    return {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  }
  ustring GetProcessCommandLine() override { return U(::GetCommandLineW()); }
  ustring GetOwnModulePath() override {
    std::wstring buffer(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    return U(buffer.c_str());
  }
  bool PostWindowMessage(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) override {
    return ::PostMessageW(reinterpret_cast<HWND>(window), msg, wparam, lparam) != FALSE;
  }
  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
  std::uint32_t StartThread(std::function<void()> fn) override {
    try {
      std::thread(std::move(fn)).detach();
      return 0;
    } catch (const std::system_error& e) {
      return static_cast<std::uint32_t>(e.code().value() != 0 ? e.code().value() : ERROR_NOT_ENOUGH_MEMORY);
    }
  }
  bool FindOwnResource(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data, std::uint32_t& size) override {
    HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    if (res == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(nullptr, res);
    if (loaded == nullptr) return false;
    data = static_cast<const std::uint8_t*>(::LockResource(loaded));
    size = ::SizeofResource(nullptr, res);
    return data != nullptr;
  }
  ustring FormatSystemMessage(std::int32_t code) override {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    ustring result = n > 0 && text != nullptr ? U(text) : ustring();
    if (text != nullptr) ::LocalFree(text);
    return result;
  }
  ustring DecodeAnsiText(const std::uint8_t* data, std::size_t size) override {
    if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) return {};
    const char* bytes = reinterpret_cast<const char*>(data);
    const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), text.data(), n);
    return ustring(reinterpret_cast<const char16_t*>(text.data()), text.size());
  }
  ustring FormatNumberGrouped(double value) override {
    wchar_t digits[64];
    swprintf(digits, 64, L"%.0f", value);
    NUMBERFMTW fmt{};
    wchar_t decimal[8] = L".", thousand[8] = L",", grouping[16] = L"3;0";
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16);
    fmt.NumDigits = 0;
    fmt.LeadingZero = 1;
    fmt.Grouping = (grouping[0] >= L'0' && grouping[0] <= L'9') ? static_cast<UINT>(grouping[0] - L'0') : 3;
    fmt.lpDecimalSep = decimal;
    fmt.lpThousandSep = thousand;
    fmt.NegativeOrder = 1;
    wchar_t out[96];
    if (::GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits, &fmt, out, 96) == 0) return U(digits);
    return U(out);
  }
  bool GetVersionExW(std::uint32_t& major, std::uint32_t& minor, std::uint32_t& build) override {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;  // 284
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
#pragma GCC diagnostic pop
    major = info.dwMajorVersion;
    minor = info.dwMinorVersion;
    build = info.dwBuildNumber;
    return true;
  }

  std::uint32_t CreateFileW(const ustring& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                            std::uint32_t flags, THandle& file) override {
    HANDLE h = ::CreateFileW(W(path), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      file = 0;
      return ::GetLastError();
    }
    file = reinterpret_cast<THandle>(h);
    return 0;
  }
  std::uint32_t WriteFile(THandle file, const void* data, std::uint32_t size, std::uint32_t& written) override {
    DWORD n = 0;
    const BOOL ok = ::WriteFile(reinterpret_cast<HANDLE>(file), data, size, &n, nullptr);
    written = n;
    return ok ? 0 : ::GetLastError();
  }
  std::uint32_t SetFilePointerEx(THandle file, std::int64_t distance, std::uint32_t method,
                                 std::uint64_t& newPosition) override {
    LARGE_INTEGER move{}, moved{};
    move.QuadPart = distance;
    if (!::SetFilePointerEx(reinterpret_cast<HANDLE>(file), move, &moved, method)) return ::GetLastError();
    newPosition = static_cast<std::uint64_t>(moved.QuadPart);
    return 0;
  }
  std::uint32_t GetTempPathW(ustring& path) override {
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 2, buffer);
    if (n == 0 || n > MAX_PATH + 1) return n == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
    // Long names: the log's checks compare this path with where a handle
    // really points, which Windows reports in long names.
    path = win32_guarded::LongPath(U(buffer));
    return 0;
  }
  std::uint32_t CreateMutexW(const ustring& name, THandle& mutex) override {
    HANDLE h = ::CreateMutexW(nullptr, FALSE, W(name));
    const DWORD err = ::GetLastError();
    mutex = reinterpret_cast<THandle>(h);
    if (h == nullptr) return err;
    return err == ERROR_ALREADY_EXISTS ? err : 0;
  }
  void CloseMutex(THandle mutex) override { ::CloseHandle(reinterpret_cast<HANDLE>(mutex)); }
  std::uint32_t CloseHandle(THandle handle) override {
    return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) ? 0 : ::GetLastError();
  }
  std::uint32_t CreateDirectoryW(const ustring& path) override {
    return ::CreateDirectoryW(W(path), nullptr) ? 0 : ::GetLastError();
  }
  std::uint32_t RemoveDirectoryW(const ustring& path) override {
    return ::RemoveDirectoryW(W(path)) ? 0 : ::GetLastError();
  }
  std::uint32_t MoveFileExW(const ustring& from, const ustring& to, std::uint32_t flags) override {
    return ::MoveFileExW(W(from), to.empty() ? nullptr : W(to), flags) ? 0 : ::GetLastError();
  }
  std::uint32_t GetDiskFreeSpaceExW(const ustring& path, std::uint64_t& freeToCaller) override {
    ULARGE_INTEGER avail{};
    if (!::GetDiskFreeSpaceExW(W(path), &avail, nullptr, nullptr)) return ::GetLastError();
    freeToCaller = avail.QuadPart;
    return 0;
  }
  std::uint32_t GetFullPathNameW(const ustring& path, ustring& full) override {
    full.clear();
    const DWORD need = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (need == 0) return ::GetLastError();
    std::wstring buffer(need + 1, L'\0');
    const DWORD n = ::GetFullPathNameW(W(path), need + 1, buffer.data(), nullptr);
    if (n == 0 || n > need) return ::GetLastError();
    full = U(buffer.c_str());
    return 0;
  }
  // --- names compared as the file system compares them ---
  bool SameNameIgnoringCase(const ustring& a, const ustring& b) override {
    return ::CompareStringOrdinal(W(a), static_cast<int>(a.size()), W(b), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
  }
  // --- end of names ---
  std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) override {
    return ::GetSystemDirectoryW(reinterpret_cast<wchar_t*>(buffer), size);
  }

  std::uint32_t RegOpenCurrentUser(std::uint32_t access, THKey& key) override {
    HKEY h = nullptr;
    const LSTATUS s = ::RegOpenCurrentUser(access, &h);
    key = s == 0 ? reinterpret_cast<THKey>(h) : 0;
    return static_cast<std::uint32_t>(s);
  }
  std::uint32_t RegOpenKeyExW(THKey parent, const ustring& sub, std::uint32_t options, std::uint32_t access,
                              THKey& key) override {
    HKEY h = nullptr;
    const LSTATUS s = ::RegOpenKeyExW(K(parent), W(sub), options, access, &h);
    key = s == 0 ? reinterpret_cast<THKey>(h) : 0;
    return static_cast<std::uint32_t>(s);
  }
  std::uint32_t RegCreateKeyExW(THKey parent, const ustring& sub, std::uint32_t options, std::uint32_t access,
                                THKey& key, std::uint32_t* disposition) override {
    HKEY h = nullptr;
    DWORD disp = 0;
    const LSTATUS s =
        ::RegCreateKeyExW(K(parent), W(sub), 0, nullptr, options, access, nullptr, &h, &disp);
    key = s == 0 ? reinterpret_cast<THKey>(h) : 0;
    if (disposition != nullptr) *disposition = disp;
    return static_cast<std::uint32_t>(s);
  }
  std::uint32_t RegCloseKey(THKey key) override { return static_cast<std::uint32_t>(::RegCloseKey(K(key))); }
  std::uint32_t RegQueryValueExW(THKey key, const ustring& name, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) override {
    DWORD t = 0;
    DWORD n = size != nullptr ? *size : 0;
    const LSTATUS s = ::RegQueryValueExW(K(key), W(name), nullptr, &t, data, size != nullptr ? &n : nullptr);
    if (type != nullptr) *type = t;
    if (size != nullptr) *size = n;
    return static_cast<std::uint32_t>(s);
  }
  std::uint32_t RegSetValueExW(THKey key, const ustring& name, std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) override {
    return static_cast<std::uint32_t>(::RegSetValueExW(K(key), W(name), 0, type, data, size));
  }

  bool CheckAdminMembership(bool& isMember) override {
    isMember = false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &admins))
      return false;
    BOOL member = FALSE;
    const BOOL ok = ::CheckTokenMembership(nullptr, admins, &member);
    ::FreeSid(admins);
    isMember = ok && member;
    return ok != FALSE;
  }
  bool GetUserNameW(char16_t* buffer, std::uint32_t& size) override {
    DWORD n = size;
    const BOOL ok = ::GetUserNameW(reinterpret_cast<wchar_t*>(buffer), &n);
    size = n;
    return ok != FALSE;
  }

  std::int32_t SHGetFolderPathW(const ustring& shell32Path, int csidl, char16_t* buffer261) override {
    HMODULE lib = ::LoadLibraryW(W(shell32Path));
    if (lib == nullptr) return HRESULT_FROM_WIN32(::GetLastError());
    HRESULT hr = E_FAIL;
    auto fn = reinterpret_cast<GetFolderPathFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "SHGetFolderPathW")));
    if (fn != nullptr) hr = fn(nullptr, csidl, nullptr, 0, reinterpret_cast<wchar_t*>(buffer261));
    ::FreeLibrary(lib);
    return hr;
  }
  void SHChangeNotify(std::int32_t event, std::uint32_t flags, const ustring* path) override {
    ::SHChangeNotify(event, flags, path != nullptr ? W(*path) : nullptr, nullptr);
  }
  std::intptr_t ShellExecuteW(const ustring& verb, const ustring& file) override {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteW(nullptr, W(verb), W(file), nullptr, nullptr, SW_SHOWNORMAL));
  }

  std::int32_t CoInitialize() override { return ::CoInitialize(nullptr); }
  void CoUninitialize() override { ::CoUninitialize(); }
  std::int32_t ProbeClassInstance(const TGuid& clsid) override {
    IUnknown* instance = nullptr;
    const HRESULT hr = ::CoCreateInstance(reinterpret_cast<const CLSID&>(clsid), nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IUnknown, reinterpret_cast<void**>(&instance));
    if (instance != nullptr) instance->Release();
    return SUCCEEDED(hr) && instance == nullptr ? E_NOINTERFACE : hr;
  }
  std::int32_t ShellLinkCreate(THandle& handle) override {
    handle = 0;
    auto* link = new TShellLink;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link->link));
    if (SUCCEEDED(hr)) hr = link->link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&link->file));
    if (FAILED(hr)) {
      ShellLinkRelease(reinterpret_cast<THandle>(link));
      return hr;
    }
    handle = reinterpret_cast<THandle>(link);
    return hr;
  }
  std::int32_t ShellLinkSetPath(THandle h, const ustring& path) override {
    return reinterpret_cast<TShellLink*>(h)->link->SetPath(W(path));
  }
  std::int32_t ShellLinkSetWorkingDirectory(THandle h, const ustring& dir) override {
    return reinterpret_cast<TShellLink*>(h)->link->SetWorkingDirectory(W(dir));
  }
  std::int32_t ShellLinkSetDescription(THandle h, const ustring& text) override {
    return reinterpret_cast<TShellLink*>(h)->link->SetDescription(W(text));
  }
  std::int32_t ShellLinkSave(THandle h, const ustring& fileName, bool remember) override {
    return reinterpret_cast<TShellLink*>(h)->file->Save(W(fileName), remember ? TRUE : FALSE);
  }
  void ShellLinkRelease(THandle h) override {
    auto* link = reinterpret_cast<TShellLink*>(h);
    if (link == nullptr) return;
    if (link->file != nullptr) link->file->Release();
    if (link->link != nullptr) link->link->Release();
    delete link;
  }

  std::uint32_t GetFileVersionInfoSizeW(const ustring& file) override {
    DWORD handle = 0;
    return VersionApi().size != nullptr ? VersionApi().size(W(file), &handle) : 0;
  }
  bool GetFileVersionInfoW(const ustring& file, std::uint32_t size, void* block) override {
    return VersionApi().info != nullptr && VersionApi().info(W(file), 0, size, block) != FALSE;
  }
  bool VerQueryValueW(const void* block, const ustring& subBlock, const void*& data, std::uint32_t& length) override {
    LPVOID p = nullptr;
    UINT n = 0;
    if (VersionApi().query == nullptr || !VersionApi().query(block, W(subBlock), &p, &n)) return false;
    data = p;
    length = n;
    return true;
  }

  std::int32_t ShellLinkLoad(THandle h, const ustring& fileName) override {
    return reinterpret_cast<TShellLink*>(h)->file->Load(W(fileName), STGM_READ);
  }
  std::int32_t ShellLinkGetPath(THandle h, ustring& path) override {
    path.clear();
    wchar_t buffer[MAX_PATH + 1] = {};
    // The raw path as saved: no search for a moved target, no expansion.
    const HRESULT hr = reinterpret_cast<TShellLink*>(h)->link->GetPath(buffer, MAX_PATH + 1, nullptr, SLGP_RAWPATH);
    if (SUCCEEDED(hr)) path = U(buffer);
    return hr;
  }

  std::uint32_t DeleteFileW(const ustring& path) override { return win32_removal::DeleteFileW(path); }
  std::uint32_t SetFileAttributesW(const ustring& path, std::uint32_t attributes) override {
    return win32_removal::SetFileAttributesW(path, attributes);
  }
  std::uint32_t CopyFileW(const ustring& from, const ustring& to) override { return win32_removal::CopyFileW(from, to); }
  std::uint32_t CreatePrivateDirectoryW(const ustring& path) override {
    return win32_removal::CreatePrivateDirectoryW(path);
  }
  std::uint32_t RegDeleteKeyW(THKey parent, const ustring& subKey) override {
    return win32_removal::RegDeleteKeyW(parent, subKey);
  }
  std::uint32_t RegDeleteValueW(THKey key, const ustring& name) override {
    return win32_removal::RegDeleteValueW(key, name);
  }
  std::uint32_t RegQueryInfoKeyW(THKey key, std::uint32_t& subKeys, std::uint32_t& values) override {
    return win32_removal::RegQueryInfoKeyW(key, subKeys, values);
  }
  std::uint32_t DuplicateOwnProcessHandle(THandle& handle) override {
    return win32_removal::DuplicateOwnProcessHandle(handle);
  }
  std::uint32_t CreateProcessW(const ustring& application, const ustring& commandLine, bool inheritHandles,
                               THandle& process) override {
    return win32_removal::CreateProcessW(application, commandLine, inheritHandles, process);
  }
  std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) override {
    return win32_removal::WaitForSingleObject(handle, milliseconds);
  }
  std::vector<ustring> ProgramsHoldingFile(const ustring& path) override { return win32_holders::ProgramsHolding(path); }

  // --- guarded objects ---
  std::uint32_t GetFileFacts(THandle file, TFileFacts& facts) override {
    return win32_guarded::GetFileFacts(file, facts);
  }
  std::uint32_t GetTempPath2W(ustring& path) override { return win32_guarded::GetTempPath2W(path); }
  std::uint32_t GetWindowsDirectoryW(ustring& path) override { return win32_guarded::GetWindowsDirectoryW(path); }
  std::uint32_t GenRandom(void* buffer, std::uint32_t size) override { return win32_guarded::GenRandom(buffer, size); }
  std::uint32_t OpenAdminNamespace(const ustring& alias, THandle& space) override {
    return win32_guarded::OpenAdminNamespace(alias, space);
  }
  void CloseAdminNamespace(THandle space) override { win32_guarded::CloseAdminNamespace(space); }
  std::uint32_t EnforceRedirectionTrust() override { return win32_guarded::EnforceRedirectionTrust(); }
  std::uint32_t GetProcessImagePath(THandle process, ustring& path) override {
    return win32_guarded::GetProcessImagePath(process, path);
  }
  std::uint32_t CreateProcessWithHandle(const ustring& application, const ustring& commandLine, THandle inherit,
                                        THandle& process) override {
    return win32_guarded::CreateProcessWithHandle(application, commandLine, inherit, process);
  }

  IDeployment& Deploy() override { return Win32Deployment(); }
  IUi& Ui() override { return Win32Ui(); }
};

}  // namespace

IPlatform* CreateWin32Platform() { return new TWin32Platform(); }
