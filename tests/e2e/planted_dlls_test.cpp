// DLLs planted where a downloaded setup lies: marker DLLs under the names of
// the libraries the setup loads (or Windows loads for it by name), next to
// the exe and in the working folder, with Wine told to prefer such native
// copies. The wizard must come up, and answer a screen reader, without
// loading any of them.
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "e2e/wizard_session.h"

namespace {

using namespace std::chrono_literals;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

std::wstring OwnFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return FolderOf(std::wstring(buffer, n));
}

// Names of the files in folder matching pattern (e.g. "*.dll").
std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileW((folder + pattern).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(found.cFileName);
  while (::FindNextFileW(find, &found));
  ::FindClose(find);
  return names;
}

// Sets an environment variable and the current folder for the processes
// started meanwhile, and restores both.
class TScopedStartEnvironment {
 public:
  TScopedStartEnvironment(const std::wstring& overrides, const std::wstring& folder) {
    wchar_t buffer[4096];
    const DWORD n = ::GetEnvironmentVariableW(L"WINEDLLOVERRIDES", buffer, 4096);
    hadOverrides_ = n > 0 && n < 4096;
    if (hadOverrides_) oldOverrides_.assign(buffer, n);
    const DWORD m = ::GetCurrentDirectoryW(4096, buffer);
    oldFolder_.assign(buffer, m);
    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str());
    ::SetCurrentDirectoryW(folder.c_str());
  }
  ~TScopedStartEnvironment() {
    ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", hadOverrides_ ? oldOverrides_.c_str() : nullptr);
    ::SetCurrentDirectoryW(oldFolder_.c_str());
  }
  TScopedStartEnvironment(const TScopedStartEnvironment&) = delete;
  TScopedStartEnvironment& operator=(const TScopedStartEnvironment&) = delete;

 private:
  bool hadOverrides_ = false;
  std::wstring oldOverrides_, oldFolder_;
};

// The markers (built beside this program) copied into a folder.
std::vector<std::wstring> Plant(const std::wstring& markers, const std::wstring& folder) {
  std::vector<std::wstring> names = FilesIn(markers, L"*.dll");
  for (const std::wstring& name : names)
    EXPECT_TRUE(::CopyFileW((markers + name).c_str(), (folder + name).c_str(), FALSE)) << e2e::Narrow(name);
  return names;
}

// The wizard reaches its Welcome page and closes with exit code 0 while
// every planted DLL stays unloaded.
TEST(PlantedDlls, NoneIsLoaded) {
  const std::wstring markers = OwnFolder() + L"planted-dlls\\";
  wchar_t temp[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring downloads = std::wstring(temp) + L"corvalin-planted\\";
  const std::wstring work = downloads + L"work\\";
  ::CreateDirectoryW(downloads.c_str(), nullptr);
  ::CreateDirectoryW(work.c_str(), nullptr);
  const std::wstring exe = downloads + L"Corvalin-Setup.exe";
  ASSERT_TRUE(::CopyFileW(e2e::SetupExePath().c_str(), exe.c_str(), FALSE));

  const std::vector<std::wstring> names = Plant(markers, downloads);
  Plant(markers, work);
  ASSERT_GE(names.size(), 10u) << "marker DLLs missing in " << e2e::Narrow(markers);
  std::wstring overrides = L"mscoree,mshtml=;";
  for (std::size_t i = 0; i < names.size(); ++i)
    overrides += (i > 0 ? L"," : L"") + names[i].substr(0, names[i].size() - 4);
  overrides += L"=n,b";

  {
    TScopedStartEnvironment environment(overrides, work);
    e2e::TWizardSession session(exe);
    ASSERT_TRUE(session.ok()) << "no wizard window; overrides " << e2e::Narrow(overrides);
    session.WaitPage(idFramWelc);
    session.WaitEnabled(idBtFrNext);
    // A screen reader asking for the language box's name makes the setup
    // load its accessibility library, by name, long after start-up.
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    EXPECT_EQ(e2e::AccessibleName(e2e::FindControl(session.window(), idCbWcLang)), L"Installation language:");
    ::CoUninitialize();
    session.Click(idBtFrCanc);
    DWORD code = 1234;
    EXPECT_TRUE(session.process().WaitForExit(60s, code));
    EXPECT_EQ(code, 1602u) << "left on Welcome before an installation ran";
  }
  std::vector<std::wstring> loaded = FilesIn(downloads, L"*.loaded");
  for (const std::wstring& name : FilesIn(work, L"*.loaded")) loaded.push_back(L"work\\" + name);
  std::string list;
  for (const std::wstring& name : loaded) {
    list += ' ';
    list += e2e::Narrow(name);
  }
  EXPECT_TRUE(loaded.empty()) << "planted DLLs were loaded:" << list;
}

}  // namespace
