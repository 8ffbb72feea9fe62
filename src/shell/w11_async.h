// The shared state of one deployment call and the two handlers the platform
// reports to: final status and error under a lock, progress forwarded to a
// window as posted messages, and the wait on the two events.
#pragma once
#include <array>
#include <cstdint>
#include <mutex>

#include "common/types.h"
#include "platform/deploy.h"

// [0]: ends a wait as "not completed" (nothing sets it); [1]: the finish event.
using TWobArray = TEventPair;

// Final states (apFinSta): the platform's AsyncStatus plus 1; 0 = none yet or unknown.
constexpr std::uint8_t cFinNone = 0;
constexpr std::uint8_t cFinStarted = 1;
constexpr std::uint8_t cFinCompleted = 2;
constexpr std::uint8_t cFinCanceled = 3;
constexpr std::uint8_t cFinError = 4;

struct TAsyncParams {
  TAsyncParams() = default;
  TAsyncParams(const TAsyncParams&) = delete;
  TAsyncParams& operator=(const TAsyncParams&) = delete;
  ~TAsyncParams();  // closes events still open

  TWobArray apWobArr{};        // the two manual-reset events
  std::mutex apCSResu;         // guards apFinSta, apErrCod, apErrTxt
  THwnd apFmHdle = 0;          // receives progress messages; 0 = none
  std::uint32_t apWMProg = 0;  // message number for progress; 0 = none
  std::uintptr_t apWParam = 0; // wparam of every progress message
  std::uint8_t apFinSta = 0;   // cFin...
  std::int32_t apErrCod = 0;   // extended error code, only for Error
  ustring apErrTxt;            // error text, only for Error
};
using TpAsyncParams = TAsyncParams*;

// Creates both events and stores the progress target; 0, or the Win32 error
// of the last event creation that failed.
std::uint32_t InitAsyncParams(TAsyncParams& ap, THwnd window, std::uint32_t msg, std::uintptr_t wparam);
// Resets both events and clears the final state, code and text.
void ResetAsyncParams(TAsyncParams& ap);
// ResetAsyncParams, closes the events and zeroes every field.
void DoneAsyncParams(TAsyncParams& ap);
// Waits for either event while dispatching the thread's messages; true when
// the finish event ended it with the final state Completed. False at once when
// an event is missing or the wait fails, so that it never repeats without end.
bool WaitForDeployment(TAsyncParams& ap);

// The lparam of a progress message: state code (Queued 1, Processing 2, other 0)
// in bits 8-15, the percentage's low byte in bits 0-7.
std::uint32_t ProgressWord(std::int32_t state, std::uint32_t percentage);

// The completion handler: records the final state (and, for Error, the
// deployment's extended code and text) and sets the finish event unless the
// status is Started. Never raises; returns 0.
class TAsyncStatusHandler : public IAsyncCompletedHandler {
 public:
  explicit TAsyncStatusHandler(TpAsyncParams asp) : ptAsp(asp) {}
  std::int32_t Invoke(TDeployObj operation, std::int32_t status) override;
  // Cuts the link to the record: later calls (the platform may still hold the
  // handler) do nothing. Waits for a call in progress.
  void Detach();

 private:
  std::mutex ptLock;  // held while a call uses ptAsp, so that Detach can wait for it
  TpAsyncParams ptAsp;
};

// The progress handler: posts apWMProg with apWParam and the progress word to
// apFmHdle when both are non-zero. Returns 0, or E_UNEXPECTED if posting raised.
class TAsyncProgHandler : public IAsyncProgressHandler {
 public:
  explicit TAsyncProgHandler(TpAsyncParams asp) : ptAsp(asp) {}
  std::int32_t Invoke(TDeployObj operation, TDeploymentProgress progress) override;
  void Detach();  // as TAsyncStatusHandler::Detach

 private:
  std::mutex ptLock;
  TpAsyncParams ptAsp;
};
