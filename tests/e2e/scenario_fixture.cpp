#include "e2e/scenario_fixture.h"

#include <algorithm>

namespace e2e {

std::wstring MakeDamagedSetupCopy() {
  const std::wstring original = SetupExePath();
  auto bytes = ReadFileBytes(original);
  if (!bytes) return L"";
  // Find record 140 (a manual, flagged for installation) in the file through the resource API.
  HMODULE module = ::LoadLibraryExW(original.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return L"";
  HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(140), MAKEINTRESOURCEW(10));
  const char* data = res != nullptr ? static_cast<const char*>(::LockResource(::LoadResource(module, res))) : nullptr;
  const DWORD size = res != nullptr ? ::SizeofResource(module, res) : 0;
  const std::vector<char> record(data, data + (data != nullptr ? size : 0));
  ::FreeLibrary(module);
  if (size <= 64) return L"";
  auto at = std::search(bytes->begin(), bytes->end(), record.begin(), record.end());
  if (at == bytes->end()) return L"";
  at[size / 2] = static_cast<char>(at[size / 2] ^ 0x20);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring copy = std::wstring(temp) + L"Corvalin-Setup-damaged.exe";
  return WriteFileBytes(copy, *bytes) ? copy : L"";
}

}  // namespace e2e
