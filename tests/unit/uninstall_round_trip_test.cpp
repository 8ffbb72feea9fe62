// Install, then uninstall, on the emulated system: afterwards (and after the
// restart that removes the uninstaller's copy) the registry, the files and
// the packages are what they were before the installation, except the
// user's own file and its folder. Then what the uninstaller must leave alone,
// its answers (1605, 1602, 3010), its questions and texts in both languages.
#include <gtest/gtest.h>

#include <memory>

#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/uninstall_texts.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "engine/one_setup.h"
#include "platform/sim/sim_ui.h"
#include "platform/ui.h"
#include "shell/com_apartment.h"
#include "shell/w11_ctx_menu.h"
#include "support/install_env.h"
#include "support/uninstall_env.h"

namespace {

const ustring kPackageUrl = u"file:///C:/Program%20Files/Corvalin/Corvalin_w11CtxMn_Pack.msix";
const ustring kStartMenu = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Corvalin\\";
const ustring kDesktopLink = u"C:\\Users\\Public\\Desktop\\Corvalin.lnk";
const ustring kMd5 = u"SOFTWARE\\Classes\\.md5";
const ustring kUserFile = kInstallDir + u"my notes.txt";

struct TRoundTrip {
  const char* name;
  TSuLang lang;
  bool desktop;
  TFileAsso assoc;
  bool capabilities;  // the default-programs class is there (else open-with lists)
  bool foreignMd5;    // ".md5" belongs to another program before (its box stays clear)
  bool update;        // a second installation over the first
  bool userFile;      // the user put a file of their own into the folder
};

constexpr TFileAsso kNone{};
constexpr TFileAsso kSome{true, false, false, true, false, false, false, true};
constexpr TFileAsso kAll{true, true, true, true, true, true, true, true};
constexpr TFileAsso kAllButMd5{true, false, true, true, true, true, true, true};

class UninstallTest : public testing::Test {
 protected:
  UninstallTest() {
    previous_ = SetOs(&sim);
    PutPayload(sim, true);
    sim.osBuild = 22631;  // the context-menu package is registered too
    sim.deploy.packageFiles[kPackageUrl] = cPkgFullName;
    sim.comClasses.push_back(cClsidAssocRegUI);
  }
  ~UninstallTest() override {
    sim.deploy.WaitIdle();
    std::string open;
    for (const std::string& item : sim.DescribeOpen()) open += "\n  " + item;
    EXPECT_TRUE(open.empty()) << "still open:" << open;
    EXPECT_EQ(sim.deploy.OpenCount(), 0u) << testing::PrintToString(sim.deploy.DescribeOpen());
    SetOs(previous_);
  }

  void Install(TSuLang lang = cLangEnglish, bool desktop = true, TFileAsso assoc = kSome,
               std::uint8_t type = cInsTypNew) {
    TNewSetup ns = NewInstallChoices(true);
    ns.nsLangua = lang;
    ns.nsCutDsk = desktop;
    ns.nsAssoci = assoc;
    ns.nsInsTyp = type;
    RunTaskThread(sim, ns, cTaskInstall);
    sim.deploy.WaitIdle();
    const std::vector<TStep> steps = PostedSteps(sim);
    ASSERT_FALSE(steps.empty());
    ASSERT_EQ(steps.back(), (TStep{2, 49, 1, 45})) << "the installation itself failed";
  }

  TSimUi& Ui() { return static_cast<TSimUi&>(sim.Ui()); }

  TSimInstallOs sim;

 private:
  IPlatform* previous_ = nullptr;
};

// The round trip for a table of installations.
TEST_F(UninstallTest, RoundTripRestoresTheMachine) {
  const TRoundTrip cases[] = {
      {"English, desktop link, some associations", cLangEnglish, true, kSome, true, false, false, false},
      {"German, no desktop link, no association", cLangGerman, false, kNone, true, false, false, false},
      {"English, all associations", cLangEnglish, true, kAll, true, false, false, false},
      {"German, all associations through open-with lists", cLangGerman, true, kAll, false, false, false, false},
      {".md5 owned by another program", cLangEnglish, true, kAllButMd5, true, true, false, false},
      {"update over an earlier installation", cLangGerman, true, kSome, true, false, true, false},
      {"the user's own file in the folder", cLangEnglish, false, kSome, true, false, false, true},
  };
  for (const TRoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    TSimInstallOs fresh;
    IPlatform* outer = SetOs(&fresh);
    PutPayload(fresh, true);
    fresh.osBuild = 22631;
    fresh.deploy.packageFiles[kPackageUrl] = cPkgFullName;
    if (c.capabilities) fresh.comClasses.push_back(cClsidAssocRegUI);
    if (c.foreignMd5) {
      fresh.PutString(cHkeyLocalMachine, kMd5, u"", u"OtherTool.md5");
      fresh.PutValue(cHkeyLocalMachine, kMd5 + u"\\OpenWithProgIds", u"OtherTool.md5", cRegNone, {});
    }
    const TMachineState before = Snapshot(fresh);

    TNewSetup ns = NewInstallChoices(true);
    ns.nsLangua = c.lang;
    ns.nsCutDsk = c.desktop;
    ns.nsAssoci = c.assoc;
    RunTaskThread(fresh, ns, cTaskInstall);
    if (c.update) {
      ns.nsInsTyp = cInsTypUpdate;
      ns.nsCanOvr = true;
      RunTaskThread(fresh, ns, cTaskInstall);
    }
    fresh.deploy.WaitIdle();
    ASSERT_EQ(fresh.deploy.Packages(), std::vector<ustring>{cPkgFullName});
    if (c.userFile) fresh.PutFile(kUserFile, "mine");

    const TUninstallRun run = RunUninstaller(fresh, kInstallDir, c.lang == cLangGerman ? u" /S:1 /l:1" : u" /S:1");
    EXPECT_EQ(run.code, cExitSuccess) << testing::PrintToString(run.report.urLeft);
    EXPECT_TRUE(run.report.urAtRestart.empty());
    ASSERT_TRUE(run.copyStarted);
    // The copy runs from a private folder of its own below the Windows
    // folder's temporary folder, where no standard user renames a child.
    EXPECT_TRUE(fresh.IsPrivateDir(PathOfFile(run.copyPath)));
    EXPECT_EQ(PathOfFile(PathOfFile(run.copyPath).substr(0, PathOfFile(run.copyPath).size() - 1)),
              u"C:\\Windows\\Temp\\");
    EXPECT_FALSE(fresh.HasFile(kInstallDir + u"Uninstall.exe"));
    // Only the copy and its folder wait for the restart.
    const std::vector<TSimRestartEntry> pending = fresh.RestartList();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].from, run.copyPath);
    EXPECT_EQ(AddBackslash(pending[1].from), PathOfFile(run.copyPath));

    std::size_t restarted = 0;
    ApplyRestart(fresh, restarted);
    TMachineState after = Snapshot(fresh);
    if (c.userFile) {
      EXPECT_EQ(fresh.FileBytes(kUserFile), "mine");
      after.files.erase("C/Program Files/Corvalin/my notes.txt");
      after.files.erase("C/Program Files/Corvalin");
    }
    EXPECT_EQ(Missing(before, after), std::vector<std::string>{}) << "removed though it was there before";
    EXPECT_EQ(Missing(after, before), std::vector<std::string>{}) << "left behind";
    EXPECT_TRUE(fresh.ProcessStarts().back().inheritHandles);
    EXPECT_EQ(fresh.OpenCount(), 0u) << testing::PrintToString(fresh.DescribeOpen());
    SetOs(outer);
  }
}

// A second uninstallation finds nothing registered: 1605, and nothing changes.
TEST_F(UninstallTest, SecondRunFindsNothing) {
  Install();
  ASSERT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  const TMachineState after = Snapshot(sim);
  const std::size_t pending = sim.RestartList().size();
  sim.PutFile(kInstallDir + u"Uninstall.exe", "a stray uninstaller");
  const TMachineState withStray = Snapshot(sim);
  const TUninstallRun again = RunUninstaller(sim, kInstallDir, u"");
  EXPECT_EQ(again.code, cExitUnknownProduct);
  EXPECT_FALSE(again.copyStarted);
  EXPECT_EQ(Snapshot(sim), withStray);
  EXPECT_EQ(sim.RestartList().size(), pending);
  // Interactively it says why, in the language asked for, and asks nothing.
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  EXPECT_EQ(Ui().messageBoxes[0].text, cTxUnNotHere[cLangEnglish]);
  (void)after;
}

// An uninstaller in another folder than the registered one removes nothing.
TEST_F(UninstallTest, OtherFolderIsNotTheInstallation) {
  Install();
  const ustring other = u"C:\\Tools\\Corvalin\\";
  sim.PutFile(other + u"Uninstall.exe", "old copy");
  sim.PutFile(other + u"Corvalin.exe", "old program");
  const TMachineState installed = Snapshot(sim);
  EXPECT_EQ(RunUninstaller(sim, other, u" /S:1").code, cExitUnknownProduct);
  EXPECT_EQ(Snapshot(sim), installed);
}

// Interactive: one question; "No" ends with 1602 and changes nothing.
TEST_F(UninstallTest, DeclinedChangesNothing) {
  Install();
  const TMachineState installed = Snapshot(sim);
  Ui().messageBoxAnswers = {cIdNo};
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u"").code, cExitUserExit);
  EXPECT_EQ(Snapshot(sim), installed);
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  EXPECT_EQ(Ui().messageBoxes[0].text, cTxUnConfirm[cLangEnglish]);
  EXPECT_EQ(Ui().messageBoxes[0].caption, u"Uninstall Corvalin");
  EXPECT_EQ(Ui().messageBoxes[0].style & 0xF, cMbYesNo);
  EXPECT_TRUE(Ui().messageBoxes[0].style & cMbDefButton2) << "No is the default answer";
}

// While a setup (or another uninstallation) holds the machine-wide mutex the
// uninstaller changes nothing and ends with 1618: quietly when unattended,
// saying why when interactive. Once the mutex is free it runs.
TEST_F(UninstallTest, WaitsForNoOtherSetup) {
  Install();
  const TMachineState installed = Snapshot(sim);
  auto running = std::make_unique<TOneSetup>();
  ASSERT_TRUE(running->Acquired());
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitAlreadyRunning);
  EXPECT_TRUE(Ui().messageBoxes.empty());
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /l:1").code, cExitAlreadyRunning);
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  EXPECT_EQ(Ui().messageBoxes[0].text, cTxUnBusy[cLangGerman]);
  EXPECT_EQ(Snapshot(sim), installed);
  running.reset();
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  EXPECT_TRUE(sim.LiveMutexes().empty()) << "the mutex outlives the uninstaller";
}

// Interactive and German: the question, then the outcome, both in German.
TEST_F(UninstallTest, GermanInteractiveRun) {
  Install(cLangGerman);
  Ui().messageBoxAnswers = {cIdYes};
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /l:1");
  EXPECT_EQ(run.code, cExitSuccess);
  ASSERT_EQ(Ui().messageBoxes.size(), 2u);
  EXPECT_EQ(Ui().messageBoxes[0].text, cTxUnConfirm[cLangGerman]);
  EXPECT_EQ(Ui().messageBoxes[1].text, cTxUnDone[cLangGerman]);
  EXPECT_EQ(Ui().messageBoxes[1].caption, u"Deinstallation von Corvalin");
  // The copy keeps the language and the mode, and learns the folder and the handle.
  EXPECT_NE(run.copyCommandLine.find(u" /l:1 /W:"), ustring::npos) << ToUtf8(run.copyCommandLine);
  EXPECT_NE(run.copyCommandLine.find(u" /D:\"C:\\Program Files\\Corvalin\""), ustring::npos);
  EXPECT_EQ(run.copyCommandLine.find(u"/S:1"), ustring::npos);
}

// Unattended with the main program running: the program goes at the
// restart under a temporary name in its folder, then the folder; 3010.
TEST_F(UninstallTest, MainProgramRunningUnattended) {
  const TMachineState before = Snapshot(sim);
  Install();
  const ustring program = kInstallDir + cMainProgram;
  sim.HoldAsRunningImage(program);
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1");
  EXPECT_EQ(run.code, cExitRebootRequired);
  ASSERT_EQ(run.report.urAtRestart.size(), 2u);
  const ustring aside = run.report.urAtRestart[0];
  EXPECT_EQ(PathOfFile(aside), kInstallDir);
  EXPECT_NE(LowerAscii(aside), LowerAscii(program));
  EXPECT_EQ(run.report.urAtRestart[1], u"C:\\Program Files\\Corvalin");
  EXPECT_FALSE(sim.HasFile(program));
  EXPECT_TRUE(sim.HasFile(aside));
  EXPECT_TRUE(Ui().messageBoxes.empty());
  // Everything else is gone already: the registry, the links, the other files.
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin"));
  EXPECT_FALSE(sim.HasFile(kDesktopLink));
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"cvlnshxt.dll"));
  const std::vector<TSimRestartEntry> pending = sim.RestartList();
  ASSERT_GE(pending.size(), 2u);
  EXPECT_EQ(pending[0].from, aside);
  EXPECT_EQ(pending[1].from, u"C:\\Program Files\\Corvalin");
  sim.ReleaseHolds(aside);
  std::size_t restarted = 0;
  ApplyRestart(sim, restarted);
  EXPECT_EQ(Missing(Snapshot(sim), before), std::vector<std::string>{});
  EXPECT_EQ(Missing(before, Snapshot(sim)), std::vector<std::string>{});
}

// Interactive with the main program running: Retry asks again while it runs,
// now offering the restart; Cancel ends with 1602, nothing removed.
TEST_F(UninstallTest, MainProgramRunningInteractiveCancel) {
  Install();
  const ustring program = kInstallDir + cMainProgram;
  sim.HoldAsRunningImage(program);
  const TMachineState installed = Snapshot(sim);
  Ui().messageBoxAnswers = {cIdYes, cIdRetry, cIdCancel};
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u"").code, cExitUserExit);
  EXPECT_EQ(Snapshot(sim), installed);
  ASSERT_EQ(Ui().messageBoxes.size(), 3u);
  EXPECT_EQ(Ui().messageBoxes[1].text, cTxUnInUse1[cLangEnglish] + program + cTxUnInUse2[cLangEnglish]);
  EXPECT_EQ(Ui().messageBoxes[1].style & 0xF, cMbRetryCancel);
  EXPECT_EQ(Ui().messageBoxes[2].text,
            cTxUnStillInUse[cLangEnglish] + program + cTxUnAtRestartChoice[cLangEnglish]);
  EXPECT_EQ(Ui().messageBoxes[2].style & 0xF, cMbYesNoCancel);
  sim.ReleaseHolds(program);
}

// A link that points elsewhere now, and the user's own link in the product's Start-menu folder, stay.
TEST_F(UninstallTest, LinksOfOthersStay) {
  Install();
  sim.PutLink(kDesktopLink, u"D:\\Portable\\Corvalin.exe");
  sim.PutLink(kStartMenu + u"My hash tool.lnk", u"D:\\Portable\\Corvalin.exe");
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  ASSERT_TRUE(sim.ReadLink(kDesktopLink).has_value());
  EXPECT_EQ(sim.ReadLink(kDesktopLink)->target, u"D:\\Portable\\Corvalin.exe");
  EXPECT_TRUE(sim.HasFile(kStartMenu + u"My hash tool.lnk"));
  for (const char16_t* link : {u"Corvalin.lnk", u"Help (UK).lnk", u"Help (DE).lnk", u"Manual (UK).lnk", u"Manual (DE).lnk"})
    EXPECT_FALSE(sim.HasFile(kStartMenu + link)) << ToUtf8(link);
}

// An extension that another program took over since keeps its new owner; the product's entries go.
TEST_F(UninstallTest, ExtensionTakenOverStaysWithItsOwner) {
  Install(cLangEnglish, true, kAll);
  sim.PutString(cHkeyLocalMachine, kMd5, u"", u"OtherTool.md5");
  sim.PutString(cHkeyLocalMachine, u"SOFTWARE\\Corvalin", u"Theme", u"dark");  // the product's own setting
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, kMd5, u""), u"OtherTool.md5");
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\.sfv"));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\Corvalin.HashFileExt"));
  // A key with something the setup did not write stays, with only that in it.
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, u"SOFTWARE\\Corvalin", u"Theme"), u"dark");
  EXPECT_FALSE(sim.GetValue(cHkeyLocalMachine, u"SOFTWARE\\Corvalin", u"SetupVersion").has_value());
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Corvalin\\Capabilities"));
}

// A read-only product file is removed (it is made writable first), not left to the restart.
TEST_F(UninstallTest, ReadOnlyFileIsRemoved) {
  Install();
  sim.SetReadOnly(kInstallDir + u"License_en.txt", true);
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1");
  EXPECT_EQ(run.code, cExitSuccess);
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"License_en.txt"));
  EXPECT_FALSE(sim.HasDir(kInstallDir));
}

// A file that can't be removed (not in use) ends with 1603; the entry and the uninstaller stay for another run.
TEST_F(UninstallTest, FailureKeepsTheEntryForAnotherRun) {
  Install();
  sim.FailFrom("DeleteFileW", 1, cErrWriteFault, u"cvlncmdc.exe");
  Ui().messageBoxAnswers = {cIdYes};
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u"");
  EXPECT_EQ(run.code, cExitInstallFailure);
  EXPECT_EQ(run.report.urLeft, std::vector<ustring>{kInstallDir + u"cvlncmdc.exe"});
  EXPECT_FALSE(run.copyStarted);
  EXPECT_TRUE(sim.HasFile(kInstallDir + u"Uninstall.exe"));
  EXPECT_TRUE(sim.GetString(cHkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin",
                            u"UninstallString")
                  .has_value());
  ASSERT_EQ(Ui().messageBoxes.size(), 2u);
  EXPECT_EQ(Ui().messageBoxes[1].text, cTxUnFailed[cLangEnglish] + u"\r\n" + kInstallDir + u"cvlncmdc.exe");
  // Once the cause is gone, the next run completes the removal.
  sim.ClearFaults();
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  EXPECT_FALSE(sim.HasDir(kInstallDir));
}

// Without a copy (no temporary folder), the uninstaller and the folder go at the restart: 3010.
TEST_F(UninstallTest, NoCopyLeavesItselfToTheRestart) {
  Install();
  sim.FailFrom("CreatePrivateDirectoryW", 1, cErrAccessDenied);
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1");
  EXPECT_EQ(run.code, cExitRebootRequired);
  EXPECT_FALSE(run.copyStarted);
  ASSERT_EQ(run.report.urAtRestart.size(), 2u);
  EXPECT_EQ(PathOfFile(run.report.urAtRestart[0]), kInstallDir);
  EXPECT_NE(LowerAscii(run.report.urAtRestart[0]), LowerAscii(kInstallDir + u"Uninstall.exe"));
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"Uninstall.exe"));
  EXPECT_EQ(run.report.urAtRestart[1], u"C:\\Program Files\\Corvalin");
}

// The command line of the original and of its copy.
TEST(UninstallParamsTest, ParsesBothKinds) {
  const TUnParams plain = ParseUninstallCmdLine(u"C:\\Program Files\\Corvalin\\Uninstall.exe /l:1");
  EXPECT_FALSE(plain.upSilent);
  EXPECT_EQ(plain.upLangua, cLangGerman);
  EXPECT_FALSE(plain.IsCopy());
  const TUnParams quiet = ParseUninstallCmdLine(u"\"C:\\Program Files\\Corvalin\\Uninstall.exe\" /S:1");
  EXPECT_TRUE(quiet.upSilent);
  EXPECT_EQ(quiet.upLangua, cLangEnglish);
  const ustring line = CopyCommandLine(u"C:\\Temp\\X\\Uninstall.exe", quiet, 1234, u"C:\\Program Files\\Corvalin\\");
  EXPECT_EQ(line, u"\"C:\\Temp\\X\\Uninstall.exe\" /S:1 /W:1234 /D:\"C:\\Program Files\\Corvalin\"");
  const TUnParams copy = ParseUninstallCmdLine(line);
  EXPECT_TRUE(copy.IsCopy());
  EXPECT_TRUE(copy.upSilent);
  EXPECT_EQ(copy.upWaitFor, 1234u);
  EXPECT_EQ(copy.upFolder, u"C:\\Program Files\\Corvalin");
  // A folder whose name looks like options is taken whole.
  const TUnParams odd = ParseUninstallCmdLine(u"\"C:\\T\\Uninstall.exe\" /W:8 /D:\"D:\\a /S:1 b\"");
  EXPECT_FALSE(odd.upSilent);
  EXPECT_EQ(odd.upFolder, u"D:\\a /S:1 b");
}

}  // namespace
