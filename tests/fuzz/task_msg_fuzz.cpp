// The wizard's handler of WM_SETUP_TASK, headless: any sequence of task,
// phase, status and parameter values, mixed with what a user does (pages back
// and forth, the licence box, the language, Cancel, closing), from any start
// (a failed start-up check, an update, a new installation). Workers do not
// run on their own: a task the wizard starts waits until the input lets it
// run (on this thread, posting its real messages) or the input ends.
//
// Input: a start byte, then actions until the bytes run out.
// Properties: no handler raises; exactly one page is shown and it is one of
// the five; a start-up failure keeps the wizard on Welcome whatever arrives;
// every key and handle is closed at the end.
#include <functional>
#include <memory>

#include "app/setup_form.h"
#include "catalogue/payload_files.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "fuzz_input.h"
#include "platform/control_ids.h"
#include "platform/sim/sim_ui.h"
#include "platform/wincodes.h"
#include "support/payload_records.h"

namespace {

// Keeps each worker's function until the input lets it run.
class TFuzzWizardOs : public TSimPlatform {
 public:
  std::uint32_t StartThread(std::function<void()> fn) override {
    waiting.push_back(std::move(fn));
    return cErrSuccess;
  }
  void RunWorkers() {
    while (!waiting.empty()) {
      std::function<void()> fn = std::move(waiting.front());
      waiting.erase(waiting.begin());
      fn();
    }
  }
  std::vector<std::function<void()>> waiting;
};

enum : std::uint8_t {
  cStartNoAdmin = 1,
  cStartDamaged = 2,
  cStartEarlier = 4,
  cStartGerman = 8,
  cStartNewerMinor = 16,
  cStartNoSystemDir = 32,
  cStartNoPrograms = 64,
};

TByteVec TextRecord(const char* text) {
  std::string bytes = std::string("\xEF\xBB\xBF") + text;
  return MakeRecord(TByteVec(bytes.begin(), bytes.end()), 1);
}

// Small product files, empty read-mes and short licences; packed once.
const std::vector<TByteVec>& Payload() {
  static const std::vector<TByteVec> records = [] {
    std::vector<TByteVec> all;
    for (std::size_t i = 0; i < cPayFileCount; ++i)
      all.push_back(MakeRecord(SampleBytes(200 + 13 * i, static_cast<std::uint32_t>(i + 1)), 1));
    all[cPayReadMeFirst] = all[cPayReadMeFirst + 1] = TextRecord("");
    all[cPayLicenseFirst] = TextRecord("Licence\r\n\r\nUse it well.\r\n");
    all[cPayLicenseFirst + 1] = TextRecord("Lizenz\r\n");
    return all;
  }();
  return records;
}

void PrepareMachine(TFuzzWizardOs& sim, std::uint8_t start) {
  for (std::size_t i = 0; i < cPayFileCount; ++i)
    sim.resources[{cRtRcData, PayResourceId(static_cast<int>(i))}] = Payload()[i];
  if (start & cStartDamaged) sim.resources[{cRtRcData, PayResourceId(cPayMainProgram)}][0] ^= 1;
  sim.isAdmin = (start & cStartNoAdmin) == 0;
  if (start & cStartNoSystemDir) sim.systemDirectory.clear();
  if (start & cStartNoPrograms) sim.specialFolderErrors[cCsidlProgramFiles] = static_cast<std::int32_t>(0x80070002);
  if (start & cStartEarlier) {
    const ustring entry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
    const ustring folder = u"D:\\Tools\\Corvalin\\";
    const std::uint32_t minor = (start & cStartNewerMinor) ? 2 : 1;
    sim.PutString(cHkeyLocalMachine, entry, u"InstallLocation", folder);
    sim.PutString(cHkeyLocalMachine, entry, u"UninstallString",
                  folder + u"Uninstall.exe" + ((start & cStartGerman) ? u" /l:1" : u""));
    sim.PutDword(cHkeyLocalMachine, entry, u"Version", 10u << 24 | minor << 16 | 1u);
    sim.PutString(cHkeyLocalMachine, entry, u"DisplayVersion", u"10.01 KQ");
    sim.PutFile(folder + u"Uninstall.exe", "MZ");
  }
}

int VisibleFrames(TSimForm& form) {
  int shown = 0;
  for (TCtlId frame : {idFramWelc, idFramLice, idFramPrep, idFramRevi, idFramFini})
    if (form.Sim(frame).Visible()) ++shown;
  return shown;
}

void CheckState(TSimForm& form, const TfmSetup& wizard, std::uint8_t startCode) {
  if (form.IsClosed()) return;
  const std::int32_t page = wizard.Status().stActPag;
  FUZZ_CHECK(page == cPgWelcome || page == cPgLicense || page == cPgPrepare || page == cPgReview ||
             page == cPgFinish);
  FUZZ_CHECK(VisibleFrames(form) == 1);
  if (startCode != 0) FUZZ_CHECK(page == cPgWelcome && !form.Sim(idBtFrNext).Enabled());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput in(data, size);
  const std::uint8_t start = in.Byte();
  TFuzzSystem<TFuzzWizardOs> system;
  TFuzzWizardOs& sim = system.sim;
  PrepareMachine(sim, start);
  auto& ui = static_cast<TSimUi&>(sim.Ui());
  {
    std::unique_ptr<IFormView> view = ui.CreateSetupForm();
    auto& form = *static_cast<TSimForm*>(view.get());
    TfmSetup wizard(*view);
    wizard.FormCreate();
    form.Show();
    // A handler that raises would show a message box and go on; here it is a finding.
    ui.OnException = [](const ustring& message) {
      std::fprintf(stderr, "handler raised: %s\n", ToUtf8(message).c_str());
      FUZZ_CHECK(false);
    };
    const std::uint8_t startCode = wizard.Status().stStaCod;
    FUZZ_CHECK(startCode <= 6);
    CheckState(form, wizard, startCode);

    for (int step = 0; step < 200 && !in.Empty(); ++step) {
      const std::uint8_t op = in.Byte();
      if (op < 0xA0) {
        // A message as a worker posts it: task 0 to 3, a phase near the
        // protocol's (or any), any status and parameter.
        const auto task = static_cast<std::uint8_t>(op & 3);
        const std::uint8_t phase = (op & 8) ? static_cast<std::uint8_t>(28 + in.Byte() % 22) : in.Byte();
        const std::uint8_t status = in.Byte();
        const auto lparam = (op & 4) ? static_cast<std::intptr_t>(in.U64()) : static_cast<std::intptr_t>(in.Byte());
        sim.PostWindowMessage(form.Handle(), WM_SETUP_TASK, PackTaskMsg(task, phase, status), lparam);
        ui.DeliverPostedMessages();
      } else if (op < 0xB0) {
        form.Click(idBtFrNext);
      } else if (op < 0xB8) {
        form.Click(idBtFrBack);
      } else if (op < 0xC0) {
        form.Click(idCkLcAgre);
      } else if (op < 0xC4) {
        form.Click(idCkRvOvwt);
      } else if (op < 0xC8) {
        form.Click(static_cast<TCtlId>(idCkPpAsc0 + (op & 3)));
      } else if (op < 0xCC) {
        form.Click(idCkPpScDk);
      } else if (op < 0xD0) {
        form.Click(idCkFiExec);
      } else if (op < 0xD8) {
        form.SelectItem(idCbWcLang, op & 1);
      } else if (op < 0xE0) {
        ui.messageBoxAnswers.push_back((op & 1) ? cIdYes : cIdNo);
        form.Click(idBtFrCanc);
      } else if (op < 0xF0) {
        // The workers started so far run now and their messages arrive.
        sim.RunWorkers();
        ui.DeliverPostedMessages();
      } else if (op < 0xF8) {
        form.UserClose();
      } else {
        form.QueryEndSession();
      }
      CheckState(form, wizard, startCode);
    }
    sim.RunWorkers();
    ui.OnException = nullptr;
  }
  system.ExpectNothingOpen();
  return 0;
}
