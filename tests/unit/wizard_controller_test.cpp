// The wizard controller on the emulated system: page moves and the buttons'
// states, the folder rule, the two tasks through the real worker, the close
// and shutdown rules, and the recovery when no worker can be started.
#include <gtest/gtest.h>

#include "catalogue/texts.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "support/wizard_env.h"

namespace {

const ustring kWait = cTxWaitMore[cLangEnglish];

// Start-up code 3 holds the wizard on Welcome with its note; only Cancel is
// left, and it closes without a question.
TEST_F(WizardTest, NotAdministratorStaysOnWelcome) {
  sim.isAdmin = false;
  Start();
  EXPECT_EQ(Code(), 3);
  EXPECT_EQ(VisibleFrame(), idFramWelc);
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Error: Insufficient privileges for running setup."});
  EXPECT_FALSE(Enabled(idBtFrBack));
  EXPECT_FALSE(Enabled(idBtFrNext));
  EXPECT_FALSE(Form().Click(idBtFrNext));
  Click(idBtFrCanc);
  EXPECT_TRUE(Form().IsClosed());
  EXPECT_TRUE(Ui().messageBoxes.empty());
}

// A clean start: Welcome, Next enabled, Back disabled, the notes say there is
// nothing special, and the header carries the title line and version label.
TEST_F(WizardTest, CleanStartShowsWelcome) {
  Start();
  EXPECT_EQ(Code(), 0);
  EXPECT_EQ(VisibleFrame(), idFramWelc);
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_FALSE(Enabled(idBtFrBack));
  EXPECT_TRUE(Enabled(idBtFrCanc));
  EXPECT_EQ(Caption(idBtFrNext), u"Next");
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"No special hints at the moment."});
  EXPECT_EQ(Form().Caption(), u"Setup - Corvalin");
  EXPECT_EQ(Caption(idLbTitle), u"Corvalin 10.01.10001 x64 KQ");
  EXPECT_EQ(Caption(idLbSuVers), u"Tavo");  // no version resource on the emulated file
  EXPECT_EQ(Form().IconId(), 1u);
  EXPECT_EQ(Form().LogoId(), 101u);
  EXPECT_NE(Form().IconHandle(), 0u);
}

// The licence box enables Next at once and, on a page reached with Next,
// moves the focus to Next; unticking disables Next again.
TEST_F(WizardTest, LicenceBoxGatesNext) {
  Start();
  Click(idBtFrNext);
  EXPECT_EQ(VisibleFrame(), idFramLice);
  EXPECT_EQ(Form().FocusedId(), idCkLcAgre);
  EXPECT_FALSE(Enabled(idBtFrNext));
  EXPECT_EQ(Lines(idMmLicens), kLicenseEn);
  Click(idCkLcAgre);
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_EQ(Form().FocusedId(), idBtFrNext);
  Click(idCkLcAgre);
  EXPECT_FALSE(Enabled(idBtFrNext));
}

// Reached with Back, ticking the box gives the focus to Back, not Next.
TEST_F(WizardTest, LicenceReachedWithBackFocusesBack) {
  Start();
  GoToPrepare();
  Click(idBtFrBack);
  EXPECT_EQ(VisibleFrame(), idFramLice);
  Click(idCkLcAgre);  // untick
  Click(idCkLcAgre);  // tick again
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_EQ(Form().FocusedId(), idBtFrBack);
}

struct TFolderCase {
  const char* name;
  ustring folder;
  bool accepted;
};

class FolderRule : public WizardTest, public testing::WithParamInterface<TFolderCase> {};

// Only folders strictly below the programs folder enable Next on Prepare.
TEST_P(FolderRule, NextFollowsTheFolder) {
  Start();
  GoToPrepare();
  Ui().chooserScript = {TChooserScript::Folder, GetParam().folder};
  Click(idBtPpFold);
  EXPECT_EQ(Caption(idLbPpFold), GetParam().folder);
  EXPECT_EQ(Enabled(idBtFrNext), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderRule,
    testing::Values(TFolderCase{"programs_itself", u"C:\\Program Files", false},
                    TFolderCase{"programs_with_backslash", u"C:\\Program Files\\", false},
                    TFolderCase{"below", u"C:\\Program Files\\Tools", true},
                    TFolderCase{"deeper_other_case", u"c:\\PROGRAM FILES\\a\\b", true},
                    TFolderCase{"sibling_with_same_prefix", u"C:\\Program FilesX\\Tools", false},
                    TFolderCase{"elsewhere", u"D:\\Tools", false},
                    TFolderCase{"dot_dot_back_to_programs", u"C:\\Program Files\\Tools\\..", false}),
    [](const testing::TestParamInfo<TFolderCase>& info) { return std::string(info.param.name); });

// An update keeps the earlier folder: Change is disabled and does nothing,
// and Next is enabled for that folder only.
TEST_F(WizardTest, UpdateFolderIsFixed) {
  PutEarlierInstallation(false);
  Start();
  ASSERT_EQ(Wizard().NewSetup().nsInsTyp, cInsTypUpdate);
  GoToPrepare();
  EXPECT_EQ(Caption(idLbPpFold), u"D:\\Tools\\Corvalin\\");
  EXPECT_FALSE(Enabled(idBtPpFold));
  EXPECT_TRUE(Enabled(idBtFrNext));
  Ui().chooserScript = {TChooserScript::Folder, u"C:\\Program Files\\Other"};
  Wizard().FramPrep1btPpFoldClick();
  EXPECT_TRUE(Ui().chooserCalls.empty());
  EXPECT_EQ(Caption(idLbPpFold), u"D:\\Tools\\Corvalin\\");
}

// Entering Review runs the preparation: summary, result, "Install" enabled.
// Back shows Prepare; Next again clears the page and runs the checks again.
TEST_F(WizardTest, ReviewRunsThePreparationEachTime) {
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Code(), cStaSettingsOk);
  EXPECT_EQ(Caption(idBtFrNext), u"Install");
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_EQ(Lines(idMmReview).back(), u"All settings OK.");
  EXPECT_EQ(Form().FocusedId(), idBtFrNext);

  Click(idBtFrBack);
  EXPECT_EQ(VisibleFrame(), idFramPrep);
  EXPECT_EQ(Caption(idBtFrNext), u"Next");
  sim.HoldThreads();
  Click(idBtFrNext);
  EXPECT_EQ(VisibleFrame(), idFramRevi);
  EXPECT_EQ(Code(), cStaPrepRuns);
  EXPECT_TRUE(Lines(idMmReview).empty());
  // Only one task at a time: "Install" waits for the new result.
  EXPECT_FALSE(Enabled(idBtFrNext));
  sim.ReleaseThreads();
  FinishTasks();
  EXPECT_EQ(Lines(idMmReview).back(), u"All settings OK.");
  EXPECT_TRUE(Enabled(idBtFrNext));
  int starts = 0;
  for (const TPostedMessage& m : sim.PostedMessages())
    if (m.wparam == PackTaskMsg(cTaskPrepare, cPhaseStart, 1)) ++starts;
  EXPECT_EQ(starts, 2);
}

// While the preparation runs after Back, Next on Prepare would start a second
// one: it stays disabled until the running one has ended.
TEST_F(WizardTest, NoSecondPreparationWhileOneRuns) {
  Start();
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  Click(idBtFrBack);
  EXPECT_EQ(VisibleFrame(), idFramPrep);
  EXPECT_FALSE(Enabled(idBtFrNext));
  sim.ReleaseThreads();
  FinishTasks();
  EXPECT_TRUE(Enabled(idBtFrNext));
}

// During the installation Back, Cancel and Next are disabled; closing is
// refused with the wait line; at the end "Finish" and the run box are enabled.
TEST_F(WizardTest, InstallationHoldsTheWindow) {
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  sim.HoldThreads();
  Click(idBtFrNext);
  EXPECT_EQ(VisibleFrame(), idFramFini);
  EXPECT_EQ(Code(), cStaInstRuns);
  EXPECT_EQ(Caption(idBtFrNext), u"Finish");
  EXPECT_FALSE(Enabled(idBtFrBack));
  EXPECT_FALSE(Enabled(idBtFrCanc));
  EXPECT_FALSE(Enabled(idBtFrNext));
  EXPECT_FALSE(Form().UserClose());
  EXPECT_EQ(Lines(idMmFiProg), std::vector<ustring>{kWait});
  EXPECT_FALSE(Form().QueryEndSession());
  sim.ReleaseThreads();
  FinishTasks();
  EXPECT_EQ(Code(), cStaInstallOk) << testing::PrintToString(ToUtf8(Caption(idMmFiProg)));
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_TRUE(Enabled(idCkFiExec));
  EXPECT_FALSE(Enabled(idBtFrBack));
  EXPECT_TRUE(Form().QueryEndSession());
  EXPECT_TRUE(sim.HasFile(u"C:\\Program Files\\Corvalin\\Corvalin.exe"));
}

// "Finish" with the run box ticked starts the installed program through the
// shell and closes the window.
TEST_F(WizardTest, FinishRunsTheProgram) {
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  Click(idBtFrNext);
  FinishTasks();
  ASSERT_EQ(Code(), cStaInstallOk);
  Click(idCkFiExec);
  Click(idBtFrNext);
  EXPECT_TRUE(Form().IsClosed());
  ASSERT_EQ(sim.Executions().size(), 1u);
  EXPECT_EQ(sim.Executions()[0].file, u"\"C:\\Program Files\\Corvalin\\Corvalin.exe\"");
}

// "Finish" with the run box enabled but clear (as offered, or ticked and
// cleared again) closes the window and starts nothing: neither through the
// shell nor as a process.
class FinishRunBoxClear : public WizardTest, public testing::WithParamInterface<int> {};

TEST_P(FinishRunBoxClear, StartsNothing) {
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  Click(idBtFrNext);
  FinishTasks();
  ASSERT_EQ(Code(), cStaInstallOk);
  ASSERT_TRUE(Enabled(idCkFiExec));
  for (int i = 0; i < GetParam(); ++i) Click(idCkFiExec);
  ASSERT_FALSE(Ctl(idCkFiExec).Checked());
  const std::size_t startsBefore = sim.ProcessStarts().size();
  Click(idBtFrNext);
  EXPECT_TRUE(Form().IsClosed());
  EXPECT_TRUE(sim.Executions().empty());
  EXPECT_EQ(sim.ProcessStarts().size(), startsBefore);
}

INSTANTIATE_TEST_SUITE_P(ClicksOnTheBox, FinishRunBoxClear, testing::Values(0, 2));

// An installation that stops at its checks: the Finish page says why, "Finish"
// is enabled and the run box is not.
TEST_F(WizardTest, FailedInstallationOffersFinishOnly) {
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  sim.freeSpace[u'C'] = 10;
  Click(idBtFrNext);
  FinishTasks();
  EXPECT_EQ(Code(), cStaInstallFailed);
  EXPECT_EQ(Lines(idMmFiProg),
            (std::vector<ustring>{u"Preparing installation ... Failed", u"Error: Insufficient free space detected.",
                                  u"", u"Installation failed."}));
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_FALSE(Enabled(idCkFiExec));
  Click(idBtFrNext);
  EXPECT_TRUE(Form().IsClosed());
  EXPECT_TRUE(sim.Executions().empty());
}

// Cancel while the preparation runs asks first; Yes still cannot close the
// window, and the refusal shows on the Review page the user is looking at.
TEST_F(WizardTest, CancelDuringPreparationAsksAndWaits) {
  Start();
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  Ui().messageBoxAnswers = {cIdNo, cIdYes};
  Click(idBtFrCanc);
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  const TShownBox& box = Ui().messageBoxes[0];
  EXPECT_EQ(box.text, u"Do you really want to cancel the installation?");
  EXPECT_EQ(box.caption, u"Setup - Corvalin");
  EXPECT_EQ(box.style, cMbYesNo | cMbDefButton2 | cMbIconWarning);
  EXPECT_EQ(box.owner, Form().Handle());
  EXPECT_EQ(Form().CloseRefusals(), 0);
  Click(idBtFrCanc);
  EXPECT_FALSE(Form().IsClosed());
  EXPECT_EQ(Lines(idMmReview), std::vector<ustring>{kWait});
  EXPECT_TRUE(Lines(idMmFiProg).empty());
  sim.ReleaseThreads();
  FinishTasks();
  Click(idBtFrCanc);
  EXPECT_TRUE(Form().IsClosed());
  EXPECT_EQ(Ui().messageBoxes.size(), 2u);
}

// The overwrite box runs the preparation again with the new choice, and is
// locked while that runs.
TEST_F(WizardTest, OverwriteBoxRerunsThePreparation) {
  sim.PutFile(u"C:\\Program Files\\Corvalin\\Corvalin.exe", "old");
  Start();
  GoToPrepare();
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Code(), cStaFilesToReplace);
  EXPECT_FALSE(Enabled(idBtFrNext));
  ASSERT_TRUE(Enabled(idCkRvOvwt));
  sim.HoldThreads();
  Click(idCkRvOvwt);
  EXPECT_EQ(Code(), cStaPrepRuns);
  EXPECT_FALSE(Enabled(idCkRvOvwt));
  sim.ReleaseThreads();
  FinishTasks();
  EXPECT_EQ(Code(), cStaSettingsOk);
  EXPECT_TRUE(Wizard().NewSetup().nsCanOvr);
  EXPECT_TRUE(Enabled(idBtFrNext));
  EXPECT_TRUE(Enabled(idCkRvOvwt));
}

// A worker that cannot be started: the error is shown by the exception
// handler, the status goes back, and the window can still be closed.
TEST_F(WizardTest, WorkerStartFailureKeepsTheWindowClosable) {
  Start();
  GoToPrepare();
  sim.FailCall("StartThread", 1, cErrNotEnoughMemory);
  Click(idBtFrNext);
  EXPECT_EQ(VisibleFrame(), idFramRevi);
  EXPECT_EQ(Code(), 0);
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  EXPECT_EQ(Ui().messageBoxes[0].owner, 0u);
  EXPECT_EQ(Ui().messageBoxes[0].caption, u"Setup");
  EXPECT_EQ(Ui().messageBoxes[0].style, cMbOk | cMbIconError);
  EXPECT_EQ(Ui().messageBoxes[0].text.rfind(u"Exception: ", 0), 0u);
  EXPECT_TRUE(Enabled(idBtFrBack));
  EXPECT_TRUE(Form().UserClose());
}

// The shutdown query is answered with yes while no task runs.
TEST_F(WizardTest, ShutdownAllowedWithoutTask) {
  Start();
  EXPECT_TRUE(Form().QueryEndSession());
  Click(idBtFrCanc);
  EXPECT_TRUE(Form().IsClosed());
}

}  // namespace
