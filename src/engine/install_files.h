// The file step of the installation: every product file to be installed is
// unpacked from its payload record and written into the installation folder.
// A file that another process holds open is moved aside to a temporary name
// and deleted at the next restart, so the new file can take its name now.
#pragma once
#include <vector>

#include "common/types.h"
#include "engine/hold_patience.h"
#include "platform/platform.h"

// Size of one WriteFile call.
inline constexpr std::uint32_t cWriteChunk = 1u << 20;

// Writes the flagged PayFiles entries in table order into folder; stops at the
// first record that does not unpack, target that can't be opened or write
// that can't complete (files written before stay). Each file's open, move
// aside and writes share one THoldPatience. Tells the shell that the folder
// changed when at least one file was written. Never raises.
bool InstallFiles(const ustring& folder);
// The same; the PayFiles index of every file whose earlier copy was moved
// aside for deletion at the next restart is added to atRestart.
bool InstallFiles(const ustring& folder, std::vector<int>& atRestart);

// Creates path for writing (sharing for reading, always create), waiting for
// a momentary hold; when that fails, moves the old file aside
// (MoveAsideForReboot) and tries once more. The handle of the last attempt;
// 0 when none opened.
THandle OpenTarget(const ustring& path, int index);
THandle OpenTarget(const ustring& path, int index, THoldPatience& patience);
// movedAside tells whether the old file now waits for the restart.
THandle OpenTarget(const ustring& path, int index, THoldPatience& patience, bool& movedAside);

// Moves path to TempNameFor(path, index) (replacing; a momentary hold is
// waited for) and schedules that name for deletion at restart. True when both
// succeeded; when only the move did, the file is moved back so that it keeps
// its name.
bool MoveAsideForReboot(const ustring& path, int index);
bool MoveAsideForReboot(const ustring& path, int index, THoldPatience& patience);
// The same; temp is the name that waits for the restart.
bool MoveAsideForReboot(const ustring& path, int index, THoldPatience& patience, ustring& temp);

// Registers path for deletion at the next restart; true when accepted.
bool ScheduleDeleteAtReboot(const ustring& path);
