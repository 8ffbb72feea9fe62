// Task 2: the installation. The checks again, then files, registration,
// shortcuts and the Windows 11 context-menu package, one WM_SETUP_TASK
// message after each step. Nothing is rolled back after a failure.
#pragma once
#include <cstdint>

#include "common/setup_choices.h"
#include "platform/platform.h"

// Returns 45 when every step up to the shortcuts succeeded (whatever the
// Windows 11 step reports), the checks' code 28-36 when they failed (after
// messages 38/2 and code/0; a folder they created is removed again), or 39,
// 40, 41 for the failed step. window 0 posts nothing. Exceptions from a step
// pass to the caller.
std::uint8_t InstallTask(THwnd window, const TNewSetup& ns);
