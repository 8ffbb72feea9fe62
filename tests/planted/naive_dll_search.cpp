// The library search the setup must not have, for the planted-DLL test only:
// linked instead of src/platform/win32/win32_dll_search.cpp into a test copy
// of the setup that is never packed or installed (tests/CMakeLists.txt). No
// restriction at start-up, and every run-time library by its bare name, so
// the program's folder and the working folder are searched as well.
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

HMODULE LoadSystemLibrary(const wchar_t* name) { return ::LoadLibraryW(name); }

void RestrictDllSearchToSystem() {}
