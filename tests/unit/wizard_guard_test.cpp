// What the window does when something goes wrong around the user: an
// exception while the window is made, and a close refused while the
// preparation runs behind a page without a progress memo.
#include <gtest/gtest.h>

#include <stdexcept>

#include "catalogue/texts.h"
#include "support/wizard_env.h"

namespace {

// The emulated window, except that loading the logo throws (a damaged
// resource, an allocation that fails): an exception inside FormCreate.
class TLogoThrowsView : public IFormView {
 public:
  explicit TLogoThrowsView(IFormView& inner) : inner_(inner) {}
  IControl& Control(TCtlId id) override { return inner_.Control(id); }
  THwnd Handle() const override { return inner_.Handle(); }
  std::uintptr_t IconHandle() const override { return inner_.IconHandle(); }
  void LoadIcon(std::uint32_t iconId) override { inner_.LoadIcon(iconId); }
  void LoadLogo(std::uint32_t) override { throw std::runtime_error("logo resource unreadable"); }
  void SetCaption(const ustring& text) override { inner_.SetCaption(text); }
  ustring Caption() const override { return inner_.Caption(); }
  bool IsVisible() const override { return inner_.IsVisible(); }
  void Close() override { inner_.Close(); }
  bool IsClosed() const override { return inner_.IsClosed(); }

 private:
  IFormView& inner_;
};

// An exception in FormCreate is shown like one in any other handler, and the
// window still opens on its Welcome page.
TEST_F(WizardTest, ExceptionInFormCreateIsShown) {
  auto inner = Ui().CreateSetupForm();
  TLogoThrowsView view(*inner);
  TfmSetup form(view);
  ASSERT_NO_THROW(form.FormCreate());
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  EXPECT_EQ(Ui().messageBoxes[0].text, u"Exception: logo resource unreadable");
  EXPECT_EQ(Ui().messageBoxes[0].caption, u"Setup");
  EXPECT_EQ(Ui().messageBoxes[0].style, cMbOk | cMbIconError);
  auto& sim = static_cast<TSimForm&>(*inner);
  EXPECT_TRUE(sim.Sim(idFramWelc).Visible());
  EXPECT_TRUE(sim.Sim(idBtFrCanc).Enabled());
  EXPECT_FALSE(sim.Sim(idBtFrBack).Enabled());
}

// Closing while the preparation runs and the user has gone back to Prepare,
// License or Welcome: the refusal is said in a message box over the window,
// not written into the Finish page's memo, which nobody sees then.
TEST_F(WizardTest, CloseRefusalShownWhereTheUserIs) {
  const ustring wait = cTxWaitMore[cLangEnglish];
  Start();
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  ASSERT_EQ(Code(), cStaPrepRuns);
  for (TCtlId page : {idFramPrep, idFramLice, idFramWelc}) {
    Click(idBtFrBack);
    ASSERT_EQ(VisibleFrame(), page);
    Ui().messageBoxes.clear();
    EXPECT_FALSE(Form().UserClose()) << page;
    ASSERT_EQ(Ui().messageBoxes.size(), 1u) << page;
    EXPECT_EQ(Ui().messageBoxes[0].text, wait);
    EXPECT_EQ(Ui().messageBoxes[0].owner, Form().Handle());
    EXPECT_EQ(Ui().messageBoxes[0].caption, u"Setup - Corvalin");
    EXPECT_TRUE(Lines(idMmFiProg).empty()) << page;
  }
  sim.ReleaseThreads();
  FinishTasks();
  EXPECT_TRUE(Form().UserClose());
}

// On Review the refusal goes to the summary memo the user is reading.
TEST_F(WizardTest, CloseRefusalOnReviewGoesToItsMemo) {
  Start();
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  EXPECT_FALSE(Form().UserClose());
  EXPECT_EQ(Lines(idMmReview), std::vector<ustring>{cTxWaitMore[cLangEnglish]});
  EXPECT_TRUE(Ui().messageBoxes.empty());
  EXPECT_TRUE(Lines(idMmFiProg).empty());
  sim.ReleaseThreads();
  FinishTasks();
}

}  // namespace
