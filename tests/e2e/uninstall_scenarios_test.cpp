// End-to-end removal: the real Corvalin-Setup.exe installs through its
// wizard, then the commands of the uninstall entry run exactly as they are
// stored. Afterwards HKEY_LOCAL_MACHINE\SOFTWARE is what it was before the
// installation, the folder is gone (or holds only the user's file) and the
// links are gone. Each scenario runs in a fresh prefix (scripts/e2e-scenario.sh).
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <iterator>
#include <set>

#include "e2e/system_probe.h"
#include "e2e/system_snapshot.h"
#include "e2e/wizard_session.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

const std::wstring kEntry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

std::wstring Stored(const wchar_t* name) {
  const auto v = ReadMachineValue(kEntry, name);
  return v ? v->Text() : L"";
}

class UninstallScenario : public testing::Test {
 protected:
  void SetUp() override { ::CoInitialize(nullptr); }
  void TearDown() override { ::CoUninitialize(); }

  void Install(bool german) {
    TWizardSession s;
    ASSERT_TRUE(s.ok());
    s.GoToReview(true, german ? 1 : 0);
    s.WaitLastLine(idMmReview, german ? L"Alle Einstellungen in Ordnung." : L"All settings OK.");
    s.InstallAndWaitForFinish();
    s.FinishAndExit(false);
    ASSERT_TRUE(FileExists(InstallFolder() + L"\\Uninstall.exe"));
  }

  // Answers the uninstaller's next message box with button and returns its text.
  std::wstring Answer(TStoredCommand& run, int button) {
    HWND box = WaitForMessageBox(run.pid(), 60s);
    if (box == nullptr) return L"(no message box)";
    const std::wstring text = MessageBoxText(box);
    ::PostMessageW(box, WM_COMMAND, button, 0);
    // The box must be gone before the next one is looked for.
    std::string seen;
    WaitUntil([&] { return !::IsWindow(box); }, 30s, [] { return std::string("box still open"); }, seen);
    return text;
  }

  void ExpectRemoved(const std::vector<std::wstring>& before, bool userFile) {
    ASSERT_TRUE(WaitForUninstallers(120s)) << "the uninstaller's copy did not end";
    const std::wstring folder = InstallFolder();
    if (userFile) {
      EXPECT_EQ(ListFolder(folder), std::vector<std::wstring>{L"my notes.txt"});
    } else {
      EXPECT_FALSE(FolderExists(folder)) << "left: " << Lines(ListFolder(folder));
    }
    EXPECT_FALSE(FolderExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Corvalin"));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Corvalin.lnk"));
    const std::vector<std::wstring> after = ExportSoftware();
    EXPECT_EQ(Difference(after, before), std::vector<std::wstring>{}) << "left in the registry:" << Lines(Difference(after, before));
    EXPECT_EQ(Difference(before, after), std::vector<std::wstring>{}) << "removed from the registry:" << Lines(Difference(before, after));
    // The copy and its private folder wait for the restart.
    const std::vector<std::wstring> pending = PendingRenames();
    EXPECT_TRUE(std::any_of(pending.begin(), pending.end(), [](const std::wstring& e) {
      return e.find(L"Corvalin-Uninstall-") != std::wstring::npos && e.find(L"Uninstall.exe") != std::wstring::npos;
    })) << "the copy is not listed for deletion at restart";
  }
};

// English: UninstallString as stored, the question answered Yes, the outcome confirmed.
TEST_F(UninstallScenario, InteractiveEnglish) {
  const std::vector<std::wstring> before = ExportSoftware();
  Install(false);
  const std::wstring command = Stored(L"UninstallString");
  ASSERT_EQ(command, InstallFolder() + L"\\Uninstall.exe");
  TStoredCommand run(command);
  ASSERT_TRUE(run.started());
  EXPECT_EQ(Answer(run, IDYES), L"Do you really want to remove Corvalin and all of its components?");
  EXPECT_EQ(Answer(run, IDOK), L"Corvalin was removed from your computer.");
  EXPECT_EQ(run.WaitForExit(60s), 0u);
  ExpectRemoved(before, false);
}

// German: the texts are German; No changes nothing (1602); then QuietUninstallString
// as stored removes everything but the user's file, without a window.
TEST_F(UninstallScenario, GermanDeclinedThenQuiet) {
  const std::vector<std::wstring> before = ExportSoftware();
  Install(true);
  const std::vector<std::wstring> installed = ExportSoftware();
  {
    TStoredCommand run(Stored(L"UninstallString"));
    ASSERT_TRUE(run.started());
    EXPECT_EQ(Answer(run, IDNO), L"Möchten Sie Corvalin und alle zugehörigen Komponenten wirklich entfernen?");
    EXPECT_EQ(run.WaitForExit(60s), 1602u);
  }
  EXPECT_EQ(ExportSoftware(), installed);
  EXPECT_TRUE(FileExists(InstallFolder() + L"\\Corvalin.exe"));

  const std::vector<char> mine{'m', 'i', 'n', 'e'};
  ASSERT_TRUE(WriteFileBytes(InstallFolder() + L"\\my notes.txt", mine));
  const std::wstring quiet = Stored(L"QuietUninstallString");
  ASSERT_EQ(quiet, L"\"" + InstallFolder() + L"\\Uninstall.exe\" /S:1 /l:1");
  TStoredCommand run(quiet);
  ASSERT_TRUE(run.started());
  EXPECT_EQ(run.WaitForExit(120s), 0u);
  EXPECT_EQ(WaitForMessageBox(run.pid(), 1s), nullptr);
  ExpectRemoved(before, true);
  EXPECT_EQ(ReadFileBytes(InstallFolder() + L"\\my notes.txt"), mine);
}

// The placeholder main program runs: unattended removal ends with 3010 and the
// program is listed for deletion at the next restart under a temporary name
// in its folder, never under its own (a reinstall before the restart keeps
// its Corvalin.exe).
TEST_F(UninstallScenario, MainProgramRunning) {
  Install(false);
  const std::wstring exe = InstallFolder() + L"\\Corvalin.exe";
  TSetupProcess program;
  ASSERT_TRUE(program.Start(exe));
  ::Sleep(2000);
  // Wine, like Windows, refuses to delete a running program's image (access
  // denied), so the running placeholder alone holds the file.
  TStoredCommand run(Stored(L"QuietUninstallString"));
  ASSERT_TRUE(run.started());
  EXPECT_EQ(run.WaitForExit(120s), 3010u);
  ASSERT_TRUE(WaitForUninstallers(120s));
  const std::vector<std::wstring> pending = PendingRenames();
  EXPECT_FALSE(std::any_of(pending.begin(), pending.end(), [&](const std::wstring& e) {
    return _wcsicmp(e.c_str(), (L"\\??\\" + exe).c_str()) == 0 || _wcsicmp(e.c_str(), exe.c_str()) == 0;
  })) << "pending:" << Lines(pending);
  const std::wstring folder = InstallFolder() + L"\\";
  EXPECT_TRUE(std::any_of(pending.begin(), pending.end(), [&](const std::wstring& e) {
    const std::wstring path = e.rfind(L"\\??\\", 0) == 0 ? e.substr(4) : e;
    return path.size() > folder.size() + 4 && _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0 &&
           _wcsicmp(path.c_str() + path.size() - 4, L".tmp") == 0;
  })) << "pending:" << Lines(pending);
  EXPECT_FALSE(FileExists(exe));
  EXPECT_FALSE(MachineKeyExists(kEntry));
  EXPECT_FALSE(FileExists(InstallFolder() + L"\\cvlnshxt.dll"));
  EXPECT_FALSE(FileExists(InstallFolder() + L"\\Uninstall.exe"));
}

// Pending restart entries that name a product file under its own name.
std::vector<std::wstring> PendingOnProductNames() {
  static const wchar_t* const kNames[] = {L"Corvalin.exe", L"License_en.txt", L"License_de.txt", L"cvlnhlib.exe",
                                          L"cvlnshxt.dll", L"Corvalin_en.chm", L"Corvalin_de.chm", L"cvlncmdc.exe",
                                          L"cvlncmdv.exe", L"Corvalin_w11CtxMn_Pack.msix", L"Corvalin_en.pdf",
                                          L"Corvalin_de.pdf", L"Uninstall.exe"};
  std::vector<std::wstring> named;
  for (const std::wstring& entry : PendingRenames()) {
    const std::wstring path = entry.rfind(L"\\??\\", 0) == 0 ? entry.substr(4) : entry;
    for (const wchar_t* name : kNames)
      if (_wcsicmp(path.c_str(), (InstallFolder() + L"\\" + name).c_str()) == 0) named.push_back(entry);
  }
  return named;
}

DWORD RunUnattended(const std::wstring& arguments) {
  TSetupProcess setup;
  DWORD code = 0xFFFFFFFF;
  if (!setup.Start(SetupExePath(), arguments) || !setup.WaitForExit(300s, code)) return 0xFFFFFFFF;
  return code;
}

// Explorer keeps the shell extension loaded (opened for reading, sharing read
// and delete, and mapped, as a loaded image is): the update ends 3010 with the
// new file in place under its name; the removal and a reinstall right after
// end 0, and no restart entry names a product file's real path, so the
// restart cannot delete what the reinstall wrote.
TEST_F(UninstallScenario, ShellExtensionHeld) {
  ASSERT_EQ(RunUnattended(L"/S:1 /E:1"), 0u);
  const std::wstring dll = InstallFolder() + L"\\cvlnshxt.dll";
  const auto original = ReadFileBytes(dll);
  ASSERT_TRUE(original.has_value());
  // A loaded library is a mapped file: it can be renamed but not deleted.
  // The sample file is no loadable library, so it is mapped as data, which
  // the system guards against deletion the same way.
  struct THeldImage {
    HANDLE file = INVALID_HANDLE_VALUE, mapping = nullptr;
    const void* view = nullptr;
    explicit THeldImage(const std::wstring& path) {
      file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
      if (file != INVALID_HANDLE_VALUE) mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
      if (mapping != nullptr) view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    }
    ~THeldImage() {
      if (view != nullptr) ::UnmapViewOfFile(view);
      if (mapping != nullptr) ::CloseHandle(mapping);
      if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
  };
  const THeldImage beforeUpdate(dll);
  ASSERT_NE(beforeUpdate.view, nullptr);

  EXPECT_EQ(RunUnattended(L"/S:1 /E:1"), 3010u) << "update";
  EXPECT_EQ(ReadFileBytes(dll), original) << "the new file is not in place";
  EXPECT_EQ(PendingOnProductNames(), std::vector<std::wstring>{}) << Lines(PendingRenames());

  // The removal while the earlier file still waits for the restart. (A hold
  // of the new file cannot be shown here: Wine 8 lets DeleteFileW succeed on
  // a file mapped as data and opened with delete sharing, and deletes it at
  // the last close, where Windows refuses a file with a mapped view. A held
  // file in the removal is the running program of MainProgramRunning, and
  // the emulation's loaded-image hold in the unit tests.)
  TStoredCommand run(Stored(L"QuietUninstallString"));
  ASSERT_TRUE(run.started());
  EXPECT_EQ(run.WaitForExit(120s), 0u) << "uninstall";
  ASSERT_TRUE(WaitForUninstallers(120s));
  EXPECT_FALSE(FileExists(dll));
  EXPECT_EQ(PendingOnProductNames(), std::vector<std::wstring>{}) << Lines(PendingRenames());

  EXPECT_EQ(RunUnattended(L"/S:1 /E:1"), 0u) << "reinstall";
  EXPECT_EQ(ReadFileBytes(dll), original);
  EXPECT_EQ(PendingOnProductNames(), std::vector<std::wstring>{}) << Lines(PendingRenames());
}

// The unattended installation is killed at points chosen by what it has
// just written (a kill after a fixed delay lands mostly before or after the
// half second the installation takes): the first registry key (the note of
// the unfinished installation), the n-th product file, the uninstall entry,
// the Start-menu folder. Each time the same command then ends 0 with the
// thirteen files as an uninterrupted run writes them, and the stored
// QuietUninstallString leaves HKLM\SOFTWARE as it was before. Which points
// the kill hit (the setup still running when the trigger was seen) is printed.
TEST_F(UninstallScenario, KilledInstallationCompletes) {
  static const wchar_t* const kFiles[] = {L"Corvalin.exe", L"License_en.txt", L"License_de.txt", L"cvlnhlib.exe",
                                          L"cvlnshxt.dll", L"Corvalin_en.chm", L"Corvalin_de.chm", L"cvlncmdc.exe",
                                          L"cvlncmdv.exe", L"Corvalin_w11CtxMn_Pack.msix", L"Corvalin_en.pdf",
                                          L"Corvalin_de.pdf", L"Uninstall.exe"};
  const std::vector<std::wstring> before = ExportSoftware();
  const std::wstring folder = InstallFolder() + L"\\";
  const auto uninstall = [&] {
    TStoredCommand run(Stored(L"QuietUninstallString"));
    ASSERT_TRUE(run.started());
    EXPECT_EQ(run.WaitForExit(120s), 0u);
    ASSERT_TRUE(WaitForUninstallers(120s));
    EXPECT_EQ(ExportSoftware(), before) << "left:" << Lines(Difference(ExportSoftware(), before))
                                        << "\nremoved:" << Lines(Difference(before, ExportSoftware()));
  };
  // The files of an uninterrupted run.
  ASSERT_EQ(RunUnattended(L"/S:1 /E:1"), 0u);
  std::vector<std::vector<char>> wanted;
  for (const wchar_t* name : kFiles) {
    const auto bytes = ReadFileBytes(folder + name);
    ASSERT_TRUE(bytes.has_value()) << Narrow(name);
    wanted.push_back(*bytes);
  }
  uninstall();

  struct TPoint {
    std::string name;
    std::function<bool()> reached;
  };
  std::vector<TPoint> points{{"first registry key", [] { return MachineKeyExists(L"SOFTWARE\\Corvalin"); }}};
  for (const int n : {1, 2, 4, 6, 9, 11, 13})
    points.push_back({"product file " + std::to_string(n), [&, n] { return FileExists(folder + kFiles[n - 1]); }});
  points.push_back({"uninstall entry", [] { return MachineKeyExists(kEntry); }});
  points.push_back({"Start-menu folder",
                    [] { return FolderExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Corvalin"); }});
  int hits = 0;
  for (const TPoint& point : points) {
    SCOPED_TRACE(point.name);
    TSetupProcess setup;
    ASSERT_TRUE(setup.Start(SetupExePath(), L"/S:1 /E:1"));
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, setup.pid());
    ASSERT_NE(process, nullptr);
    bool hit = false;
    const auto end = std::chrono::steady_clock::now() + 120s;
    while (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < end) {
      if (!point.reached()) continue;
      hit = ::TerminateProcess(process, 99) != FALSE;
      break;
    }
    ::WaitForSingleObject(process, 30000);
    ::CloseHandle(process);
    int present = 0;
    for (const wchar_t* name : kFiles) present += FileExists(folder + name) ? 1 : 0;
    std::cout << "[ kill     ] " << point.name << ": " << (hit ? "hit" : "missed (the run had ended)") << ", "
              << present << " of 13 files present, uninstall entry "
              << (MachineKeyExists(kEntry) ? "present" : "absent") << "\n";
    hits += hit ? 1 : 0;

    EXPECT_EQ(RunUnattended(L"/S:1 /E:1"), 0u) << "the same command did not complete the installation";
    for (std::size_t i = 0; i < std::size(kFiles); ++i)
      EXPECT_EQ(ReadFileBytes(folder + kFiles[i]), wanted[i]) << Narrow(kFiles[i]);
    uninstall();
  }
  EXPECT_GE(hits, 8) << "too few points were hit";
}

}  // namespace
