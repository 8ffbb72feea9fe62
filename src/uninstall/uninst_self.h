// Removing the uninstaller's own file. A running program can't delete its
// image, so the original copies itself into a new private folder under the
// temporary folder and starts that copy with an inherited handle to itself
// and the installation folder; the copy waits until the original has ended,
// deletes the original's file and the folder when it is empty, and leaves
// itself and its folder to the next restart.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "uninstall/uninst_params.h"
#include "uninstall/uninst_report.h"

// Started by the original (own: its file, folder: the installation folder).
// When no copy can be started, the original's file and the folder are left
// to the next restart instead (noted in the report); false then.
bool StartSelfRemoval(const ustring& own, const ustring& folder, const TUnParams& params, TUnReport& report);

// The copy's whole run: the exit code (always 0; what it can't do now it
// leaves to the next restart).
std::uint32_t FinishAsCopy(const TUnParams& params);
