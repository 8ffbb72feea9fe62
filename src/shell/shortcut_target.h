// Reading a saved shell link back, so that a removal can tell whether a link
// still points where the setup made it point.
#pragma once
#include <cstdint>

#include "common/types.h"

// The target path saved in the link file at linkPath (as saved, not
// resolved). Returns the HRESULT of the step that failed (the link object,
// loading the file, reading the path), or a non-negative code with target
// set. A missing file gives HRESULT_FROM_WIN32 of 2 or 3. Needs COM on the
// calling thread (ComInit).
std::int32_t ReadShortCutTarget(const ustring& linkPath, ustring& target);
