// Which programs hold a file open, as the Restart Manager knows it.
#pragma once
#include <vector>

#include "common/types.h"

namespace win32_holders {
// The application names RmGetList reports for path; empty when there are
// none or rstrtmgr.dll (taken from the system folder at run time) is missing
// or refuses.
std::vector<ustring> ProgramsHolding(const ustring& path);
}  // namespace win32_holders
