#include "engine/install_task.h"

#include "common/task_msg.h"
#include "engine/app_registration.h"
#include "engine/install_files.h"
#include "engine/prepare_task.h"
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

  bool ok = InstallFiles(ns.nsInsLoc);
  PostInstallStep(window, cStaFiles, StepStatus(ok));
  if (!ok) return cStaFiles;

  ok = RegisterApplication(ns);
  PostInstallStep(window, cStaRegistering, StepStatus(ok));
  if (!ok) return cStaRegistering;

  ok = InstallShortCuts(ns);
  PostInstallStep(window, cStaShortcuts, StepStatus(ok));
  if (!ok) return cStaShortcuts;

  // Its outcome is shown but never fails the installation.
  std::int32_t error = 0;
  const std::uint8_t status = InstallW11ContextMenu(window, ns, error);
  if (status != 0 || error < 0) PostInstallStep(window, cStaPkgResult, status, static_cast<std::intptr_t>(error));
  return cStaInstallOk;
}
