// Order of the steps: the context-menu package first (it points at the
// folder), then the links, the associations and the registration, then the
// files. The uninstall entry goes last and only when everything else has
// gone, so that a run that left something can be started again from the
// same entry; the uninstaller's own file then goes through its copy.
#include "uninstall/uninstall_run.h"

#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/uninstall_texts.h"
#include "common/utils.h"
#include "engine/one_setup.h"
#include "engine/process_hardening.h"
#include "platform/platform.h"
#include "platform/ui.h"
#include "uninstall/uninst_files.h"
#include "uninstall/uninst_links.h"
#include "uninstall/uninst_package.h"
#include "uninstall/uninst_registry.h"
#include "uninstall/uninst_self.h"

namespace {

constexpr std::size_t cListedItems = 12;  // items named in the failure message

int Ask(const TUnParams& params, const ustring& text, int style) {
  return Os().Ui().ShowMessageBox(0, text, cTxUnCaption[params.upLangua] + cProductName, style);
}

// The text for a file still held after Retry: the programs that hold it
// where the system can tell, the choice of the restart.
ustring StillInUseText(const ustring& held, TSuLang lang) {
  ustring text = cTxUnStillInUse[lang] + held;
  const std::vector<ustring> programs = Os().ProgramsHoldingFile(held);
  for (std::size_t i = 0; i < programs.size(); ++i) text += (i == 0 ? cTxUnHeldBy[lang] : u", ") + programs[i];
  return text + cTxUnAtRestartChoice[lang];
}

// Interactive: until no product file is held, or the user lets the held
// ones go at the next restart (true), or cancels (false). A program the
// user can't close (Explorer holding the shell extension) would otherwise
// keep the product for good.
bool FilesFree(const ustring& folder, const ustring& own, const TUnParams& params) {
  bool retried = false;
  for (ustring held = FirstFileInUse(folder, own); !held.empty(); held = FirstFileInUse(folder, own)) {
    if (!retried) {
      const ustring text = cTxUnInUse1[params.upLangua] + held + cTxUnInUse2[params.upLangua];
      if (Ask(params, text, cMbRetryCancel | cMbIconWarning) != cIdRetry) return false;
      retried = true;
      continue;
    }
    const int answer = Ask(params, StillInUseText(held, params.upLangua), cMbYesNoCancel | cMbIconWarning);
    if (answer == cIdYes) return true;
    if (answer != cIdNo) return false;
  }
  return true;
}

ustring FailureText(const TUnReport& report, TSuLang lang) {
  ustring text = cTxUnFailed[lang];
  for (std::size_t i = 0; i < report.urLeft.size() && i < cListedItems; ++i) text += u"\r\n" + report.urLeft[i];
  if (report.urLeft.size() > cListedItems) text += cTxUnMore[lang];
  return text;
}

}  // namespace

std::uint32_t RunUninstall(const ustring& own, const TUnParams& params) {
  TUnReport report;
  return RunUninstall(own, params, report);
}

std::uint32_t RunUninstall(const ustring& own, const TUnParams& params, TUnReport& report) {
  HardenProcess();
  const TSuLang lang = params.upLangua;
  // Not while a setup (or another uninstallation) changes the same system.
  const TOneSetup one;
  if (!one.Acquired()) {
    if (!params.upSilent) Ask(params, cTxUnBusy[lang], cMbOk | cMbIconWarning);
    return cExitAlreadyRunning;
  }
  const ustring folder = PathOfFile(own);
  const TInstalled installed = folder.empty() ? TInstalled::NotHere : InstalledIn(folder);
  if (installed == TInstalled::NotHere) {
    if (!params.upSilent) Ask(params, cTxUnNotHere[lang], cMbOk | cMbIconError);
    return cExitUnknownProduct;
  }
  if (installed == TInstalled::Unknown) {
    report.urLeft.push_back(cTxUnEntry[lang]);
    if (!params.upSilent) Ask(params, FailureText(report, lang), cMbOk | cMbIconError);
    return cExitInstallFailure;
  }
  if (!params.upSilent) {
    if (Ask(params, cTxUnConfirm[lang], cMbYesNo | cMbIconQuestion | cMbDefButton2) != cIdYes) return cExitUserExit;
    if (!FilesFree(folder, own, params)) return cExitUserExit;
  }

  RemoveW11ContextMenu(report, cTxUnPackage[lang]);
  RemoveShortCuts(folder, report);
  RemoveAssociations(report);
  RemoveRegTables(report);
  RemoveProductFiles(folder, own, report);
  if (report.Clean()) RemoveUninstallEntry(report);

  // The uninstaller itself goes last; after a failure it stays for another run.
  const bool ownIsProductFile =
      Os().SameNameIgnoringCase(own, AddBackslash(folder) + PayFiles[cPayUninstaller].pfFilNam);
  if (report.Clean() && ownIsProductFile) StartSelfRemoval(own, folder, params, report);

  std::uint32_t code = cExitSuccess;
  ustring text = cTxUnDone[lang];
  int icon = cMbIconInformation;
  if (!report.Clean()) {
    code = cExitInstallFailure;
    text = FailureText(report, lang);
    icon = cMbIconError;
  } else if (!report.urAtRestart.empty()) {
    code = cExitRebootRequired;
    text = cTxUnReboot[lang];
  }
  if (!params.upSilent) Ask(params, text, cMbOk | icon);
  return code;
}
