// Test-side services of the Windows build, on the real API: a scratch folder
// under %TEMP% and the removal of what the tests leave behind.
#pragma once
#ifdef _WIN32
#include <string>

#include "common/types.h"

// A new, empty folder under %TEMP%, with a trailing backslash.
ustring WinScratchFolder();
// Removes the folder and everything in it, read-only files included.
void WinRemoveTree(const ustring& folder);
// Deletes HKEY_CURRENT_USER\path with all its sub-keys; a missing key is fine.
void WinDeleteKeyTree(const ustring& path);
// True under Wine (ntdll exports wine_get_version).
bool WinIsWine();
// The file's bytes; "<missing>" when it can't be read.
std::string WinReadFile(const ustring& path);
#endif
