// Shared between the sources of the Windows backend (includes <windows.h>).
#pragma once
#include <windows.h>

#include "common/types.h"

class IDeployment;
class IUi;

inline ustring U(const wchar_t* s) { return ustring(reinterpret_cast<const char16_t*>(s)); }
inline const wchar_t* W(const ustring& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
// A registry key handle of the platform (THKey) as the system takes it.
inline HKEY K(std::uintptr_t key) { return reinterpret_cast<HKEY>(key); }

// Loads a library by its full path in the system folder.
HMODULE LoadSystemLibrary(const wchar_t* name);

IDeployment& Win32Deployment();
IUi& Win32Ui();
