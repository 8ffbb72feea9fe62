// The uninstaller's run: the checks, the questions, the removal steps in
// their order, the outcome message and the exit code (catalogue/exit_codes.h).
#pragma once
#include <cstdint>

#include "uninstall/uninst_params.h"
#include "uninstall/uninst_report.h"

// Removes the product installed in the folder of the running program (own).
// Returns cExitUnknownProduct when the uninstall entry does not name that
// folder (nothing is changed), cExitUserExit when the user declines,
// cExitInstallFailure when something is left (the uninstall entry and the
// uninstaller stay, so that it can be run again), cExitRebootRequired when
// files go at the next restart, else cExitSuccess. Questions and the outcome
// message only without upSilent.
std::uint32_t RunUninstall(const ustring& own, const TUnParams& params);

// The same, with the report of what was left and what goes at the restart.
std::uint32_t RunUninstall(const ustring& own, const TUnParams& params, TUnReport& report);
