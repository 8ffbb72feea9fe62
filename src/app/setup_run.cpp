#include "app/setup_run.h"

#include "app/memo_lines.h"
#include "engine/one_setup.h"
#include "app/setup_form.h"
#include "app/setup_log.h"
#include "app/unattended.h"
#include "catalogue/exit_codes.h"
#include "catalogue/joined_texts.h"
#include "catalogue/texts.h"
#include "common/cmdline.h"
#include "engine/payload_scan.h"
#include "engine/process_hardening.h"
#include "platform/platform.h"
#include "platform/ui.h"

namespace {

std::uint32_t RunWizard(const ustring& commandLine, const TSetupLog& log) {
  IUi& ui = Os().Ui();
  ui.Initialize();
  if (!ui.ApplyTheme(u"Cyan Night"))
    ui.ShowMessageBox(0, u"The visual theme \"Cyan Night\" could not be applied. Setup continues in the default look.",
                      u"Setup", cMbOk | cMbIconError);
  auto view = ui.CreateSetupForm();
  TfmSetup form(*view);
  form.FormCreate();
  log.Append(LogHeader(commandLine, form.Status().stStaCod));
  ui.RunEventLoop(*view);
  const std::uint32_t exitCode = form.ExitCode();
  std::vector<ustring> lines = LinesOf(form.ReviewMemo());
  for (const ustring& line : LinesOf(form.ProgressMemo())) lines.push_back(line);
  for (const ustring& line : LogFooter(form.Status().stStaCod, exitCode)) lines.push_back(line);
  log.Append(lines);
  return exitCode;
}

}  // namespace

std::uint32_t RunSetup(const ustring& commandLine) {
  HardenProcess();
  CmdParams = ParseCmdLine(commandLine);
  const TCmdParams& cp = CmdParams;
  // Unattended always logs; the wizard only when asked to.
  const TSetupLog log(cp.cpLogGiv ? cp.cpLogFil : cp.cpModSil ? TSetupLog::DefaultPath() : ustring());

  const TOneSetup one;
  if (!one.Acquired()) {
    // The running setup owns the system; this one only says why it ends.
    if (!cp.cpModSil && !Os().Ui().ActivateOtherSetupWindow())
      Os().Ui().ShowMessageBox(0, cTxAlreadyRunning[cp.cpSelLan], WindowCaption(), cMbOk | cMbIconWarning);
    std::vector<ustring> lines = LogHeader(commandLine, cStartupNotRun);
    for (const ustring& line : LogFooter(0, cExitAlreadyRunning)) lines.push_back(line);
    log.Append(lines);
    return cExitAlreadyRunning;
  }
  // The integrity scan needs nothing of the window: it runs on its own
  // threads while the toolkit starts and the window is built, and the
  // start-up checks take its result in their usual order.
  StartPayloadCheck();
  // A start-up that ends before its checks take the scan's result (no system
  // folder, say) must not leave the scan running past this call: it reads
  // the system, which the caller may tear down next.
  struct TScanJoin {
    ~TScanJoin() {
      std::int64_t unused = 0;
      TakeStartedPayloadCheck(unused);
    }
  } const scanJoin;
  if (cp.cpModSil) return RunUnattended(cp, commandLine, log);
  return RunWizard(commandLine, log);
}
