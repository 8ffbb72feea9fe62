// Entry point of Corvalin-Setup.exe.
#include "app/setup_form.h"
#include "common/cmdline.h"
#include "engine/payload_scan.h"
#include "platform/platform.h"
#include "platform/ui.h"
#include "platform/win32/win32_platform.h"

int wmain() {
  // Before anything can load a library: only the system folder is searched.
  RestrictDllSearchToSystem();
  // The integrity scan needs nothing of the window: it runs on its own
  // threads while the toolkit starts and the window is built, and the
  // start-up checks in FormCreate take its result in their usual order.
  StartPayloadCheck();
  // The exit code is 0 whatever the wizard's outcome.
  CmdParams = ParseCmdLine(Os().GetProcessCommandLine());
  IUi& ui = Os().Ui();
  ui.Initialize();
  if (!ui.ApplyTheme(u"Cyan Night"))
    ui.ShowMessageBox(0, u"The visual theme \"Cyan Night\" could not be applied. Setup continues in the default look.",
                      u"Setup", cMbOk | cMbIconError);
  auto view = ui.CreateSetupForm();
  TfmSetup form(*view);
  form.FormCreate();
  ui.RunEventLoop(*view);
  return 0;
}
