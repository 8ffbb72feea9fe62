// The folder picker: what the chooser is shown and told at its
// initialisation, and what the answer does to the Prepare page.
#include <gtest/gtest.h>

#include "app/su_too_dlg.h"
#include "support/wizard_env.h"

namespace {

// The chooser is rooted at the programs folder, owned by the window, with the
// product name, the prompt and the OK caption of the wizard's language.
TEST_F(WizardTest, ChooserShowsTitlePromptAndOkText) {
  Start();
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  GoToPrepare();
  Ui().chooserScript = {TChooserScript::Folder, u"C:\\Program Files\\Werkzeuge"};
  Click(idBtPpFold);
  ASSERT_EQ(Ui().chooserCalls.size(), 1u);
  const TChooserCall& call = Ui().chooserCalls[0];
  EXPECT_EQ(call.owner, Form().Handle());
  EXPECT_TRUE(call.rooted);
  EXPECT_EQ(call.rootPath, u"C:\\Program Files");
  EXPECT_EQ(call.prompt, u"Bitte wählen Sie ein Unterverzeichnis als Installationsordner aus.");
  EXPECT_EQ(call.flags, 0x0441u);
  EXPECT_EQ(call.messages, (std::vector<std::uint32_t>{cWmSetIcon, cWmSetText, cBffmSetOkText}));
  EXPECT_EQ(call.icon, Form().IconHandle());
  EXPECT_EQ(call.title, u"Corvalin");
  EXPECT_EQ(call.okText, u"Auswählen");
  EXPECT_EQ(Caption(idLbPpFold), u"C:\\Program Files\\Werkzeuge");
  EXPECT_TRUE(Enabled(idBtFrNext));
}

// The chosen folder gets its backslash when the task takes the choices.
TEST_F(WizardTest, ChosenFolderReachesTheChoices) {
  Start();
  GoToPrepare();
  Ui().chooserScript = {TChooserScript::Folder, u"C:\\Program Files\\Tools"};
  Click(idBtPpFold);
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Wizard().NewSetup().nsInsLoc, u"C:\\Program Files\\Tools\\");
  EXPECT_EQ(Lines(idMmReview)[1], u"Installation folder: C:\\Program Files\\Tools\\");
}

// Cancelling, an item without a file-system path, or a path that does not fit
// leave the folder as it was; every shell item is freed.
TEST_F(WizardTest, NoUsableAnswerKeepsTheFolder) {
  Start();
  GoToPrepare();
  const ustring before = Caption(idLbPpFold);
  for (TChooserScript script : {TChooserScript{TChooserScript::Cancel, u""},
                                TChooserScript{TChooserScript::ItemWithoutPath, u""},
                                TChooserScript{TChooserScript::Folder, u"C:\\Program Files\\" + ustring(260, u'y')}}) {
    Ui().chooserScript = script;
    Click(idBtPpFold);
    EXPECT_EQ(Caption(idLbPpFold), before);
    EXPECT_EQ(Ui().LiveItems(), 0u);
  }
  EXPECT_EQ(Ui().chooserCalls.size(), 3u);
}

// Without the desktop folder the old dialog style is used; without the
// programs folder the chooser starts at the top of the namespace.
TEST_F(WizardTest, ChooserWithoutSpecialFolders) {
  Start();
  sim.specialFolderErrors[cCsidlDesktop] = cE_FAIL;
  sim.specialFolderErrors[cCsidlProgramFiles] = cE_FAIL;
  TDlgInfo info;
  info.dgTitle = u"T";
  ustring path = u"stale";
  Ui().chooserScript = {TChooserScript::Folder, u"C:\\Somewhere"};
  EXPECT_TRUE(BrowseForFolder(info, path));
  EXPECT_EQ(path, u"C:\\Somewhere");
  ASSERT_EQ(Ui().chooserCalls.size(), 1u);
  EXPECT_EQ(Ui().chooserCalls[0].flags, 0x0401u);
  EXPECT_FALSE(Ui().chooserCalls[0].rooted);
  Ui().chooserScript = {TChooserScript::Cancel, u""};
  EXPECT_FALSE(BrowseForFolder(info, path));
  EXPECT_TRUE(path.empty());
}

// The callback acts on the initialisation notice only, and not without its data.
TEST_F(WizardTest, CallbackIgnoresOtherNotices) {
  Start();
  TDlgInfo info;
  EXPECT_EQ(BrowseCallback(0x99, 2, 0, reinterpret_cast<std::intptr_t>(&info)), 0);
  EXPECT_EQ(BrowseCallback(0x99, cBffmInitialized, 0, 0), 0);
  Ui().chooserScript = {TChooserScript::Cancel, u""};
  ustring path;
  BrowseForFolder(info, path);
  EXPECT_EQ(Ui().chooserCalls[0].messages.size(), 3u);
}

}  // namespace

namespace {

// Choosing the folder already shown changes nothing and leaves the page as it
// was (the focus stays on Change); another folder re-evaluates it (the focus
// goes to the enabled Next, as after any move forward).
TEST_F(WizardTest, SameFolderIsNoChange) {
  Start();
  GoToPrepare();
  Ui().chooserScript = {TChooserScript::Folder, u"C:\\Program Files\\Tools"};
  Click(idBtPpFold);
  EXPECT_EQ(Form().FocusedId(), idBtFrNext);
  Click(idBtPpFold);
  EXPECT_EQ(Caption(idLbPpFold), u"C:\\Program Files\\Tools");
  EXPECT_EQ(Form().FocusedId(), idBtPpFold);
}

}  // namespace
