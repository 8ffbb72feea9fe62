// The wizard on the emulated system: a machine where the start-up checks pass
// (payload of small files, administrator, programs folder), the read-mes
// empty and the licences short known texts; the form made through the
// headless UI, shown, and driven like a user would.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/setup_form.h"
#include "platform/sim/sim_ui.h"
#include "support/install_env.h"

inline const std::vector<ustring> kLicenseEn{u"Corvalin licence", u"", u"Use it well."};
inline const std::vector<ustring> kLicenseDe{u"Corvalin Lizenz", u"Gut benutzen."};

class WizardTest : public InstallFixture {
 protected:
  WizardTest();
  ~WizardTest() override;
  // Waits for the workers, then checks that nothing stays open.
  void TearDown() override;

  // An earlier installation that this setup updates: folder D:\Tools\Corvalin\,
  // German when `german`.
  void PutEarlierInstallation(bool german);
  // Creates the form, runs FormCreate and shows the window.
  void Start();

  TSimUi& Ui() { return static_cast<TSimUi&>(sim.Ui()); }
  TSimForm& Form() { return *static_cast<TSimForm*>(view_.get()); }
  TfmSetup& Wizard() { return *form_; }
  TSimControl& Ctl(TCtlId id) { return Form().Sim(id); }
  ustring Caption(TCtlId id) { return Ctl(id).Caption(); }
  std::vector<ustring> Lines(TCtlId id) { return Ctl(id).Lines(); }
  bool Enabled(TCtlId id) { return Ctl(id).Enabled(); }
  // Clicks as the user; fails the test when the control does not react.
  void Click(TCtlId id);
  // The page frame that is visible (0 when none or more than one).
  TCtlId VisibleFrame();
  // Ticks the licence box and goes on to the Prepare page.
  void GoToPrepare();
  // From Prepare to Review, waiting for the preparation's end message.
  void GoToReviewAndFinishPreparation();
  // Waits for every worker and delivers what they posted.
  void FinishTasks();
  // Posts WM_SETUP_TASK to the form as a worker would, and delivers it.
  void Feed(int task, int phase, int status, std::intptr_t lparam = 0);
  std::uint8_t Code() { return Wizard().Status().stStaCod; }

 private:
  std::unique_ptr<IFormView> view_;
  std::unique_ptr<TfmSetup> form_;
};

// A record of a UTF-8 text file with a byte-order mark and CR LF line ends.
std::vector<std::uint8_t> TextRecord(const std::vector<ustring>& lines);
