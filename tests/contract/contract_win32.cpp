// Test-side services of the Windows build (see contract_win32.h). They use
// the real API directly because the setup itself never deletes anything.
#ifdef _WIN32
#include "contract_win32.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace {
const wchar_t* W(const ustring& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
}  // namespace

ustring WinScratchFolder() {
  static std::atomic<int> serial{0};
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return u"";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring folder = temp;
    folder += L"CorvalinContract-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
      folder += L'\\';
      return ustring(reinterpret_cast<const char16_t*>(folder.c_str()));
    }
  }
  return u"";
}

void WinRemoveTree(const ustring& folder) {
  if (folder.empty()) return;
  const std::filesystem::path root(folder);
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(root, ec);
}

bool WinIsWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void WinDeleteKeyTree(const ustring& path) { ::RegDeleteTreeW(HKEY_CURRENT_USER, W(path)); }

std::string WinReadFile(const ustring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
#endif
