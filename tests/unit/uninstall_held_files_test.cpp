// Product files that someone holds while the uninstaller runs, on the
// emulated system: what waits for the restart waits under a temporary name,
// so that an installation made before the restart keeps its files; the
// uninstaller's copy waits out a momentary hold on Uninstall.exe.
#include <gtest/gtest.h>

#include "catalogue/exit_codes.h"
#include "catalogue/payload_files.h"
#include "common/task_msg.h"
#include "catalogue/uninstall_texts.h"
#include "common/utils.h"
#include "platform/sim/sim_ui.h"
#include "platform/ui.h"
#include "platform/wincodes.h"
#include "support/install_env.h"
#include "support/uninstall_env.h"

namespace {

const ustring kShellExt = kInstallDir + PayFiles[cPayShellExt].pfFilNam;
const ustring kUninstaller = kInstallDir + PayFiles[cPayUninstaller].pfFilNam;
const ustring kFolder = u"C:\\Program Files\\Corvalin";

class HeldFilesTest : public testing::Test {
 protected:
  HeldFilesTest() {
    previous_ = SetOs(&sim);
    PutPayload(sim, true);
  }
  ~HeldFilesTest() override {
    sim.deploy.WaitIdle();
    SetOs(previous_);
  }

  void Install() {
    RunTaskThread(sim, NewInstallChoices(true), cTaskInstall);
    const std::vector<TStep> steps = PostedSteps(sim);
    ASSERT_FALSE(steps.empty());
    ASSERT_EQ(steps.back(), (TStep{2, 49, 1, 45})) << "the installation itself failed";
  }

  // Restart entries that name a product file under its own name.
  std::vector<ustring> EntriesNamingProductFiles() {
    std::vector<ustring> named;
    for (const TSimRestartEntry& entry : sim.RestartList())
      for (const TPayFile& file : PayFiles)
        if (LowerAscii(entry.from) == LowerAscii(kInstallDir + file.pfFilNam)) named.push_back(entry.from);
    return named;
  }

  TSimInstallOs sim;

 private:
  IPlatform* previous_ = nullptr;
};

// Explorer has the shell extension loaded (an image: read, sharing read and
// delete, and not deletable while mapped): the unattended uninstall ends 3010 with the file
// waiting under a temporary name; a reinstall right after writes every file
// anew, and the restart then deletes only the old file, never the new ones.
TEST_F(HeldFilesTest, ReinstallBeforeTheRestartKeepsItsFiles) {
  Install();
  sim.HoldAsRunningImage(kShellExt);
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1");
  EXPECT_EQ(run.code, cExitRebootRequired);
  EXPECT_EQ(EntriesNamingProductFiles(), std::vector<ustring>{});
  ASSERT_EQ(run.report.urAtRestart.size(), 2u);
  const ustring aside = run.report.urAtRestart[0];
  EXPECT_EQ(PathOfFile(aside), kInstallDir);
  EXPECT_EQ(run.report.urAtRestart[1], kFolder) << "the folder goes after the file it still holds";
  EXPECT_FALSE(sim.HasFile(kShellExt));

  Install();
  EXPECT_EQ(EntriesNamingProductFiles(), std::vector<ustring>{});
  sim.ReleaseHolds(aside);  // Explorer ends with the session
  std::size_t restarted = 0;
  ApplyRestart(sim, restarted);
  EXPECT_FALSE(sim.HasFile(aside));
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    if (!PayFiles[i].pfInstal) continue;
    EXPECT_EQ(sim.FileBytes(kInstallDir + PayFiles[i].pfFilNam), PayloadBytes(static_cast<int>(i), true))
        << ToUtf8(PayFiles[i].pfFilNam);
  }
}

// A scanner reads Uninstall.exe for a moment when the original has ended:
// the copy waits for it and deletes the file and the folder now; only the
// copy and its own folder wait for the restart.
TEST_F(HeldFilesTest, CopyWaitsOutAMomentaryHold) {
  Install();
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1", [&] {
    sim.HoldBriefly(kUninstaller, cGenericRead, cFileShareRead, 3);
  });
  ASSERT_EQ(run.code, cExitSuccess);
  ASSERT_TRUE(run.copyStarted);
  EXPECT_FALSE(sim.HasDir(kInstallDir));
  const std::vector<TSimRestartEntry> pending = sim.RestartList();
  ASSERT_EQ(pending.size(), 2u) << "a momentary hold left something to the restart";
  EXPECT_EQ(pending[0].from, run.copyPath);
  EXPECT_GT(sim.SleptMilliseconds(), 0u);
}

// Uninstall.exe stays held (mapped as an image) after the original
// has ended: the copy moves it to a temporary name, schedules that, and then
// the folder; a reinstall before the restart keeps its Uninstall.exe.
TEST_F(HeldFilesTest, CopyMovesAHeldUninstallerAside) {
  Install();
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1", [&] {
    sim.HoldAsRunningImage(kUninstaller);
  });
  ASSERT_TRUE(run.copyStarted);
  EXPECT_FALSE(sim.HasFile(kUninstaller));
  EXPECT_EQ(EntriesNamingProductFiles(), std::vector<ustring>{});
  const std::vector<TSimRestartEntry> pending = sim.RestartList();
  ASSERT_EQ(pending.size(), 4u);
  EXPECT_EQ(PathOfFile(pending[0].from), kInstallDir);
  EXPECT_EQ(pending[1].from, kFolder) << "the folder goes after the file it still holds";
  EXPECT_EQ(pending[2].from, run.copyPath);
  sim.ReleaseHolds(pending[0].from);

  Install();
  std::size_t restarted = 0;
  ApplyRestart(sim, restarted);
  EXPECT_EQ(sim.FileBytes(kUninstaller), PayloadBytes(cPayUninstaller, true));
  EXPECT_FALSE(sim.HasFile(pending[0].from));
}

// Interactive, the main program held by a program the user can't close: the
// file is asked for (Retry), still held, and the user lets it go at the next
// restart. The run ends 3010 with the file waiting under a temporary name;
// the question names the holding programs where the system can tell, and
// only the file where it can't; in both languages.
TEST_F(HeldFilesTest, InteractiveRetryThenAtRestart) {
  struct TCase {
    const char* name;
    TSuLang lang;
    std::vector<ustring> holders;
    const char16_t* heldBy;  // what the question says after the file
  };
  const TCase cases[] = {
      {"English, holder known", cLangEnglish, {u"Corvalin", u"Windows Explorer"},
       u"\r\n\r\nIt is held by: Corvalin, Windows Explorer"},
      {"German, holder unknown", cLangGerman, {}, u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSimInstallOs fresh;
    IPlatform* outer = SetOs(&fresh);
    PutPayload(fresh, true);
    RunTaskThread(fresh, NewInstallChoices(true), cTaskInstall);
    const ustring program = kInstallDir + PayFiles[cPayMainProgram].pfFilNam;
    fresh.HoldAsRunningImage(program);
    if (!c.holders.empty()) fresh.fileHolders[program] = c.holders;
    auto& ui = static_cast<TSimUi&>(fresh.Ui());
    ui.messageBoxAnswers = {cIdYes, cIdRetry, cIdYes};
    const TUninstallRun run = RunUninstaller(fresh, kInstallDir, c.lang == cLangGerman ? u" /l:1" : u"");
    EXPECT_EQ(run.code, cExitRebootRequired);
    ASSERT_EQ(ui.messageBoxes.size(), 4u);
    EXPECT_EQ(ui.messageBoxes[2].text,
              cTxUnStillInUse[c.lang] + program + c.heldBy + cTxUnAtRestartChoice[c.lang]);
    EXPECT_EQ(ui.messageBoxes[2].style & 0xF, cMbYesNoCancel);
    EXPECT_EQ(ui.messageBoxes[3].text, cTxUnReboot[c.lang]);
    ASSERT_FALSE(run.report.urAtRestart.empty());
    const ustring aside = run.report.urAtRestart[0];
    EXPECT_EQ(PathOfFile(aside), kInstallDir);
    EXPECT_NE(LowerAscii(aside), LowerAscii(program));
    EXPECT_FALSE(fresh.HasFile(program));
    EXPECT_EQ(fresh.RestartList().at(0).from, aside);
    fresh.ReleaseHolds(aside);
    fresh.deploy.WaitIdle();
    SetOs(outer);
  }
}

}  // namespace
