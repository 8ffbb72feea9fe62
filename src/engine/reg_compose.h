// The data of the registration's values, by the data id of a RegValues row.
#pragma once
#include <cstdint>

#include "common/types.h"

// Text of a string value: product names, quoted program paths below folder
// (a trailing backslash is ensured), class ids, version texts, the UTC date,
// the uninstall command (" /l:1" appended for German) and its quiet form
// (quoted, then " /S:1", then " /l:1" for German). Unknown ids: "".
ustring ComposeRegText(int dataId, TSuLang lang, const ustring& folder);

// Number of a DWORD value: the size in KiB (computed in 64 bits, then cut
// to 32, so totals of 4 GiB and more don't wrap; negatives give 0), the
// language id 1033, the flags and the version numbers. Unknown ids: 0.
std::uint32_t ComposeRegNumber(int dataId, std::int64_t totalSize);
