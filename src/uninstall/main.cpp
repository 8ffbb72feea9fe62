// Entry point of Uninstall.exe: the original removes the product installed
// in its own folder; its private copy (started with /W: and /D:) removes the
// original's file once the original has ended.
#include "platform/platform.h"
#include "platform/ui.h"
#include "platform/win32/win32_platform.h"
#include "uninstall/uninst_params.h"
#include "uninstall/uninst_self.h"
#include "uninstall/uninstall_run.h"

int wmain() {
  // Before anything can load a library: only the system folder is searched.
  RestrictDllSearchToSystem();
  const TUnParams params = ParseUninstallCmdLine(Os().GetProcessCommandLine());
  if (params.IsCopy()) return static_cast<int>(FinishAsCopy(params));
  if (!params.upSilent) Os().Ui().Initialize();
  return static_cast<int>(RunUninstall(Os().GetOwnModulePath(), params));
}
