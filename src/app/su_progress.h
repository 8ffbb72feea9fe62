// The display of the workers' progress: the handler of WM_SETUP_TASK that
// writes the Review summary and result and the Finish page's step lines and
// verdict, and turns each task's end into the status code. The wizard shows
// the two memos; the unattended front end keeps them in memory and writes
// them to its log, so both show the same lines for the same run.
#pragma once
#include <cstdint>
#include <functional>

#include "app/su_status.h"
#include "common/setup_choices.h"
#include "platform/ui.h"

class TTaskDisplay {
 public:
  // review and progress are the two line lists; status and ns are the
  // owner's records (read and written on the GUI thread only); onTaskEnd runs
  // after each task's end message has been shown.
  TTaskDisplay(IControl& review, IControl& progress, TSuStatus& status, const TNewSetup& ns,
               std::function<void()> onTaskEnd);

  void WMSetupTask(std::uintptr_t wparam, std::intptr_t lparam);

  ustring GetStatusText(int code) const;
  void AddReviewStatus(int code);
  void AddProgressLine(int code, int status);
  void UpdatePackageLine(int phase, int status, std::intptr_t lparam);
  // A file moved aside for the next restart: its line, and the run needs the restart.
  void AddRestartLine(int task, std::intptr_t lparam);

  // Ends seen so far, and the last one's task and result: the task's own
  // code (before the Finish verdict folds it into 46), 47 when it raised.
  int TasksEnded() const { return ended_; }
  std::uint8_t LastTask() const { return lastTask_; }
  std::uint8_t LastResult() const { return lastResult_; }

 private:
  IControl& review_;
  IControl& progress_;
  TSuStatus& status_;
  const TNewSetup& ns_;
  std::function<void()> onTaskEnd_;
  int ended_ = 0;
  std::uint8_t lastTask_ = 0;
  std::uint8_t lastResult_ = 0;
};
