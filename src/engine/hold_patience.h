// Virus scanners, the search indexer and the shell's icon and thumbnail
// readers open new and changed files for a moment. While one of them holds a
// product file, an exclusive open, a create, a move or a write of it fails with
// a sharing or lock violation. The setup waits for such a hold with short,
// growing pauses, for a bounded time per file, before it takes the file as
// in use by a program (and moves it aside, or reports it).
#pragma once
#include <cstdint>

// How long the setup waits in all for one product file that someone holds.
inline constexpr std::uint32_t cHoldPatienceMs = 2000;
// The first pause, doubled after each further refusal up to the longest.
inline constexpr std::uint32_t cFirstHoldPauseMs = 10;
inline constexpr std::uint32_t cLongestHoldPauseMs = 500;

// True for the errors another process's opening gives: a sharing or lock
// violation. Access denied (a read-only file, missing rights) is not one.
bool IsHeldByAnother(std::uint32_t err);

// The waiting left for one file. Each file gets its own; the attempts on
// that file (open, move aside, write) share it.
class THoldPatience {
 public:
  // After an attempt that failed with err: when err is a hold and patience is
  // left, pauses (the platform's Sleep) and returns true, so that the caller
  // tries again. Otherwise returns false at once.
  bool PauseAfter(std::uint32_t err);
  std::uint32_t SpentMs() const { return spentMs_; }

 private:
  std::uint32_t spentMs_ = 0;
  std::uint32_t nextPauseMs_ = cFirstHoldPauseMs;
};

// Runs attempt (returning a Win32 error code) until it succeeds, fails other
// than by a hold, or patience runs out; returns its last result.
template <typename TAttempt>
std::uint32_t RetryWhileHeld(THoldPatience& patience, TAttempt attempt) {
  std::uint32_t err = attempt();
  while (patience.PauseAfter(err)) err = attempt();
  return err;
}
