// A new installation that did not complete, on the emulated system: the same
// command completes it (unattended and in the wizard), the files it left are
// not taken for someone else's, other folders stay protected, and
// Uninstall.exe removes it although no complete uninstall entry exists.
#include <gtest/gtest.h>

#include "app/setup_run.h"
#include "catalogue/payload_files.h"
#include "catalogue/registry_tables.h"
#include "common/cmdline.h"
#include "common/utils.h"
#include "engine/unfinished_mark.h"
#include "support/uninstall_env.h"
#include "support/wizard_env.h"

namespace {

const ustring kExe = u"\"C:\\Setup\\Corvalin-Setup.exe\"";
const ustring kTemp = u"C:\\Users\\Tester\\AppData\\Local\\Temp";
const ustring kEntry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

class UnfinishedTest : public WizardTest {
 protected:
  UnfinishedTest() {
    CmdParams = TCmdParams{};
    sim.MakeDirs(kTemp);
  }
  ~UnfinishedTest() override { CmdParams = TCmdParams{}; }

  std::uint32_t Run(const ustring& options) {
    CmdParams = TCmdParams{};
    sim.commandLine = kExe + u" " + options;
    const std::uint32_t code = RunSetup(sim.commandLine);
    sim.WaitThreads();
    return code;
  }
  bool Noted() { return sim.GetValue(cHkeyLocalMachine, ProductKey(), cUnfinishedValue).has_value(); }
  void ExpectAllFiles(const ustring& folder) {
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      // The licences are this fixture's short texts, not the sample files.
      const int index = static_cast<int>(i);
      if (!PayFiles[i].pfInstal || index == cPayLicenseFirst || index == cPayLicenseFirst + 1) continue;
      EXPECT_EQ(sim.FileBytes(folder + PayFiles[i].pfFilNam), PayloadBytes(static_cast<int>(i), true))
          << ToUtf8(PayFiles[i].pfFilNam);
    }
  }
};

// The step that fails, and where: the file step (the fourth write), the
// registration before the uninstall entry, the registration inside it, the
// links. Each time the same command then completes the installation, with
// the registry of an installation that never failed.
TEST_F(UnfinishedTest, SameCommandCompletesAfterAFailedStep) {
  struct TCase {
    const char* name;
    const char* op;
    std::uint64_t nth;
    std::uint32_t code;
    const char16_t* pathPart;
  };
  const TCase cases[] = {
      {"file step", "WriteFile", 4, 112, u""},
      {"registration", "RegCreateKeyExW", 3, 5, u""},
      {"uninstall entry", "RegSetValueExW", 2, 5, u"Uninstall\\Corvalin"},
      {"links", "ShellLinkSave", 1, 0x80004005u, u""},
  };
  // The registry of an uninterrupted installation, on a system of its own.
  std::vector<ustring> wanted;
  {
    TSimInstallOs other;
    other.resources = sim.resources;
    other.MakeDirs(kTemp);
    IPlatform* mine = SetOs(&other);
    CmdParams = TCmdParams{};
    other.commandLine = kExe + u" /S:1 /E:1";
    EXPECT_EQ(RunSetup(other.commandLine), 0u);
    other.WaitThreads();
    wanted = other.DumpRegistry(cHkeyLocalMachine);
    SetOs(mine);
  }
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    sim.FailCall(c.op, c.nth, c.code, c.pathPart);
    EXPECT_EQ(Run(u"/S:1 /E:1"), 1603u);
    EXPECT_TRUE(Noted());
    sim.ClearFaults();
    EXPECT_EQ(Run(u"/S:1 /E:1"), 0u) << "the same command did not complete the installation";
    ExpectAllFiles(kInstallDir);
    EXPECT_FALSE(Noted());
    EXPECT_EQ(sim.DumpRegistry(cHkeyLocalMachine), wanted);
    // The next case starts from an uninstalled machine.
    EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, 0u);
  }
}

// The note protects only its own folder: product files in another folder
// are still someone else's (check 36), as without a note.
TEST_F(UnfinishedTest, OtherFoldersStayProtected) {
  sim.FailCall("WriteFile", 2, 112);
  EXPECT_EQ(Run(u"/S:1 /E:1"), 1603u);
  sim.ClearFaults();
  const ustring other = u"C:\\Program Files\\Hash Tools\\";
  sim.PutFile(other + PayFiles[cPayMainProgram].pfFilNam, "another program's file");
  EXPECT_EQ(Run(u"/S:1 /E:1 /P:\"C:\\Program Files\\Hash Tools\""), 1603u);
  EXPECT_EQ(sim.FileBytes(other + PayFiles[cPayMainProgram].pfFilNam), std::optional<std::string>("another program's file"));
  EXPECT_TRUE(Noted()) << "the unfinished installation is still to be completed";
}

// The wizard, started again, offers the new installation into the folder
// of the unfinished one and completes it there.
TEST_F(UnfinishedTest, WizardOffersTheSameFolder) {
  const ustring folder = u"C:\\Program Files\\Hash Tools\\";
  sim.FailCall("WriteFile", 3, 112);
  EXPECT_EQ(Run(u"/S:1 /E:1 /P:\"C:\\Program Files\\Hash Tools\""), 1603u);
  sim.ClearFaults();
  CmdParams = TCmdParams{};  // the wizard started without options
  Start();
  GoToPrepare();
  EXPECT_EQ(Caption(idLbPpFold), folder);
  GoToReviewAndFinishPreparation();
  ASSERT_EQ(Code(), cStaSettingsOk) << "the files it left were taken for someone else's";
  Click(idBtFrNext);
  FinishTasks();
  EXPECT_EQ(Code(), cStaInstallOk);
  EXPECT_EQ(Wizard().ExitCode(), 0u);
  ExpectAllFiles(folder);
  EXPECT_FALSE(Noted());
}

// Uninstall.exe was written, the uninstall entry was not: the uninstaller
// still removes what is there (0, not 1605), the note included, and the
// machine is as before after the restart.
TEST_F(UnfinishedTest, UninstallerRemovesAnUnfinishedInstallation) {
  const TMachineState before = Snapshot(sim);
  sim.FailCall("RegCreateKeyExW", 1, 5, u"Uninstall\\Corvalin");
  EXPECT_EQ(Run(u"/S:1 /E:1"), 1603u);
  sim.ClearFaults();
  ASSERT_FALSE(sim.HasKey(cHkeyLocalMachine, kEntry));
  ASSERT_TRUE(sim.HasFile(kInstallDir + u"Uninstall.exe"));
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, 0u);
  std::size_t done = 0;
  ApplyRestart(sim, done);
  TMachineState after = Snapshot(sim);
  std::erase_if(after.files, [](const auto& f) { return f.first.find("Corvalin-Setup.log") != std::string::npos; });
  EXPECT_EQ(Missing(after, before), std::vector<std::string>{});
  EXPECT_EQ(Missing(before, after), std::vector<std::string>{});
}

}  // namespace
