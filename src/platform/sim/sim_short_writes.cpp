// Short writes: a WriteFile that reports success with fewer bytes written
// than asked. Windows allows it (the count is the caller's to check), and a
// caller that only looks at the result would keep a cut-short file.
#include <algorithm>

#include "common/utils.h"
#include "platform/sim/sim_state.h"

void TSimPlatform::ShortenWrite(std::uint64_t nth, std::uint32_t missing, const ustring& pathPart) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->shortWrites.push_back({pathPart, nth, missing});
}

std::uint32_t TSimPlatform::TState::StoredByWrite(const ustring& path, std::uint32_t size) {
  std::uint32_t stored = size;
  for (sim::TShortWrite& shortWrite : shortWrites) {
    if (!sim::ContainsNoCase(path, shortWrite.pathPart)) continue;
    if (++shortWrite.seen == shortWrite.nth) stored = size - std::min(size, shortWrite.missing);
  }
  return stored;
}
