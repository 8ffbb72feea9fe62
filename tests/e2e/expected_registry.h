// The registration as it must stand after an installation into folder F, as
// data: key under HKEY_LOCAL_MACHINE, value name (empty = default), type and data.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct TExpectedValue {
  std::wstring key;
  std::wstring name;
  DWORD type;
  std::wstring text;  // REG_SZ
  DWORD number;       // REG_DWORD
  bool newOnly;       // written by a new installation only
};

// Keys that get no value but must exist.
std::vector<std::wstring> ExpectedBareKeys();
// folder: the installation folder with its trailing backslash; german: setup language.
std::vector<TExpectedValue> ExpectedValues(const std::wstring& folder, bool german, const std::wstring& today);
// Today's UTC date as the setup writes it (YYYY-MM-DD).
std::wstring UtcToday();

}  // namespace e2e
