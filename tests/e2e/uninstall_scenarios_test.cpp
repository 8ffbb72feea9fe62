// End-to-end removal: the real Corvalin-Setup.exe installs through its
// wizard, then the commands of the uninstall entry run exactly as they are
// stored. Afterwards HKEY_LOCAL_MACHINE\SOFTWARE is what it was before the
// installation, the folder is gone (or holds only the user's file) and the
// links are gone. Each scenario runs in a fresh prefix (scripts/e2e-scenario.sh).
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

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
// program is listed for deletion at the next restart.
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
  EXPECT_TRUE(std::any_of(pending.begin(), pending.end(), [&](const std::wstring& e) {
    return _wcsicmp(e.c_str(), (L"\\??\\" + exe).c_str()) == 0 || _wcsicmp(e.c_str(), exe.c_str()) == 0;
  })) << "pending:" << Lines(pending);
  EXPECT_FALSE(MachineKeyExists(kEntry));
  EXPECT_FALSE(FileExists(InstallFolder() + L"\\cvlnshxt.dll"));
  EXPECT_FALSE(FileExists(InstallFolder() + L"\\Uninstall.exe"));
}

}  // namespace
