// The setup's run from the parsed command line to the exit code: one setup
// at a time, then the unattended installation or the wizard, and the log.
#pragma once
#include <cstdint>

#include "common/types.h"

// Parses commandLine into CmdParams and runs; returns the process exit code.
std::uint32_t RunSetup(const ustring& commandLine);
