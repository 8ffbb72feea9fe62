// The registry side of the removal, driven by the same tables as the
// registration: only keys and values the setup writes, never a base key,
// never a key that still holds something else.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "uninstall/uninst_report.h"

enum class TInstalled : std::uint8_t {
  Here,     // the uninstall entry's InstallLocation names the folder, or an unfinished installation's note does
  NotHere,  // no uninstall entry (nor note), or one for another folder
  Unknown   // the entry could not be read
};
// Where the uninstall entry (or, without one, the note of an installation
// that did not complete) says the product is, compared with folder (ASCII
// case ignored, trailing backslash or not).
TInstalled InstalledIn(const ustring& folder);

// Every value the registration tables write and then every key they create,
// deepest first, each key only when it is empty then; all but the uninstall entry.
void RemoveRegTables(TUnReport& report);

// The default-programs registration (the capabilities' values and keys, the
// "RegisteredApplications" value), the open-with entries, an extension's
// default value where it still names the product's file type, the extension
// keys left empty; then the shell is told that associations changed.
void RemoveAssociations(TUnReport& report);

// The note of an unfinished installation with the product's key (kept for
// the note until then), then the uninstall entry's values and its key, the
// folder last with the key, so that a run ended at any point finds the
// installation again by the entry.
void RemoveUninstallEntry(TUnReport& report);
