// The worker thread of the wizard's two tasks: 1 = preparation, 2 =
// installation. It reports only by posting WM_SETUP_TASK to the form's
// window: one start message (phase 48), whatever the task posts, and exactly
// one end message (phase 49, status tkStat, lparam scCode) after all of it.
#pragma once
#include <cstdint>
#include <stdexcept>

#include "common/setup_choices.h"
#include "platform/platform.h"

// The thread could not be started (the Win32 error is in code()).
class EThreadStart : public std::runtime_error {
 public:
  explicit EThreadStart(std::uint32_t code);
  std::uint32_t code() const noexcept { return code_; }

 private:
  std::uint32_t code_;
};

class TThrInst {
 public:
  // `new TThrInst(window, choices, taskId)` starts the worker at once, with
  // its own full copy of _ns. The worker frees itself when it has ended; the
  // caller keeps nothing. Raises EThreadStart, and nothing is posted, when
  // no thread starts.
  TThrInst(THwnd _hWin, const TNewSetup& _ns, std::uint8_t _TaskID);
  // The same, for callers that prefer not to write `new`.
  static void Create(THwnd _hWin, const TNewSetup& _ns, std::uint8_t _TaskID);

  TThrInst(const TThrInst&) = delete;
  TThrInst& operator=(const TThrInst&) = delete;

  THwnd hW;
  TNewSetup ns;
  std::uint8_t idTask;
  std::uint8_t tkStat = 0;    // 0 never ran, 1 the task returned, 3 it raised
  std::uint8_t scCode = 255;  // the task's result; 255 until it returns

 private:
  // Runs on the worker: the start message, then PrepareTask or InstallTask
  // (any other id runs nothing); an exception ends it with tkStat 3.
  void Execute();
  // Destroy: runs on the worker once Execute has returned and posts the end
  // message. Private, so a worker can only live on the heap and free itself.
  ~TThrInst();
};

// The same as `new TThrInst(window, ns, taskId)`.
void StartInstallThread(THwnd window, const TNewSetup& ns, std::uint8_t taskId);
