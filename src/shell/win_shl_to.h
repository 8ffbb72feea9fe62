// Special folders and shell services: where the system directory and the
// shell's special folders are (computed afresh on every call), and the small
// shell and file-system services several parts share. No state, any thread.
#pragma once
#include <cstdint>

#include "common/types.h"

// The system directory as the platform reports it, without a trailing
// backslash; empty on failure.
void GetSystemDir(ustring& path);
// True and the folder of the CSIDL when the shell resolves it (also when the
// folder is defined but missing on disk); false and empty otherwise. The
// shell library is loaded by its full path in the system directory.
bool GetSpecialFolder(int csidl, ustring& path);
// Creates the last component of path (its parent must exist): 0, else the
// system's error code (183 when it exists, 3 when the parent is missing).
std::uint32_t CreateFolder(const ustring& path);
// Tells the shell that event happened at path; nothing for paths over 260 characters.
void NotifyShellPath(std::uint32_t event, const ustring& path);
// Tells the shell that file associations changed.
void NotifyAssocChanged();
// Asks the shell to open path (passed in double quotes); true when it started.
bool RunProgram(const ustring& path);
