// Removing the uninstaller's own file. A running program can't delete its
// image, so the original copies itself into a new private folder below the
// Windows folder's temporary folder (the system account's own where the
// system has one) and starts that copy with an inherited handle to itself
// (the only handle it passes on) and the installation folder; the copy
// waits until the original has ended, deletes the original's file and the
// folder when it is empty, and leaves itself and its folder to the next
// restart.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "uninstall/uninst_params.h"
#include "uninstall/uninst_report.h"

// Started by the original (own: its file, folder: the installation folder).
// When no copy can be started, the original's file and the folder are left
// to the next restart instead (noted in the report); false then.
bool StartSelfRemoval(const ustring& own, const ustring& folder, const TUnParams& params, TUnReport& report);

// The copy's whole run: 0 when it did its work (what it can't do now it
// leaves to the next restart). It changes nothing and ends with 1639 when it
// is no copy StartSelfRemoval made or the handle is not the folder's
// uninstaller; 1603 when the wait failed or the folder holds an
// installation again; 1618 while a setup runs.
std::uint32_t FinishAsCopy(const TUnParams& params);
