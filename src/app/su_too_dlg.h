// The folder picker behind the Prepare page's Change button: the platform's
// folder chooser rooted at the programs folder, titled with the product name,
// with the prompt and the OK caption in the wizard's language.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "platform/ui.h"

// Shows the chooser for `info`. True with the chosen folder's file-system path
// (no trailing backslash) in `path`; false and an empty path when the user
// cancelled or the chosen item has no path that fits 261 units.
bool BrowseForFolder(const TDlgInfo& info, ustring& path);

// The chooser's event callback: at its initialisation notice it gives the
// dialog the icon, caption and OK text of the TDlgInfo at `info`. Returns 0.
int BrowseCallback(THwnd dialog, std::uint32_t message, std::intptr_t parameter, std::intptr_t info);
