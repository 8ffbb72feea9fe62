// The uninstaller's private copy against a standard user who watches for it
// and against hand-made options: where it lies and under which name, what
// it inherits, a copy replaced before its start, and a copy started with a
// /W: or /D: that is not its entry's.
#include <gtest/gtest.h>

#include <functional>

#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/registry_tables.h"
#include "common/utils.h"
#include "engine/one_setup.h"
#include "support/install_env.h"
#include "support/uninstall_env.h"
#include "uninstall/uninst_registry.h"
#include "uninstall/uninst_self.h"
#include "uninstall/uninstall_run.h"

namespace {

const ustring kOwn = kInstallDir + u"Uninstall.exe";
const ustring kOther = u"D:\\Other\\Corvalin\\";

class UninstCopyTest : public InstallFixture {
 protected:
  UninstCopyTest() : InstallFixture(true) {
    RunTaskThread(sim, NewInstallChoices(true), cTaskInstall);
    EXPECT_TRUE(sim.HasFile(kOwn));
  }
  // The original's run as Windows runs it; its copy is not run.
  std::uint32_t RunOriginal() {
    sim.ownModulePath = kOwn;
    sim.commandLine = kOwn + u" /S:1";
    sim.HoldAsRunningImage(kOwn);
    TUnReport report;
    const std::uint32_t code = RunUninstall(kOwn, ParseUninstallCmdLine(sim.commandLine), report);
    sim.ReleaseHolds(kOwn);
    return code;
  }
  // Runs the copy with commandLine from where it lies.
  std::uint32_t RunCopy(const ustring& path, const ustring& commandLine) {
    sim.ownModulePath = path;
    sim.commandLine = commandLine;
    sim.HoldAsRunningImage(path);
    const std::uint32_t code = FinishAsCopy(ParseUninstallCmdLine(commandLine));
    sim.ReleaseHolds(path);
    return code;
  }
  // Closes the handle the copy would have inherited (it never ran).
  void DropInherited(const TSimProcessStart& start) { sim.CloseHandle(start.onlyHandle); }
};

bool IsHex16(const ustring& text) {
  if (text.size() != 16) return false;
  for (char16_t c : text) {
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'))) return false;
  }
  return true;
}

// The copy's folder: below the Windows folder's Temp (or, where the system
// has it, the system account's own temporary folder), named from the
// system's random generator; the copy gets the one handle it needs.
TEST_F(UninstCopyTest, WhereTheCopyLiesAndWhatItInherits) {
  struct {
    std::function<void(TSimPlatform&)> arrange;
    const char16_t* parent;
  } cases[] = {
      {[](TSimPlatform&) {}, u"C:\\Windows\\Temp\\"},
      {[](TSimPlatform& s) {
         s.tempPath2 = u"C:\\Windows\\SystemTemp\\";
         s.MakeDirs(u"C:\\Windows\\SystemTemp");
       },
       u"C:\\Windows\\SystemTemp\\"},
      // An administrator's GetTempPath2W is their own %TEMP%: not a parent for the copy.
      {[](TSimPlatform& s) { s.tempPath2 = s.tempPath; }, u"C:\\Windows\\Temp\\"},
  };
  for (const auto& c : cases) {
    c.arrange(sim);
    const std::size_t before = sim.ProcessStarts().size();
    THandle dummy = 0;
    ASSERT_EQ(sim.DuplicateOwnProcessHandle(dummy), cErrSuccess);  // another inheritable handle
    TUnReport report;
    ASSERT_TRUE(StartSelfRemoval(kOwn, kInstallDir, TUnParams{}, report)) << ToUtf8(c.parent);
    const TSimProcessStart start = sim.ProcessStarts().back();
    ASSERT_EQ(sim.ProcessStarts().size(), before + 1);
    const ustring folder = PathOfFile(start.application);
    EXPECT_EQ(PathOfFile(folder.substr(0, folder.size() - 1)), c.parent);
    const ustring name = folder.substr(ustring(c.parent).size(), folder.size() - ustring(c.parent).size() - 1);
    EXPECT_EQ(name.rfind(u"Corvalin-Uninstall-", 0), 0u) << ToUtf8(name);
    EXPECT_TRUE(IsHex16(name.substr(19))) << ToUtf8(name);
    EXPECT_TRUE(sim.IsPrivateDir(folder));
    EXPECT_NE(start.onlyHandle, 0u) << "the copy inherits every inheritable handle";
    EXPECT_NE(start.commandLine.find(u" /W:" + DecOfInt(static_cast<std::int32_t>(start.onlyHandle)) + u" "),
              ustring::npos);
    DropInherited(start);
    sim.CloseHandle(dummy);
    sim.tempPath2.reset();
  }
  EXPECT_GE(sim.CallCounts()["GenRandom"], 3u);
}

// A copy that someone replaced between the copy and the start is not
// started: the uninstaller and its folder go at the restart instead.
TEST_F(UninstCopyTest, ReplacedCopyIsNeverStarted) {
#ifdef _WIN32
  // The emulation makes its links as links of the host's file system, which
  // the Windows build's host (Wine) shows as plain files; these rules are
  // proved by the native builds.
  GTEST_SKIP() << "the emulation's links need a POSIX host";
#endif
  sim.PutFile(u"C:\\Users\\Tester\\evil.exe", "planted");
  const std::function<void(TSimPlatform&, const ustring&)> swaps[] = {
      [](TSimPlatform& s, const ustring& to) {
        s.DeleteFileW(to);
        s.PutFile(to, "planted");
        s.SetFileOwner(to, u"Mallory");
      },
      [](TSimPlatform& s, const ustring& to) {
        s.DeleteFileW(to);
        s.MakeSymbolicLink(to, u"C:\\Users\\Tester\\evil.exe");
      },
      [](TSimPlatform& s, const ustring& to) { s.MakeHardLink(u"C:\\Users\\Tester\\second.exe", to); },
  };
  for (const auto& swap : swaps) {
    sim.afterCopy = [&](const ustring& to) { swap(sim, to); };
    TUnReport report;
    const std::size_t before = sim.ProcessStarts().size();
    EXPECT_FALSE(StartSelfRemoval(kOwn, kInstallDir, TUnParams{}, report));
    EXPECT_EQ(sim.ProcessStarts().size(), before) << "a replaced copy was started";
    // The uninstaller waits for the restart under a temporary name in its
    // folder (never its own: a reinstall before the restart keeps its file), then the folder.
    ASSERT_EQ(report.urAtRestart.size(), 2u);
    const ustring& moved = report.urAtRestart[0];
    EXPECT_EQ(moved.rfind(u"C:\\Program Files\\Corvalin\\", 0), 0u);
    EXPECT_TRUE(moved.size() > 4 && moved.substr(moved.size() - 4) == u".tmp");
    EXPECT_EQ(report.urAtRestart[1], u"C:\\Program Files\\Corvalin");
    // The next case starts from the uninstaller under its own name again.
    if (!sim.HasFile(kOwn)) {
      ASSERT_EQ(sim.MoveFileExW(moved, kOwn, 0), 0u);
      sim.HoldAsRunningImage(kOwn);
    }
    sim.DeleteFileW(u"C:\\Users\\Tester\\second.exe");
  }
  EXPECT_EQ(*sim.FileBytes(u"C:\\Users\\Tester\\evil.exe"), "planted");
}

// The copy acts only for its entry's folder, after the original ended,
// under the guard, and only while no installation is there again.
TEST_F(UninstCopyTest, CopyActsOnlyForItsOwnEntry) {
  sim.PutFile(kOther + u"Uninstall.exe", "someone else's uninstaller");
  ASSERT_EQ(RunOriginal(), cExitSuccess);
  const TSimProcessStart start = sim.ProcessStarts().back();
  const ustring line = start.commandLine;
  const std::size_t folderAt = line.find(u" /D:\"");
  ASSERT_NE(folderAt, ustring::npos);
  const ustring otherFolder = line.substr(0, folderAt) + u" /D:\"D:\\Other\\Corvalin\"";
  const ustring wrongHandle = line.substr(0, line.find(u" /W:")) + u" /W:1 /D:\"C:\\Program Files\\Corvalin\"";

  EXPECT_EQ(RunCopy(start.application, otherFolder), cExitInvalidCommandLine);
  EXPECT_TRUE(sim.HasFile(kOther + u"Uninstall.exe")) << "the copy acted on another folder";
  EXPECT_EQ(RunCopy(start.application, wrongHandle), cExitInvalidCommandLine);
  // Started by hand from the installation itself: no copy, nothing done.
  EXPECT_EQ(RunCopy(kOwn, line), cExitInvalidCommandLine);
  EXPECT_TRUE(sim.HasFile(kOwn));
  EXPECT_EQ(RunCopy(start.application, line), cExitSuccess);
  EXPECT_FALSE(sim.HasFile(kOwn));
  EXPECT_FALSE(sim.HasDir(kInstallDir));
}

// While a setup runs, the copy deletes nothing.
TEST_F(UninstCopyTest, CopyTakesTheGuardFirst) {
  ASSERT_EQ(RunOriginal(), cExitSuccess);
  const TSimProcessStart start = sim.ProcessStarts().back();
  const TOneSetup setup;
  EXPECT_EQ(RunCopy(start.application, start.commandLine), cExitAlreadyRunning);
  EXPECT_TRUE(sim.HasFile(kOwn));
}

// A setup that installed into the folder again between the original's end
// and the copy's turn keeps its uninstaller.
TEST_F(UninstCopyTest, ReinstalledFolderKeepsItsUninstaller) {
  ASSERT_EQ(RunOriginal(), cExitSuccess);
  const TSimProcessStart start = sim.ProcessStarts().back();
  // What a new installation leaves that the copy looks at: the entry and the uninstaller.
  sim.PutString(cHkeyLocalMachine, UninstallEntryKey(), u"InstallLocation", u"C:\\Program Files\\Corvalin\\");
  sim.PutFile(kOwn, "the new installation's uninstaller");
  ASSERT_EQ(InstalledIn(u"C:\\Program Files\\Corvalin"), TInstalled::Here);
  EXPECT_EQ(RunCopy(start.application, start.commandLine), cExitInstallFailure);
  EXPECT_TRUE(sim.HasFile(kOwn));
  DropInherited(start);
}

}  // namespace
