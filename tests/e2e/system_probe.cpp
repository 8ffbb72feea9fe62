#include "e2e/system_probe.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "support/process_window.h"

namespace e2e {

std::wstring TRegValue::Text() const {
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  const std::size_t nul = text.find(L'\0');
  return nul == std::wstring::npos ? text : text.substr(0, nul);
}

DWORD TRegValue::Dword() const {
  DWORD v = 0;
  if (data.size() >= 4) std::memcpy(&v, data.data(), 4);
  return v;
}

std::optional<TRegValue> ReadMachineValue(const std::wstring& key, const std::wstring& name) {
  HKEY h = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &h) != ERROR_SUCCESS)
    return std::nullopt;
  TRegValue value;
  DWORD size = 0;
  LSTATUS s = ::RegQueryValueExW(h, name.c_str(), nullptr, &value.type, nullptr, &size);
  if (s == ERROR_SUCCESS) {
    value.data.resize(size);
    s = ::RegQueryValueExW(h, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    value.data.resize(size);
  }
  ::RegCloseKey(h);
  if (s != ERROR_SUCCESS) return std::nullopt;
  return value;
}

bool MachineKeyExists(const std::wstring& key) {
  HKEY h = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &h) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(h);
  return true;
}

namespace {
bool WriteMachineValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  HKEY h = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = ::RegSetValueExW(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  ::RegCloseKey(h);
  return ok;
}
}  // namespace

bool WriteMachineString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  return WriteMachineValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
bool WriteMachineDword(const std::wstring& key, const std::wstring& name, DWORD value) {
  return WriteMachineValue(key, name, REG_DWORD, &value, 4);
}

std::optional<std::vector<char>> ReadFileBytes(const std::wstring& path) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return std::nullopt;
  std::vector<char> bytes;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<char>& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool FileExists(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return names;
}

std::vector<std::wstring> FindFilesNamed(const std::wstring& folder, const std::wstring& name) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    const std::wstring entry = fd.cFileName;
    if (entry == L"." || entry == L"..") continue;
    const std::wstring path = folder + L"\\" + entry;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      for (const std::wstring& deeper : FindFilesNamed(path, name)) found.push_back(deeper);
    } else if (::CompareStringOrdinal(entry.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) {
      found.push_back(path);
    }
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return found;
}

std::optional<TLinkInfo> ReadLink(const std::wstring& path) {
  IShellLinkW* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    return std::nullopt;
  std::optional<TLinkInfo> result;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      wchar_t buffer[1024];
      TLinkInfo info;
      if (SUCCEEDED(link->GetPath(buffer, 1024, nullptr, SLGP_RAWPATH))) info.target = buffer;
      if (SUCCEEDED(link->GetWorkingDirectory(buffer, 1024))) info.workingDir = buffer;
      if (SUCCEEDED(link->GetDescription(buffer, 1024))) info.description = buffer;
      result = info;
    }
    file->Release();
  }
  link->Release();
  return result;
}

std::vector<std::wstring> PendingRenames() {
  std::vector<std::wstring> entries;
  const auto value = ReadMachineValue(L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", L"PendingFileRenameOperations");
  if (!value) return entries;
  const auto* p = reinterpret_cast<const wchar_t*>(value->data.data());
  const std::size_t n = value->data.size() / sizeof(wchar_t);
  std::wstring current;
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] == L'\0') {
      entries.push_back(current);
      current.clear();
    } else {
      current += p[i];
    }
  }
  return entries;
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? std::wstring(path) : std::wstring();
}

namespace {
BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM lp) {
  wchar_t cls[16];
  ::GetClassNameW(hwnd, cls, 16);
  if (std::wstring(cls) == L"Static") {
    wchar_t text[1024];
    ::GetWindowTextW(hwnd, text, 1024);
    auto* out = reinterpret_cast<std::wstring*>(lp);
    if (text[0] != 0) *out += text;
  }
  return TRUE;
}
}  // namespace

HWND WaitForMessageBox(DWORD pid, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    HWND box = FindProcessWindow(pid, [](HWND h) { return WindowClassName(h) == L"#32770"; });
    if (box != nullptr) return box;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  ::EnumChildWindows(box, &CollectStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

}  // namespace e2e
