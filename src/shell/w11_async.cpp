#include "shell/w11_async.h"

namespace {

void CloseEvents(TAsyncParams& ap) {
  for (THandle& event : ap.apWobArr) {
    if (event != 0) Os().Deploy().CloseEvent(event);
    event = 0;
  }
}

std::uint8_t FinalState(std::int32_t status) {
  switch (status) {
    case cAsyncStarted: return cFinStarted;
    case cAsyncCompleted: return cFinCompleted;
    case cAsyncCanceled: return cFinCanceled;
    case cAsyncError: return cFinError;
    default: return cFinNone;
  }
}

}  // namespace

TAsyncParams::~TAsyncParams() {
  try {
    CloseEvents(*this);
  } catch (...) {
    // A destructor must not raise; the handles are lost with the process then.
  }
}

std::uint32_t InitAsyncParams(TAsyncParams& ap, THwnd window, std::uint32_t msg, std::uintptr_t wparam) {
  // A record that was not given back with DoneAsyncParams would leak its events.
  CloseEvents(ap);
  std::uint32_t status = 0;
  for (THandle& event : ap.apWobArr) {
    const std::uint32_t err = Os().Deploy().CreateEventW(event);
    if (err != 0 || event == 0) {
      event = 0;
      status = err != 0 ? err : cErrInvalidHandle;
    }
  }
  // The lock is a std::mutex member: it cannot fail to come into being, so the
  // status for a failed lock creation never occurs here.
  ap.apFmHdle = window;
  ap.apWMProg = msg;
  ap.apWParam = wparam;
  std::lock_guard<std::mutex> lock(ap.apCSResu);
  ap.apFinSta = cFinNone;
  ap.apErrCod = 0;
  ap.apErrTxt.clear();
  return status;
}

void ResetAsyncParams(TAsyncParams& ap) {
  for (THandle event : ap.apWobArr) {
    if (event != 0) Os().Deploy().ResetEvent(event);
  }
  std::lock_guard<std::mutex> lock(ap.apCSResu);
  ap.apFinSta = cFinNone;
  ap.apErrCod = 0;
  ap.apErrTxt.clear();
}

void DoneAsyncParams(TAsyncParams& ap) {
  ResetAsyncParams(ap);
  CloseEvents(ap);
  ap.apFmHdle = 0;
  ap.apWMProg = 0;
  ap.apWParam = 0;
}

bool WaitForDeployment(TAsyncParams& ap) {
  // Without both events the platform wait fails at once, every time: asking it
  // again would spin for ever.
  if (ap.apWobArr[0] == 0 || ap.apWobArr[1] == 0) return false;
  IDeployment& deploy = Os().Deploy();
  for (;;) {
    const std::uint32_t result = deploy.MsgWaitForEvents(ap.apWobArr);
    if (result == cWaitObject0) {
      deploy.ResetEvent(ap.apWobArr[0]);
      return false;
    }
    if (result == cWaitObject0 + 1) {
      deploy.ResetEvent(ap.apWobArr[1]);
      std::lock_guard<std::mutex> lock(ap.apCSResu);
      return ap.apFinSta == cFinCompleted;
    }
    // Messages were dispatched (a callback may have run through them): wait
    // again. Anything else is a failing wait, which would fail again.
    if (result != cWaitInput) return false;
  }
}

std::uint32_t ProgressWord(std::int32_t state, std::uint32_t percentage) {
  std::uint32_t code = 0;
  if (state == cDeployQueued) code = 1;
  if (state == cDeployProcessing) code = 2;
  return (code << 8) | (percentage & 0xFFu);
}

std::int32_t TAsyncStatusHandler::Invoke(TDeployObj operation, std::int32_t status) {
  try {
    std::lock_guard<std::mutex> link(ptLock);
    if (ptAsp == nullptr) return 0;
    TAsyncParams& ap = *ptAsp;
    {
      std::lock_guard<std::mutex> lock(ap.apCSResu);
      try {
        ap.apFinSta = FinalState(status);
        if (status == cAsyncError) {
          std::int32_t code = 0;
          ustring text;
          const std::int32_t read = Os().Deploy().GetResults(operation, code, text);
          // The code is read before the text: a text that cannot be read must
          // not cost the code, which is what the Finish page shows.
          ap.apErrCod = code;
          if (read >= 0) ap.apErrTxt = std::move(text);
        }
      } catch (...) {
        // The details may stay empty; the wait must still end below.
      }
    }
    if (status != cAsyncStarted) Os().Deploy().SetEvent(ap.apWobArr[1]);
  } catch (...) {
    // Nothing may reach the platform's thread.
  }
  return 0;
}

void TAsyncStatusHandler::Detach() {
  std::lock_guard<std::mutex> link(ptLock);
  ptAsp = nullptr;
}

std::int32_t TAsyncProgHandler::Invoke(TDeployObj, TDeploymentProgress progress) {
  try {
    std::lock_guard<std::mutex> link(ptLock);
    if (ptAsp == nullptr) return 0;
    const TAsyncParams& ap = *ptAsp;
    if (ap.apFmHdle != 0 && ap.apWMProg != 0) {
      // Posted, never sent: the worker must not wait for the form.
      Os().PostWindowMessage(ap.apFmHdle, ap.apWMProg, ap.apWParam,
                             static_cast<std::intptr_t>(ProgressWord(progress.state, progress.percentage)));
    }
    return 0;
  } catch (...) {
    return cE_UNEXPECTED;
  }
}

void TAsyncProgHandler::Detach() {
  std::lock_guard<std::mutex> link(ptLock);
  ptAsp = nullptr;
}
