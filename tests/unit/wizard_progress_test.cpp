// The progress display: the lines that WM_SETUP_TASK messages leave on the
// Finish and Review pages, fed through the emulated message queue as a worker
// posts them while the real installation worker is held back.
#include <gtest/gtest.h>

#include "catalogue/payload_files.h"
#include "catalogue/texts.h"
#include "common/task_msg.h"
#include "platform/wincodes.h"
#include "shell/w11_ctx_menu.h"
#include "support/wizard_env.h"

namespace {

constexpr std::intptr_t Word(int state, int percent) { return state << 8 | percent; }
constexpr std::intptr_t kAccessDenied = static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80070005u));

// On the Finish page with the installation task started but held.
class ProgressTest : public WizardTest {
 protected:
  void SetUp() override {
    Start();
    GoToPrepare();
    GoToReviewAndFinishPreparation();
    ASSERT_EQ(Code(), cStaSettingsOk);
    sim.HoldThreads();
    Click(idBtFrNext);
    ASSERT_EQ(Code(), cStaInstRuns);
  }
  std::vector<ustring> Progress() { return Lines(idMmFiProg); }
};

// A new installation on Windows 11 replacing an older context-menu package:
// step lines, the package lines rewritten in place, the verdict and the hints.
TEST_F(ProgressTest, NewInstallationOnWindows11) {
  Feed(2, 48, 1);
  Feed(2, 39, 1);
  Feed(2, 40, 1);
  Feed(2, 41, 1);
  Feed(2, 42, 0, Word(1, 0));
  EXPECT_EQ(Progress().back(), u"Uninstalling old version of context menu entries - queued ... can take 1-2 minutes!");
  Feed(2, 42, 0, Word(2, 30));
  Feed(2, 42, 0, Word(2, 100));
  Feed(2, 43, 0, Word(1, 0));
  EXPECT_EQ(Progress().back(), u"Installing context menu entries - queued ... ");
  Feed(2, 43, 0, Word(2, 55));
  Feed(2, 43, 0, Word(2, 100));
  Feed(2, 44, 2, 0);
  Feed(2, 49, 1, 45);
  EXPECT_EQ(Progress(), (std::vector<ustring>{
                            u"Installing files ... OK",
                            u"Registering application ... OK",
                            u"Creating shortcuts ... OK",
                            u"Uninstalling old version of context menu entries - processing ... 100 %",
                            u"Installing context menu entries - processing ... 100 %",
                            u"Installation of context menu entries: Completed",
                            u"",
                            u"Installation completed successfully.",
                            u"",
                            u"Hints regarding Windows 11 context menu:",
                            cTxFiW11Hint[cLangEnglish],
                        }));
  EXPECT_EQ(Code(), cStaInstallOk);
  EXPECT_TRUE(Wizard().Status().stW11Nfo);
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_TRUE(Enabled(idCkFiExec));
}

// State 2 with more than 100 % shows the state word without a number.
TEST_F(ProgressTest, PercentAbove100IsNotShown) {
  Feed(2, 43, 0, Word(2, 101));
  EXPECT_EQ(Progress(), std::vector<ustring>{u"Installing context menu entries - processing ... "});
  Feed(2, 43, 0, Word(0, 50));
  EXPECT_EQ(Progress(), std::vector<ustring>{u"Installing context menu entries -  ... "});
}

// A negative code without a final state is a general error with the code and
// the system's text (its full stop and line break dropped), all in one line.
TEST_F(ProgressTest, GeneralErrorWithSystemText) {
  Feed(2, 44, 0, kAccessDenied);
  EXPECT_EQ(Progress(),
            std::vector<ustring>{u"Installation of context menu entries: General error (0x80070005: Access is denied)"});
  EXPECT_FALSE(Wizard().Status().stW11Nfo);
  Feed(2, 44, 4, kAccessDenied);
  EXPECT_EQ(Progress().back(), u"Installation of context menu entries: Error (0x80070005: Access is denied)");
  EXPECT_EQ(Progress().size(), 1u);
}

// An already registered package writes no line but still brings the hints
// at the end of a new installation.
TEST_F(ProgressTest, PackagePresentShowsNoLineButHints) {
  Feed(2, 39, 1);
  Feed(2, 44, 2, cPkgPresent);
  EXPECT_EQ(Progress(), std::vector<ustring>{u"Installing files ... OK"});
  EXPECT_TRUE(Wizard().Status().stW11Nfo);
  Feed(2, 49, 1, 45);
  EXPECT_EQ(Progress().size(), 6u);
  EXPECT_EQ(Progress()[4], u"Hints regarding Windows 11 context menu:");
}

// Phases outside the protocol show "Unknown StatCode: 0x" and the phase.
TEST_F(ProgressTest, UnknownPhases) {
  Feed(2, 47, 1);
  Feed(1, 27, 0);
  Feed(2, 0, 0);
  Feed(2, 50, 0);
  Feed(2, 255, 0);
  EXPECT_EQ(Progress(), (std::vector<ustring>{u"Unknown StatCode: 0x2F", u"Unknown StatCode: 0x1B",
                                              u"Unknown StatCode: 0x00", u"Unknown StatCode: 0x32",
                                              u"Unknown StatCode: 0xFF"}));
}

// A file moved aside for the restart: its line after the file step, and the
// wizard then ends with 3010; German names it in German.
TEST_F(ProgressTest, FileAtRestartNeedsTheRestart) {
  Feed(2, 39, 1);
  Feed(2, cPhaseAtRestart, 0, cPayShellExt);
  Feed(2, 49, 1, 45);
  EXPECT_EQ(Progress(),
            (std::vector<ustring>{u"Installing files ... OK",
                                  u"In use, the earlier file is deleted at the next restart: "
                                  u"C:\\Program Files\\Corvalin\\cvlnshxt.dll",
                                  u"", u"Installation completed successfully."}));
  EXPECT_EQ(Code(), cStaInstallOk);
  EXPECT_EQ(Wizard().ExitCode(), 3010u);
}

// Only the running installation can move a file aside: an index beyond the
// table, another task's message and one after the end change nothing.
TEST_F(ProgressTest, StrayAtRestartMessagesAreIgnored) {
  Feed(2, cPhaseAtRestart, 0, static_cast<std::intptr_t>(cPayFileCount));
  Feed(2, cPhaseAtRestart, 0, -1);
  Feed(1, cPhaseAtRestart, 0, cPayShellExt);
  Feed(2, 49, 1, 45);
  Feed(2, cPhaseAtRestart, 0, cPayShellExt);
  EXPECT_EQ(Progress(), (std::vector<ustring>{u"", u"Installation completed successfully."}));
  EXPECT_EQ(Wizard().ExitCode(), 0u);
}

// A failed installation keeps 1603 even when a file already waits for the restart.
TEST_F(ProgressTest, FailureWinsOverTheRestart) {
  Feed(2, cPhaseAtRestart, 0, cPayMainProgram);
  Feed(2, 49, 1, 40);
  EXPECT_EQ(Wizard().ExitCode(), 1603u);
}

// Messages that change nothing: another task id, a step of task 1, the start
// of task 2, statuses beyond the tables.
TEST_F(ProgressTest, IgnoredMessages) {
  Feed(3, 39, 1);
  Feed(0, 49, 1, 45);
  Feed(1, 38, 2);
  Feed(2, 48, 1);
  Feed(2, 39, 4);
  Feed(2, 44, 5, kAccessDenied);
  Feed(2, 42, 5, Word(1, 0));
  EXPECT_TRUE(Progress().empty());
  EXPECT_EQ(Code(), cStaInstRuns);
  EXPECT_EQ(Lines(idMmReview).back(), u"All settings OK.");
}

// A failed step, then the failure verdict; the run box stays disabled.
TEST_F(ProgressTest, FailedStep) {
  Feed(2, 39, 2);
  Feed(2, 49, 1, 39);
  EXPECT_EQ(Progress(), (std::vector<ustring>{u"Installing files ... Failed", u"", u"Installation failed."}));
  EXPECT_EQ(Code(), cStaInstallFailed);
  EXPECT_FALSE(Enabled(idCkFiExec));
  EXPECT_TRUE(Enabled(idBtFrNext));
}

// A task that raised: the unexpected error and then the failure verdict.
TEST_F(ProgressTest, RaisedInstallation) {
  Feed(2, 49, 3, 255);
  EXPECT_EQ(Progress(),
            (std::vector<ustring>{u"", u"Unexpected error occured", u"", u"Installation failed."}));
  EXPECT_EQ(Code(), cStaInstallFailed);
}

// Step statuses beyond the results' table add no line.
TEST_F(ProgressTest, StepStatusesBeyondTheTable) {
  for (int phase = 38; phase <= 41; ++phase)
    for (int status : {4, 17, 255}) Feed(2, phase, status);
  EXPECT_TRUE(Progress().empty());
  EXPECT_EQ(Code(), cStaInstRuns);
}

// An end whose status is neither "returned" (1) nor "raised" (3) is an
// abnormal end whatever result it carries: the unexpected error and the
// failure verdict, also for statuses beyond every table.
class EndStatusTest : public ProgressTest, public testing::WithParamInterface<int> {};

TEST_P(EndStatusTest, ShowsTheUnexpectedErrorAndTheFailure) {
  Feed(2, 49, GetParam(), 45);
  EXPECT_EQ(Progress(), (std::vector<ustring>{u"", u"Unexpected error occured", u"", u"Installation failed."}));
  EXPECT_EQ(Code(), cStaInstallFailed);
  EXPECT_FALSE(Enabled(idCkFiExec));
  EXPECT_TRUE(Enabled(idBtFrNext));
}

INSTANTIATE_TEST_SUITE_P(Statuses, EndStatusTest, testing::Values(0, 2, 4, 255));

// An update never shows the Windows 11 hints.
TEST_F(WizardTest, UpdateShowsNoHints) {
  PutEarlierInstallation(false);
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  ASSERT_EQ(Code(), cStaSettingsOk);
  sim.HoldThreads();
  Click(idBtFrNext);
  Feed(2, 44, 2, 0);
  Feed(2, 49, 1, 45);
  EXPECT_EQ(Lines(idMmFiProg), (std::vector<ustring>{u"Installation of context menu entries: Completed", u"",
                                                       u"Installation completed successfully."}));
}

// The preparation raising: "Unexpected error occured" on Review, Install stays off.
TEST_F(WizardTest, RaisedPreparation) {
  Start();
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  Feed(1, 48, 1);
  Feed(1, 49, 3, 255);
  EXPECT_EQ(Code(), cStaUnexpected);
  EXPECT_EQ(Lines(idMmReview).back(), u"Unexpected error occured");
  EXPECT_FALSE(Enabled(idBtFrNext));
  EXPECT_TRUE(Enabled(idBtFrBack));
}

// An end message counts only for the task that runs: one arriving when no
// task runs, or for the other task, changes neither the status nor a page.
struct TStrayEnd {
  bool damaged;          // start with a damaged setup file (start-up code 2)
  bool preparationRuns;  // go on to Review with the preparation held
  int task;
  std::intptr_t result;
};

class StrayEndTest : public WizardTest, public testing::WithParamInterface<TStrayEnd> {};

TEST_P(StrayEndTest, ChangesNothing) {
  const TStrayEnd& c = GetParam();
  if (c.damaged) sim.resources[{cRtRcData, PayResourceId(cPayMainProgram)}][0] ^= 1;
  Start();
  if (c.damaged) {
    ASSERT_EQ(Code(), 2);
  }
  if (c.preparationRuns) {
    GoToPrepare();
    sim.HoldThreads();
    Click(idBtFrNext);
    ASSERT_EQ(Code(), cStaPrepRuns);
  }
  const std::uint8_t before = Code();
  const TCtlId page = VisibleFrame();
  const bool nextEnabled = Enabled(idBtFrNext);
  Feed(c.task, 49, 1, c.result);
  EXPECT_EQ(Code(), before);
  EXPECT_EQ(VisibleFrame(), page);
  EXPECT_EQ(Enabled(idBtFrNext), nextEnabled);
  EXPECT_TRUE(Lines(idMmFiProg).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, StrayEndTest,
                         testing::Values(TStrayEnd{true, false, 1, cStaSettingsOk},  // would open a damaged setup
                                         TStrayEnd{true, false, 2, cStaInstallOk},
                                         TStrayEnd{false, false, 1, cStaSettingsOk},  // on Welcome, nothing runs
                                         TStrayEnd{false, true, 2, cStaInstallOk}));  // the other task runs

// The preparation ends with one of its check results, 28 to 37, and they
// stand. An end that carries any other value is an unexpected error: a
// start-up code would hold the wizard on Welcome, 16 or 17 would keep the
// window from closing, and 45 or 46 would open Finish and let "Finish" close
// the window mid-installation.
struct TPrepEnd {
  std::uint8_t result;  // the low byte of the end message's lparam
  std::uint8_t code;    // the status code it leaves
};

class PreparationEndTest : public WizardTest, public testing::WithParamInterface<TPrepEnd> {};

TEST_P(PreparationEndTest, KeepsOwnResultsOnly) {
  const TPrepEnd& c = GetParam();
  Start();
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  Feed(1, 49, 1, c.result);
  EXPECT_EQ(Code(), c.code);
  if (c.code == cStaUnexpected) {
    ASSERT_FALSE(Lines(idMmReview).empty());
    EXPECT_EQ(Lines(idMmReview).back(), u"Unexpected error occured");
  }
  EXPECT_EQ(VisibleFrame(), idFramRevi);
  EXPECT_EQ(Enabled(idBtFrNext), c.code == cStaSettingsOk);
  // Nothing runs any more: Cancel closes at once, without a question.
  Click(idBtFrCanc);
  EXPECT_TRUE(Form().IsClosed());
}

INSTANTIATE_TEST_SUITE_P(
    Results, PreparationEndTest,
    testing::Values(TPrepEnd{cStaMenuPath, cStaMenuPath}, TPrepEnd{cStaFreeSpace, cStaFreeSpace},
                    TPrepEnd{cStaSettingsOk, cStaSettingsOk}, TPrepEnd{0, cStaUnexpected}, TPrepEnd{3, cStaUnexpected},
                    TPrepEnd{cStaPrepRuns, cStaUnexpected}, TPrepEnd{cStaInstRuns, cStaUnexpected},
                    TPrepEnd{cStaMenuPath - 1, cStaUnexpected}, TPrepEnd{cStaPreparing, cStaUnexpected},
                    TPrepEnd{cStaInstallOk, cStaUnexpected}, TPrepEnd{cStaInstallFailed, cStaUnexpected},
                    TPrepEnd{255, cStaUnexpected}));

}  // namespace
