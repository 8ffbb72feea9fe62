// The message-only window of the unattended setup: it receives the workers'
// WM_SETUP_TASK and has nothing on screen, so it works without a desktop
// (the system account in session 0).
#pragma once
#include <memory>

#include "platform/ui.h"

std::unique_ptr<ITaskReceiver> CreateWin32TaskReceiver();
// FindWindowW on the wizard's class; a message-only window is never found.
bool ActivateWin32SetupWindow();
