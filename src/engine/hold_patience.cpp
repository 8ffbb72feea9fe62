#include "engine/hold_patience.h"

#include <algorithm>

#include "platform/platform.h"

bool IsHeldByAnother(std::uint32_t err) { return err == cErrSharingViolation || err == cErrLockViolation; }

bool THoldPatience::PauseAfter(std::uint32_t err) {
  if (!IsHeldByAnother(err) || spentMs_ >= cHoldPatienceMs) return false;
  // Most readers let go within a few milliseconds; the growing pauses notice
  // that at once without polling a long hold hundreds of times.
  const std::uint32_t pause = std::min(nextPauseMs_, cHoldPatienceMs - spentMs_);
  Os().Sleep(pause);
  spentMs_ += pause;
  nextPauseMs_ = std::min(nextPauseMs_ * 2, cLongestHoldPauseMs);
  return true;
}
