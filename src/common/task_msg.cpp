#include "common/task_msg.h"

void PostInstallStep(THwnd window, std::uint8_t phase, std::uint8_t status, std::intptr_t lparam) {
  if (window == 0) return;
  // A lost message (the window is gone) is not reported: nobody is left to see it.
  Os().PostWindowMessage(window, WM_SETUP_TASK, PackTaskMsg(cTaskInstall, phase, status), lparam);
}
