// How the setup's outcomes become the process exit code (the codes are the
// catalogue's table). One mapping for the wizard and the unattended run.
#pragma once
#include <cstdint>

#include "catalogue/exit_codes.h"

// A start-up code (0 to 6) as an exit code: 0 for 0.
std::uint32_t ExitCodeOfStartup(std::uint8_t code);
// A task's own result as an exit code: 37 (all settings OK) and 45
// (installed) give 0; 34 (free space) 112; every other check refusal, a
// failed step (39 to 41, 46) and an abnormal end (47) 1603.
std::uint32_t ExitCodeOfTaskResult(std::uint8_t code);
// The installation's end: as ExitCodeOfTaskResult, but a success after which
// a file waits for the next restart is 3010. A failure keeps its own code.
std::uint32_t ExitCodeOfInstallation(std::uint8_t code, bool restartNeeded);
