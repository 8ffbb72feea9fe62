#include "engine/thr_inst.h"

#include <string>

#include "common/task_msg.h"
#include "engine/install_task.h"
#include "engine/prepare_task.h"

EThreadStart::EThreadStart(std::uint32_t code)
    : std::runtime_error("the worker thread could not be started (error " + std::to_string(code) + ")"),
      code_(code) {}

TThrInst::TThrInst(THwnd _hWin, const TNewSetup& _ns, std::uint8_t _TaskID) : hW(_hWin), ns(_ns), idTask(_TaskID) {
  // Every field is set before the thread exists; from here on the object
  // belongs to the thread, which frees it when it ends. When no thread
  // starts, the exception makes `new` give the memory back without running
  // the destructor, so no end message goes out for a task that never began.
  const std::uint32_t err = Os().StartThread([this] {
    Execute();
    delete this;
  });
  if (err != cErrSuccess) throw EThreadStart(err);
}

void TThrInst::Create(THwnd _hWin, const TNewSetup& _ns, std::uint8_t _TaskID) { new TThrInst(_hWin, _ns, _TaskID); }

void TThrInst::Execute() {
  try {
    Os().PostWindowMessage(hW, WM_SETUP_TASK, PackTaskMsg(idTask, cPhaseStart, 1), 0);
    if (idTask == cTaskPrepare) {
      scCode = PrepareTask(ns);
    } else if (idTask == cTaskInstall) {
      scCode = InstallTask(hW, ns);
    }
    tkStat = 1;
  } catch (...) {
    tkStat = 3;
  }
}

TThrInst::~TThrInst() {
  // Last of everything this task posts: the form learns here that it ended.
  Os().PostWindowMessage(hW, WM_SETUP_TASK, PackTaskMsg(idTask, cPhaseEnd, tkStat), scCode);
}

void StartInstallThread(THwnd window, const TNewSetup& ns, std::uint8_t taskId) { TThrInst::Create(window, ns, taskId); }
