// File-system tests of the setup checks, and the temporary-name rule that
// the installation shares for files in use.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "engine/hold_patience.h"

// True only when the free space of path's volume available to the caller was
// measured and size is strictly less (both compared as signed 64-bit).
bool HasFreeSpace(const ustring& path, std::int64_t size);

// True when any product file to be installed is present in folder.
bool AnyPayloadFileExists(const ustring& folder);

// True when every present product file in folder can be opened for writing
// without sharing, or, if another process holds it open, can be moved
// (CanSwapFile). A momentary hold is waited for (THoldPatience, per file)
// before the file counts as held. Missing files are fine; any other refusal
// fails.
bool PayloadFilesReplaceable(const ustring& folder);

// Renames path to TempNameFor(path, index) and back (both replacing); true
// when both renames succeeded. A momentary hold is waited for; when the file
// can't get its name back it is not replaceable (and stays under the
// temporary name only if no waiting helped).
bool CanSwapFile(const ustring& path, int index);
// The same, with the first rename waiting only for what is left of the
// file's patience.
bool CanSwapFile(const ustring& path, int index, THoldPatience& patience);

// PathOfFile(path) + HexOf(TimeTag(index), 8) + ".tmp": a name in the file's
// own folder from the UTC clock's second and millisecond and the index.
ustring TempNameFor(const ustring& path, int index);
