// Where the setup and the uninstaller look for the libraries they load. Both
// start from a folder others can write to (the Downloads folder, the
// installation folder), so neither may take a library from there. Kept apart
// from the rest of the backend: the planted-DLL test links a naive stand-in
// for these two functions into a copy of the setup that is never shipped, to
// show that its test would catch a search that reaches the program's folder.
#include <string>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t path[MAX_PATH + 1];
  const UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n + 1 + wcslen(name) >= MAX_PATH) return nullptr;
  std::wstring full(path, n);
  if (full.back() != L'\\') full += L'\\';
  full += name;
  return ::LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictDllSearchToSystem() {
  // Keep a planted DLL in the download folder from being loaded by us or by
  // any library we load later.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetDllDirectoryW(L"");
}
