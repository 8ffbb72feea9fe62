// Opening a file in a folder that someone else may write (a temporary
// folder, a folder /R names) without being led elsewhere: no link at the
// name, no second name of the file, no junction or mount point on the way,
// no file that another account made. Both programs run elevated, so any of
// these would let a standard user aim their writes.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "platform/platform.h"

enum class TGuardVerdict : std::uint8_t {
  Ok,
  DevicePath,  // \\.\..., \\?\..., \??\...: no file of a folder
  NoFolder,    // the folder that would hold it does not exist
  LinkInPath,  // a junction, mount point or link on the way to the folder
  LinkAtPath,  // a symbolic link (or anything that leads elsewhere) at the name
  HardLink,    // the file has more than one name
  NotOurs,     // the file exists and another account owns it
  Busy,        // another process held it all the while
  CannotOpen   // any other failure
};

// A short English reason for the log.
ustring VerdictText(TGuardVerdict verdict);

// Whether path is in one of the device forms (after / became \).
bool IsDevicePath(const ustring& path);

// Paths compared as Windows compares names (ASCII case ignored), either
// with or without a trailing backslash.
bool SamePathText(const ustring& a, const ustring& b);

// Opens each folder from the drive's root down to folder (a full path) as
// itself and refuses a reparse point anywhere on the way, or a folder whose
// true place is not its name. On Ok, held is the folder's handle, opened
// without delete sharing so that it can't be renamed or replaced while
// held (the caller closes it), and finalFolder its true path.
TGuardVerdict OpenFolderGuarded(const ustring& folder, THandle& held, ustring& finalFolder);

// Checks a file opened as itself (cFileFlagOpenReparsePoint): no reparse
// point, one name, owned by the caller, and truly at expected.
TGuardVerdict CheckOpenFile(THandle file, const ustring& expected);
