// Reading a saved shell link back, so that a removal can tell whether a link
// still points where the setup made it point.
#pragma once
#include "common/types.h"

// The target path saved in the link file at linkPath (as saved, not
// resolved). False when the link object can't be made or the file can't be
// read as a link. Needs COM on the calling thread (ComInit).
bool ReadShortCutTarget(const ustring& linkPath, ustring& target);
