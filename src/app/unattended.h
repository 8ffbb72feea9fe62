// The unattended installation (/S:1): no window, no question. The same
// start-up checks, choices, tasks and worker as the wizard; the workers'
// messages go to a window that is never shown, through the same progress
// display, whose lines end up in the log.
#pragma once
#include <cstdint>

#include "app/setup_log.h"
#include "common/cmdline.h"

// Runs the whole installation with the choices the wizard would start with
// on this system, changed by the options; writes the log (header, the Review
// and Finish lines, status and exit code) and returns the exit code.
std::uint32_t RunUnattended(const TCmdParams& cp, const ustring& commandLine, const TSetupLog& log);
