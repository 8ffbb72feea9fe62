// Counts the bytes held on the heap by the whole process (every malloc,
// including operator new and zlib's own state), and the peak since a mark,
// so that a benchmark can report the extra memory a piece of work needs.
#pragma once
#include <cstddef>

// False when the build cannot count (sanitizer builds replace malloc themselves).
bool AllocCounterActive();
// Bytes held right now.
std::size_t HeapInUse();
// Starts a new peak measurement at the current level.
void ResetHeapPeak();
// Highest level since the last ResetHeapPeak.
std::size_t HeapPeak();
