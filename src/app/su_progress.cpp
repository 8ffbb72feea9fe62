// The form's handler of WM_SETUP_TASK: the lines the worker tasks leave on the
// Review and Finish pages, and the wizard's status code at each task's end.
#include "app/su_progress.h"

#include "app/su_fm_revi.h"
#include "catalogue/payload_files.h"
#include "catalogue/setup_msgs.h"
#include "catalogue/texts.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "shell/w11_ctx_menu.h"

namespace {

// Phase 42/43 lparam: percent in bits 0..7, progress state in bits 8..15.
constexpr int cPkgStateQueued = 1;
constexpr int cPkgStateProcessing = 2;
// Phase 44 status: the package registration completed.
constexpr int cPkgCompleted = 2;

// The system's text for an error code without its trailing blanks, line breaks and full stops.
ustring TrimmedSystemMessage(std::int32_t code) {
  ustring text = Os().FormatSystemMessage(code);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\r' || text.back() == u'\n' || text.back() == u'.'))
    text.pop_back();
  return text;
}

}  // namespace

TTaskDisplay::TTaskDisplay(IControl& review, IControl& progress, TSuStatus& status, const TNewSetup& ns,
                           std::function<void()> onTaskEnd)
    : review_(review), progress_(progress), status_(status), ns_(ns), onTaskEnd_(std::move(onTaskEnd)) {}

ustring TTaskDisplay::GetStatusText(int code) const { return SetupMsgText(code, ns_.nsLangua); }

void TTaskDisplay::AddReviewStatus(int code) {
  const ustring text = GetStatusText(code);
  if (!text.empty()) review_.AddLine(text);
}

void TTaskDisplay::AddProgressLine(int code, int status) {
  ustring text = GetStatusText(code);
  if (text.empty()) return;
  const bool stepLine = code >= cStaPreparing && code <= cStaPkgResult;
  // The bound guards the step results' table; a verdict (45..47) does not
  // index it, so an odd end status must not swallow "Installation failed.".
  if (status > 3 && (stepLine || code < cStaPreparing)) return;
  IControl& memo = progress_;
  const TSuLang lang = ns_.nsLangua;
  if (stepLine) text += StepResults[static_cast<std::size_t>(status)][lang];
  else if (code > cStaPkgResult) memo.AddLine(u"");
  memo.AddLine(text);
  if (code == cStaInstallOk && status_.stW11Nfo && ns_.nsInsTyp == cInsTypNew) {
    memo.AddLine(u"");
    memo.AddLine(cTxFiW11Heading[lang]);
    memo.AddLine(cTxFiW11Hint[lang]);
  }
}

void TTaskDisplay::UpdatePackageLine(int phase, int status, std::intptr_t lparam) {
  const ustring head = GetStatusText(phase);
  if (head.empty() || status > 4) return;
  const TSuLang lang = ns_.nsLangua;
  ustring tail;
  std::int32_t err = 0;
  if (phase == cStaPkgRemove || phase == cStaPkgAdd) {
    const int state = static_cast<int>((lparam >> 8) & 0xFF);
    const int percent = static_cast<int>(lparam & 0xFF);
    if (state <= 2) tail = PkgProgress[static_cast<std::size_t>(state)][lang];
    if (state == cPkgStateQueued && phase == cStaPkgRemove) tail += cTxTakesMinutes[lang];
    if (state == cPkgStateProcessing && percent <= 100) tail += DecOfInt(percent) + u" %";
  } else {
    tail = PkgStates[static_cast<std::size_t>(status)][lang];
    err = static_cast<std::int32_t>(static_cast<std::uint32_t>(lparam));
    if (status == 0 && err < 0) tail = StepResults[3][lang];
    if (err < 0)
      tail += u" (0x" + HexOf(static_cast<std::uint32_t>(err), 8) + u": " + TrimmedSystemMessage(err) + u")";
    if (!status_.stW11Nfo) status_.stW11Nfo = status == cPkgCompleted;
  }
  // An already registered package needs no line.
  if (err == cPkgPresent) return;
  const ustring line = head + tail;
  IControl& memo = progress_;
  const int last = memo.LineCount() - 1;
  // Successive progress of one phase rewrites its line; a new phase starts a new one.
  if (last >= 0 && memo.Line(last).compare(0, head.size(), head) == 0) memo.SetLine(last, line);
  else memo.AddLine(line);
}

void TTaskDisplay::AddRestartLine(int task, std::intptr_t lparam) {
  // Only the running installation moves files aside; a stray message from
  // another program must not turn its result into "restart needed".
  if (task != cTaskInstall || status_.stStaCod != cStaInstRuns) return;
  if (lparam < 0 || static_cast<std::size_t>(lparam) >= cPayFileCount) return;
  status_.stRestart = true;
  progress_.AddLine(cTxFiAtRestart[ns_.nsLangua] + AddBackslash(ns_.nsInsLoc) +
                    PayFiles[static_cast<std::size_t>(lparam)].pfFilNam);
}

void TTaskDisplay::WMSetupTask(std::uintptr_t wparam, std::intptr_t lparam) {
  const int task = static_cast<int>((wparam >> 16) & 0xFF);
  const int phase = static_cast<int>((wparam >> 8) & 0xFF);
  const int status = static_cast<int>(wparam & 0xFF);
  if (task != cTaskPrepare && task != cTaskInstall) return;
  if (phase >= cFirstMsgCode && phase <= cStaPkgResult) {
    if (task != cTaskInstall) return;
    if (phase >= cStaPkgRemove) UpdatePackageLine(phase, status, lparam);
    else AddProgressLine(phase, status);
    return;
  }
  if (phase == cPhaseAtRestart) {
    AddRestartLine(task, lparam);
    return;
  }
  if (phase == cPhaseStart) {
    if (task == cTaskPrepare) WriteReviewSummary(review_, ns_, ns_.nsLangua);
    return;
  }
  if (phase == cPhaseEnd) {
    // Only the task that runs can end. Messages reach the window from other
    // programs too; a stray end message would otherwise replace a start-up
    // failure or a result by its own code and open the pages after it.
    if (status_.stStaCod != (task == cTaskPrepare ? cStaPrepRuns : cStaInstRuns)) return;
    status_.stStaCod = status == 1 ? static_cast<std::uint8_t>(lparam & 0xFF) : cStaUnexpected;
    // The preparation ends with one of its check results. Any other value did
    // not come from it: a start-up code would lock the wizard on Welcome, a
    // running task's code would keep the window from closing, a verdict would
    // open Finish.
    if (task == cTaskPrepare && (status_.stStaCod < cStaMenuPath || status_.stStaCod > cStaSettingsOk))
      status_.stStaCod = cStaUnexpected;
    ++ended_;
    lastTask_ = static_cast<std::uint8_t>(task);
    lastResult_ = status_.stStaCod;
    if (task == cTaskInstall) {
      if (status_.stStaCod == cStaUnexpected) AddProgressLine(cStaUnexpected, status);
      if (status_.stStaCod != cStaInstallOk) status_.stStaCod = cStaInstallFailed;
      AddProgressLine(status_.stStaCod, status);
    } else {
      AddReviewStatus(status_.stStaCod);
    }
    if (onTaskEnd_) onTaskEnd_();
    return;
  }
  progress_.AddLine(u"Unknown StatCode: 0x" + HexOf(static_cast<std::uint32_t>(phase), 2));
}
