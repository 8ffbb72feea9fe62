#include "engine/install_task.h"

#include "common/task_msg.h"
#include "engine/app_registration.h"
#include "engine/install_files.h"
#include "engine/prepare_task.h"
#include "engine/unfinished_mark.h"
#include "shell/shortcuts.h"
#include "shell/w11_ctx_menu.h"
#include "shell/win_shl_to.h"

namespace {
constexpr std::uint8_t StepStatus(bool ok) { return ok ? cStepDone : cStepFailed; }
}  // namespace

std::uint8_t InstallTask(THwnd window, const TNewSetup& ns) {
  bool created = false;
  const std::uint8_t code = RunSetupChecks(ns, created);
  if (code != cStaSettingsOk) {
    if (created) Os().RemoveDirectoryW(ns.nsInsLoc);
    PostInstallStep(window, cStaPreparing, cStepFailed);
    PostInstallStep(window, code, 0);
    return code;
  }
  if (created) NotifyShellPath(cShcneMkdir, ns.nsInsLoc);

  // A new installation notes its folder first, so that a run that ends
  // before it has completed is completed by the same command.
  const bool isNew = ns.nsInsTyp != cInsTypUpdate;
  std::vector<int> atRestart;
  bool ok = (!isNew || MarkUnfinished(ns.nsInsLoc)) && InstallFiles(ns.nsInsLoc, atRestart);
  PostInstallStep(window, cStaFiles, StepStatus(ok));
  for (const int index : atRestart) PostInstallStep(window, cPhaseAtRestart, 0, index);
  if (!ok) return cStaFiles;

  ok = RegisterApplication(ns);
  PostInstallStep(window, cStaRegistering, StepStatus(ok));
  if (!ok) return cStaRegistering;

  // Complete once the links are there: the note goes with the last step
  // that can fail (a run ended in the package step is an update next time).
  ok = InstallShortCuts(ns) && (!isNew || ClearUnfinished() != TRemoval::Failed);
  PostInstallStep(window, cStaShortcuts, StepStatus(ok));
  if (!ok) return cStaShortcuts;

  // Its outcome is shown but never fails the installation.
  std::int32_t error = 0;
  const std::uint8_t status = InstallW11ContextMenu(window, ns, error);
  if (status != 0 || error < 0) PostInstallStep(window, cStaPkgResult, status, static_cast<std::intptr_t>(error));
  return cStaInstallOk;
}
