// Removal in the registry layer: a value, a string value only while it holds
// an expected text, and a key only when nothing is left in it. Each call
// opens and closes its own keys (native view) and never raises.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "platform/platform.h"

enum class TRemoval : std::uint8_t {
  Absent,   // there was nothing to remove
  Removed,  // it is gone now
  Kept,     // left on purpose: not ours (other data, or something else still in the key)
  Failed    // it should have gone and is still there
};

// Deletes the value name (empty: the default value) of parent\subKey.
TRemoval DeleteRegValue(THKey parent, const ustring& subKey, const ustring& name);
// Deletes the value only while it is a REG_SZ text equal to expected (exactly);
// any other data is Kept.
TRemoval DeleteRegTextIf(THKey parent, const ustring& subKey, const ustring& name, const ustring& expected);
// Deletes parent\subKey when it has no sub-key and no value; Kept otherwise.
TRemoval DeleteRegKeyIfEmpty(THKey parent, const ustring& subKey);
// Deletes parent\subKey together with its value name in one deletion when
// the key holds nothing else, so that no run can end between the two (a
// later run still finds the value, or nothing); otherwise deletes only that
// value and answers Kept. Absent when neither is there.
TRemoval DeleteRegKeyWithLast(THKey parent, const ustring& subKey, const ustring& name);
