// DLLs planted where a downloaded setup lies: marker DLLs under the names of
// the libraries the setup loads (or Windows loads for it) by name, next to
// the exe and in the working folder, with Wine told to prefer such native
// copies. The wizard must come up, and answer a screen reader, and an
// unattended installation must run, without loading any of them; a copy of
// the setup with a naive library search, run the same way, must load one.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdio>
#include <memory>
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

std::wstring BaseName(const std::wstring& dll) { return dll.substr(0, dll.size() - 4); }

// Wine prefers the planted copies over its builtin libraries in the setup's
// processes. Through the registry, for the program name the setup is started
// under: WINEDLLOVERRIDES set with SetEnvironmentVariableW in this process
// does not reach the loader of a child (WINEDEBUG=+module in the child:
// "get_load_order ... got hardcoded default for L"...\corvalin-planted\version.dll"",
// and Wine's builtin was loaded from the planted path), which left an
// earlier version of this test unable to fail.
class TScopedDllOverrides {
 public:
  explicit TScopedDllOverrides(const std::vector<std::wstring>& dlls) {
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
    static const wchar_t kOrder[] = L"native,builtin";
    for (const std::wstring& dll : dlls)
      EXPECT_EQ(::RegSetValueExW(key_, BaseName(dll).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                                 sizeof kOrder),
                ERROR_SUCCESS);
  }
  ~TScopedDllOverrides() {
    if (key_ != nullptr) ::RegCloseKey(key_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  }
  TScopedDllOverrides(const TScopedDllOverrides&) = delete;
  TScopedDllOverrides& operator=(const TScopedDllOverrides&) = delete;

 private:
  static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\Corvalin-Setup.exe\\DllOverrides";
  HKEY key_ = nullptr;
};

// A planted library that gets loaded lacks the functions its callers want:
// Wine ends such a call with "Unimplemented function ..., starting
// debugger..." and its debugger's crash dialog then waits for a user. Without
// the dialog the debugger ends the process, and the scenario fails at once
// with the list of loaded markers instead of at its time-out.
class TScopedNoCrashDialog {
 public:
  TScopedNoCrashDialog() {
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = sizeof old_;
    had_ = ::RegQueryValueExW(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
    const DWORD off = 0;
    ::RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
  }
  ~TScopedNoCrashDialog() {
    if (key_ == nullptr) return;
    if (had_) {
      ::RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    } else {
      ::RegDeleteValueW(key_, kValue);
    }
    ::RegCloseKey(key_);
  }
  TScopedNoCrashDialog(const TScopedNoCrashDialog&) = delete;
  TScopedNoCrashDialog& operator=(const TScopedNoCrashDialog&) = delete;

 private:
  static constexpr const wchar_t* kValue = L"ShowCrashDialog";
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD old_ = 0;
};

// The current folder for the processes started meanwhile, restored after.
class TScopedCurrentFolder {
 public:
  explicit TScopedCurrentFolder(const std::wstring& folder) {
    wchar_t buffer[4096];
    const DWORD n = ::GetCurrentDirectoryW(4096, buffer);
    old_.assign(buffer, n);
    ::SetCurrentDirectoryW(folder.c_str());
  }
  ~TScopedCurrentFolder() { ::SetCurrentDirectoryW(old_.c_str()); }
  TScopedCurrentFolder(const TScopedCurrentFolder&) = delete;
  TScopedCurrentFolder& operator=(const TScopedCurrentFolder&) = delete;

 private:
  std::wstring old_;
};

// Copies the named files from one folder into another.
void CopyInto(const std::wstring& from, const std::vector<std::wstring>& names, const std::wstring& to) {
  for (const std::wstring& name : names)
    EXPECT_TRUE(::CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE)) << e2e::Narrow(name);
}

// A downloads folder holding a copy of a setup under its published name and
// the markers (built beside this program: planted-dlls\anywhere\ for both
// folders, planted-dlls\work-only\ for the working folder only, see
// tests/CMakeLists.txt), its working folder below it, and Wine told to
// prefer every marker in the setup's processes.
class PlantedDlls : public ::testing::Test {
 protected:
  // Plants beside a copy of setupExe (a fatal failure when that cannot be done).
  void Plant(const std::wstring& setupExe) {
    const std::wstring markers = OwnFolder() + L"planted-dlls\\anywhere\\";
    const std::wstring workOnly = OwnFolder() + L"planted-dlls\\work-only\\";
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    downloads_ = std::wstring(temp) + L"corvalin-planted-" + std::wstring(test.begin(), test.end()) + L"\\";
    work_ = downloads_ + L"work\\";
    ::CreateDirectoryW(downloads_.c_str(), nullptr);
    ::CreateDirectoryW(work_.c_str(), nullptr);
    exe_ = downloads_ + L"Corvalin-Setup.exe";
    ASSERT_TRUE(::CopyFileW(setupExe.c_str(), exe_.c_str(), FALSE)) << e2e::Narrow(setupExe);

    const std::vector<std::wstring> beside = FilesIn(markers, L"*.dll");
    const std::vector<std::wstring> inWork = FilesIn(workOnly, L"*.dll");
    ASSERT_GE(beside.size(), 9u) << "marker DLLs missing in " << e2e::Narrow(markers);
    ASSERT_GE(inWork.size(), 4u) << "marker DLLs missing in " << e2e::Narrow(workOnly);
    CopyInto(markers, beside, downloads_);
    CopyInto(markers, beside, work_);
    CopyInto(workOnly, inWork, work_);
    std::vector<std::wstring> all = beside;
    all.insert(all.end(), inWork.begin(), inWork.end());
    overrides_ = std::make_unique<TScopedDllOverrides>(all);
  }

  // The markers that were loaded, as "<name>.loaded" (beside the exe) or
  // "work\<name>.loaded".
  std::vector<std::wstring> Loaded() const {
    std::vector<std::wstring> loaded = FilesIn(downloads_, L"*.loaded");
    for (const std::wstring& name : FilesIn(work_, L"*.loaded")) loaded.push_back(L"work\\" + name);
    return loaded;
  }

  static std::string Listed(const std::vector<std::wstring>& names) {
    std::string list;
    for (const std::wstring& name : names) list += ' ' + e2e::Narrow(name);
    return list;
  }

  // The wizard on its Welcome page, asked by a screen reader for the name of
  // the language box (which makes the setup load its accessibility library,
  // by name, long after start-up), then left with Cancel; the exit code.
  DWORD RunWizardToWelcome(bool expectName) {
    TScopedCurrentFolder folder(work_);
    e2e::TWizardSession session(exe_);
    EXPECT_TRUE(session.ok()) << "no wizard window";
    if (!session.ok()) return 0xFFFFFFFF;
    session.WaitPage(idFramWelc);
    session.WaitEnabled(idBtFrNext);
    EXPECT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    const std::wstring name = e2e::AccessibleName(e2e::FindControl(session.window(), idCbWcLang));
    if (expectName) {
      EXPECT_EQ(name, L"Installation language:");
    }
    ::CoUninitialize();
    session.Click(idBtFrCanc);
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(session.process().WaitForExit(60s, code));
    return code;
  }

  std::wstring downloads_, work_, exe_;

 private:
  std::unique_ptr<TScopedDllOverrides> overrides_;
  TScopedNoCrashDialog noCrashDialog_;
};

// The wizard reaches its Welcome page and closes with the user-exit code
// while every planted DLL stays unloaded.
TEST_F(PlantedDlls, WizardLoadsNone) {
  ASSERT_NO_FATAL_FAILURE(Plant(e2e::SetupExePath()));
  EXPECT_EQ(RunWizardToWelcome(true), 1602u) << "left on Welcome before an installation ran";
  EXPECT_TRUE(Loaded().empty()) << "planted DLLs were loaded:" << Listed(Loaded());
}

// An unattended installation into a folder below the program-files folder,
// started from the downloads folder: it succeeds and loads none of them.
TEST_F(PlantedDlls, UnattendedInstallationLoadsNone) {
  ASSERT_NO_FATAL_FAILURE(Plant(e2e::SetupExePath()));
  wchar_t programFiles[MAX_PATH];
  const DWORD n = ::ExpandEnvironmentStringsW(L"%ProgramFiles%", programFiles, MAX_PATH);
  ASSERT_TRUE(n > 1 && n < MAX_PATH);
  const std::wstring target = std::wstring(programFiles) + L"\\Corvalin Planted";
  DWORD code = 0xFFFFFFFF;
  {
    TScopedCurrentFolder folder(work_);
    e2e::TSetupProcess setup;
    ASSERT_TRUE(setup.Start(exe_, L"/S:1 /E:1 /I:1 /P:\"" + target + L"\""));
    ASSERT_TRUE(setup.WaitForExit(300s, code)) << "the unattended installation did not end";
  }
  EXPECT_EQ(code, 0u);
  EXPECT_NE(::GetFileAttributesW((target + L"\\Uninstall.exe").c_str()), INVALID_FILE_ATTRIBUTES)
      << "nothing installed in " << e2e::Narrow(target);
  EXPECT_TRUE(Loaded().empty()) << "planted DLLs were loaded:" << Listed(Loaded());
}

// The proof that the two scenarios above can fail: the same wizard run with a
// copy of the setup that has no search restriction and loads its run-time
// libraries by bare name (tests/planted/naive_dll_search.cpp) loads a marker
// from the folder it was started from.
TEST_F(PlantedDlls, NaiveSearchLoadsOne) {
  ASSERT_NO_FATAL_FAILURE(Plant(OwnFolder() + L"Corvalin-Setup-NaiveDllSearch.exe"));
  RunWizardToWelcome(false);
  std::vector<std::wstring> beside;
  for (const std::wstring& name : Loaded())
    if (name.find(L'\\') == std::wstring::npos) beside.push_back(name);
  EXPECT_FALSE(beside.empty()) << "no marker beside the exe was loaded; all loaded:" << Listed(Loaded());
  std::printf("loaded by the naive search:%s\n", Listed(Loaded()).c_str());
}

}  // namespace
