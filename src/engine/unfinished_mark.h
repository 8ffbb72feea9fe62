// A new installation that did not complete (the process was ended, the power
// went, a step failed) must be completed by running the same command again.
// Before its file step the setup notes the folder in the product's own key;
// the note goes when the installation has completed, so a completed one
// leaves the registry without it. While the note names a folder, the product
// files found there are the setup's own unfinished work, not someone else's
// files to protect, and the uninstaller can remove what is there.
#pragma once
#include "common/types.h"
#include "shell/reg_remove.h"

// Value name of the note (REG_SZ, the folder with a trailing backslash).
inline constexpr char16_t cUnfinishedValue[] = u"UnfinishedSetup";

// Writes the note for folder (creating the product's key); true when written.
bool MarkUnfinished(const ustring& folder);
// The folder the note names, with a trailing backslash; empty when there is
// none or it can't be read.
ustring UnfinishedFolder();
// True when the note names folder (compared without regard to ASCII case).
bool UnfinishedIn(const ustring& folder);
// Deletes the note; the product's key itself stays (the registration owns it).
TRemoval ClearUnfinished();
// For the uninstaller: the note and the product's key, in one deletion when
// the key holds nothing else (so that no run ends between the two), else
// only the note; Kept when something else is in the key.
TRemoval ClearUnfinishedWithKey();
