// Task 1: the checks that the user's choices can be carried out. They run
// again as the first step of the installation task.
#pragma once
#include <cstdint>

#include "common/setup_choices.h"
#include "engine/file_checks.h"  // AnyPayloadFileExists and the other file tests

// The checks, in this order: licence (31), folder (32 update / 33 new; a new
// installation's folder is created, created := true), free space (34),
// product files present (35 not replaceable, 36 replacing not allowed), base
// keys (30), Start-menu folder (28), desktop folder when wanted (29); 37 when
// all pass. Never raises by itself.
std::uint8_t RunSetupChecks(const TNewSetup& ns, bool& created);

// RunSetupChecks, then the folder it created is removed again (only when
// empty; a failed removal is not reported). Returns the checks' code.
std::uint8_t PrepareTask(const TNewSetup& ns);
