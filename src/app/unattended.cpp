#include "app/unattended.h"

#include <memory>

#include "app/memo_lines.h"
#include "app/setup_defaults.h"
#include "app/setup_exit.h"
#include "app/su_progress.h"
#include "common/task_msg.h"
#include "engine/startup.h"
#include "engine/thr_inst.h"
#include "platform/ui.h"

namespace {

class TUnattendedRun {
 public:
  TUnattendedRun(const TCmdParams& cp, const ustring& commandLine, const TSetupLog& log)
      : cp_(cp), commandLine_(commandLine), log_(log), display_(review_, progress_, status_, ns_, nullptr) {}

  std::uint32_t Run() {
    status_.stStaCod = CheckStartup(ns_.nsTotSiz);
    if (status_.stStaCod == cStartOk) status_.stStaCod = InitNewSetup(ns_);
    log_.Append(LogHeader(commandLine_, status_.stStaCod));
    if (status_.stStaCod != cStartOk) return Finish(ExitCodeOfStartup(status_.stStaCod));

    DefaultChoices(ns_);
    const bool folderOk = ApplyCmdOptions(cp_, ns_);
    if (!ns_.nsEulAgr || !folderOk) return Finish(cExitInvalidCommandLine);

    receiver_ = Os().Ui().CreateTaskReceiver();
    receiver_->OnTaskMessage = [this](std::uintptr_t wparam, std::intptr_t lparam) {
      display_.WMSetupTask(wparam, lparam);
    };
    // As in the wizard: the preparation's verdict first, its Review lines,
    // then the installation only when all settings are OK.
    if (!RunTask(cTaskPrepare)) return Finish(cExitInstallFailure);
    if (status_.stStaCod != cStaSettingsOk) return Finish(ExitCodeOfTaskResult(status_.stStaCod));
    if (!RunTask(cTaskInstall)) return Finish(cExitInstallFailure);
    return Finish(ExitCodeOfInstallation(display_.LastResult(), status_.stRestart));
  }

 private:
  // Starts the task's worker and dispatches its messages until its end
  // message has been shown; false when no worker ran to its end.
  bool RunTask(std::uint8_t taskId) {
    const int before = display_.TasksEnded();
    // Without its window no message of the worker would arrive (a post to no
    // window goes to the posting thread itself) and the wait would not end.
    if (receiver_->Handle() == 0) return false;
    status_.stStaCod = taskId == cTaskInstall ? cStaInstRuns : cStaPrepRuns;
    try {
      TThrInst::Create(receiver_->Handle(), ns_, taskId);
    } catch (const EThreadStart&) {
      return false;
    }
    receiver_->RunUntil([&] { return display_.TasksEnded() > before; });
    return display_.TasksEnded() > before;
  }

  std::uint32_t Finish(std::uint32_t exitCode) {
    std::vector<ustring> lines = review_.Lines();
    lines.insert(lines.end(), progress_.Lines().begin(), progress_.Lines().end());
    const std::vector<ustring> footer = LogFooter(status_.stStaCod, exitCode);
    lines.insert(lines.end(), footer.begin(), footer.end());
    log_.Append(lines);
    return exitCode;
  }

  const TCmdParams& cp_;
  const ustring& commandLine_;
  const TSetupLog& log_;
  TNewSetup ns_;
  TSuStatus status_;
  TMemoLines review_;
  TMemoLines progress_;
  TTaskDisplay display_;
  std::unique_ptr<ITaskReceiver> receiver_;
};

}  // namespace

std::uint32_t RunUnattended(const TCmdParams& cp, const ustring& commandLine, const TSetupLog& log) {
  TUnattendedRun run(cp, commandLine, log);
  return run.Run();
}
