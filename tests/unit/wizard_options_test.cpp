// The command-line options in wizard mode: they preset the boxes, the
// language and the folder, the user can still change them; and the exit code
// the wizard ends with.
#include <gtest/gtest.h>

#include "common/cmdline.h"
#include "common/task_msg.h"
#include "support/wizard_env.h"

namespace {

class WizardOptionsTest : public WizardTest {
 protected:
  WizardOptionsTest() { CmdParams = TCmdParams{}; }
  ~WizardOptionsTest() override { CmdParams = TCmdParams{}; }
  void StartWith(const ustring& options) {
    CmdParams = ParseCmdLine(u"setup.exe " + options);
    Start();
  }
};

// /E, /I, /O, /L and /P tick their boxes, pick German and put the folder on
// the Prepare page; every box can still be unticked.
TEST_F(WizardOptionsTest, OptionsPresetThePages) {
  StartWith(u"/E:1 /I:1 /O:1 /L:1 /P:\"C:\\Program Files\\Hash Tools\"");
  EXPECT_EQ(Ctl(idCbWcLang).ItemIndex(), 1);
  EXPECT_EQ(Caption(idBtFrNext), u"Weiter");
  EXPECT_TRUE(Ctl(idCkLcAgre).Checked());
  EXPECT_TRUE(Ctl(idCkPpScDk).Checked());
  EXPECT_TRUE(Ctl(idCkRvOvwt).Checked());
  EXPECT_EQ(Caption(idLbPpFold), u"C:\\Program Files\\Hash Tools\\");
  Click(idBtFrNext);
  EXPECT_TRUE(Enabled(idBtFrNext)) << "the preset licence box lets the user go on";
  Click(idCkLcAgre);
  EXPECT_FALSE(Enabled(idBtFrNext));
  Click(idCkLcAgre);
  Click(idBtFrNext);
  Click(idCkPpScDk);
  EXPECT_FALSE(Ctl(idCkPpScDk).Checked());
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Wizard().NewSetup().nsInsLoc, u"C:\\Program Files\\Hash Tools\\");
  EXPECT_FALSE(Wizard().NewSetup().nsCutDsk);
}

// Without options the pages start as before; a folder the Prepare page would
// refuse is not preset.
TEST_F(WizardOptionsTest, NoOptionsAndRefusedFolder) {
  StartWith(u"/P:\"C:\\Program Files\"");
  EXPECT_EQ(Ctl(idCbWcLang).ItemIndex(), 0);
  EXPECT_FALSE(Ctl(idCkLcAgre).Checked());
  EXPECT_FALSE(Ctl(idCkPpScDk).Checked());
  EXPECT_FALSE(Ctl(idCkRvOvwt).Checked());
  EXPECT_EQ(Caption(idLbPpFold), kInstallDir);
}

// An update keeps its earlier language without /L; an explicit /L wins.
TEST_F(WizardOptionsTest, LanguageOfAnUpdate) {
  PutEarlierInstallation(true);
  StartWith(u"/E:1");
  EXPECT_EQ(Wizard().NewSetup().nsLangua, cLangGerman);
}

TEST_F(WizardOptionsTest, ExplicitLanguageWinsInAnUpdate) {
  PutEarlierInstallation(true);
  StartWith(u"/L:0 /P:\"C:\\Program Files\\Elsewhere\"");
  EXPECT_EQ(Wizard().NewSetup().nsLangua, cLangEnglish);
  EXPECT_EQ(Caption(idLbPpFold), u"D:\\Tools\\Corvalin\\") << "an update's folder is fixed";
}

// Cancel before an installation ran: 1602.
TEST_F(WizardOptionsTest, CancelGives1602) {
  StartWith(u"");
  GoToPrepare();
  Click(idBtFrCanc);
  EXPECT_TRUE(Form().IsClosed());
  EXPECT_EQ(Wizard().ExitCode(), 1602u);
}

// A start-up failure gives its own code, whatever the user does then.
TEST_F(WizardOptionsTest, StartupFailureGivesItsCode) {
  sim.isAdmin = false;
  StartWith(u"");
  Click(idBtFrCanc);
  EXPECT_EQ(Wizard().ExitCode(), 5u);
}

// Installed: 0; the installation failed: 1603; free space gone between
// Review and Install: 112.
TEST_F(WizardOptionsTest, InstallationOutcomes) {
  StartWith(u"/E:1");
  Click(idBtFrNext);
  Click(idBtFrNext);
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Wizard().ExitCode(), 1602u) << "nothing installed yet";
  Click(idBtFrNext);
  FinishTasks();
  EXPECT_EQ(Code(), cStaInstallOk);
  Click(idBtFrNext);
  EXPECT_EQ(Wizard().ExitCode(), 0u);
}

TEST_F(WizardOptionsTest, FailedInstallationGives1603) {
  StartWith(u"/E:1");
  Click(idBtFrNext);
  Click(idBtFrNext);
  GoToReviewAndFinishPreparation();
  sim.FailFrom("RegSetValueExW", 1, cErrAccessDenied);
  Click(idBtFrNext);
  FinishTasks();
  EXPECT_EQ(Code(), cStaInstallFailed);
  EXPECT_EQ(Wizard().ExitCode(), 1603u);
}

TEST_F(WizardOptionsTest, SpaceGoneBeforeInstallGives112) {
  StartWith(u"/E:1");
  Click(idBtFrNext);
  Click(idBtFrNext);
  GoToReviewAndFinishPreparation();
  sim.freeSpace[u'C'] = 10;
  Click(idBtFrNext);
  FinishTasks();
  EXPECT_EQ(Code(), cStaInstallFailed);
  EXPECT_EQ(Wizard().ExitCode(), 112u);
}

}  // namespace
