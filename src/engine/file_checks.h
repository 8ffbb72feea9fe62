// File-system tests of the setup checks, and the temporary-name rule that
// the installation shares for files in use.
#pragma once
#include <cstdint>

#include "common/types.h"

// True only when the free space of path's volume available to the caller was
// measured and size is strictly less (both compared as signed 64-bit).
bool HasFreeSpace(const ustring& path, std::int64_t size);

// True when any product file to be installed is present in folder.
bool AnyPayloadFileExists(const ustring& folder);

// True when every present product file in folder can be opened for writing
// without sharing, or, if another process holds it open, can be moved
// (CanSwapFile). Missing files are fine; any other refusal fails.
bool PayloadFilesReplaceable(const ustring& folder);

// Renames path to TempNameFor(path, index) and back (both replacing); true
// when the first rename succeeded. The rename back is not checked.
bool CanSwapFile(const ustring& path, int index);

// PathOfFile(path) + HexOf(TimeTag(index), 8) + ".tmp": a name in the file's
// own folder from the UTC clock's second and millisecond and the index.
ustring TempNameFor(const ustring& path, int index);
