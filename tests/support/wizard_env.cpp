#include "support/wizard_env.h"

#include "catalogue/payload_files.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "support/payload_records.h"
#include "support/sim_fixture.h"

std::vector<std::uint8_t> TextRecord(const std::vector<ustring>& lines) {
  std::string text = "\xEF\xBB\xBF";
  for (const ustring& line : lines) text += ToUtf8(line) + "\r\n";
  return MakeRecord(TByteVec(text.begin(), text.end()));
}

WizardTest::WizardTest() : InstallFixture(true) {
  // The shipped read-mes hold only a byte-order mark.
  for (int lang = 0; lang < 2; ++lang)
    sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst + lang)}] = TextRecord({});
  sim.resources[{cRtRcData, PayResourceId(cPayLicenseFirst)}] = TextRecord(kLicenseEn);
  sim.resources[{cRtRcData, PayResourceId(cPayLicenseFirst + 1)}] = TextRecord(kLicenseDe);
}

WizardTest::~WizardTest() {
  sim.WaitThreads();
  Ui().OnException = nullptr;
  form_.reset();
  view_.reset();
}

void WizardTest::TearDown() {
  sim.ReleaseThreads();
  sim.WaitThreads();
  ExpectNothingOpen(sim);
  EXPECT_EQ(Ui().LiveItems(), 0u) << "shell items not freed";
}

void WizardTest::PutEarlierInstallation(bool german) {
  const ustring entry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
  const ustring folder = u"D:\\Tools\\Corvalin\\";
  sim.PutString(cHkeyLocalMachine, entry, u"InstallLocation", folder);
  sim.PutString(cHkeyLocalMachine, entry, u"UninstallString", folder + u"Uninstall.exe" + (german ? u" /l:1" : u""));
  sim.PutDword(cHkeyLocalMachine, entry, u"Version", 10u << 24 | 1u << 16 | 1u);
  sim.PutString(cHkeyLocalMachine, entry, u"DisplayVersion", u"10.01 KQ");
  sim.PutFile(folder + u"Uninstall.exe", "MZ");
  sim.freeSpace[u'D'] = 1ull << 30;
}

void WizardTest::Start() {
  view_ = Ui().CreateSetupForm();
  form_ = std::make_unique<TfmSetup>(*view_);
  form_->FormCreate();
  Form().Show();
}

void WizardTest::Click(TCtlId id) { ASSERT_TRUE(Form().Click(id)) << "control " << id << " did not react"; }

TCtlId WizardTest::VisibleFrame() {
  TCtlId shown = static_cast<TCtlId>(0);
  for (TCtlId frame : {idFramWelc, idFramLice, idFramPrep, idFramRevi, idFramFini}) {
    if (!Ctl(frame).Visible()) continue;
    if (shown != 0) return static_cast<TCtlId>(0);
    shown = frame;
  }
  return shown;
}

void WizardTest::GoToPrepare() {
  Click(idBtFrNext);
  Click(idCkLcAgre);
  Click(idBtFrNext);
  ASSERT_EQ(VisibleFrame(), idFramPrep);
}

void WizardTest::GoToReviewAndFinishPreparation() {
  Click(idBtFrNext);
  ASSERT_EQ(VisibleFrame(), idFramRevi);
  FinishTasks();
}

void WizardTest::FinishTasks() {
  sim.WaitThreads();
  Ui().DeliverPostedMessages();
}

void WizardTest::Feed(int task, int phase, int status, std::intptr_t lparam) {
  sim.PostWindowMessage(Form().Handle(), WM_SETUP_TASK,
                        PackTaskMsg(static_cast<std::uint8_t>(task), static_cast<std::uint8_t>(phase),
                                    static_cast<std::uint8_t>(status)),
                        lparam);
  Ui().DeliverPostedMessages();
}
