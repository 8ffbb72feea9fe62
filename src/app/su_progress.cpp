// The form's handler of WM_SETUP_TASK: the lines the worker tasks leave on the
// Review and Finish pages, and the wizard's status code at each task's end.
#include "app/setup_form.h"
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

ustring TfmSetup::GetStatusText(int code) const { return SetupMsgText(code, fmNewSet.nsLangua); }

void TfmSetup::AddReviewStatus(int code) {
  const ustring text = GetStatusText(code);
  if (!text.empty()) FramRevi1.mmReview.AddLine(text);
}

void TfmSetup::AddProgressLine(int code, int status) {
  ustring text = GetStatusText(code);
  if (text.empty() || status > 3) return;
  IControl& memo = FramFini1.mmFiProg;
  const TSuLang lang = fmNewSet.nsLangua;
  if (code >= cStaPreparing && code <= cStaPkgResult) text += StepResults[static_cast<std::size_t>(status)][lang];
  else if (code > cStaPkgResult) memo.AddLine(u"");
  memo.AddLine(text);
  if (code == cStaInstallOk && fmStatus.stW11Nfo && fmNewSet.nsInsTyp == cInsTypNew) {
    memo.AddLine(u"");
    memo.AddLine(cTxFiW11Heading[lang]);
    memo.AddLine(cTxFiW11Hint[lang]);
  }
}

void TfmSetup::UpdatePackageLine(int phase, int status, std::intptr_t lparam) {
  const ustring head = GetStatusText(phase);
  if (head.empty() || status > 4) return;
  const TSuLang lang = fmNewSet.nsLangua;
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
    if (!fmStatus.stW11Nfo) fmStatus.stW11Nfo = status == cPkgCompleted;
  }
  // An already registered package needs no line.
  if (err == cPkgPresent) return;
  const ustring line = head + tail;
  IControl& memo = FramFini1.mmFiProg;
  const int last = memo.LineCount() - 1;
  // Successive progress of one phase rewrites its line; a new phase starts a new one.
  if (last >= 0 && memo.Line(last).compare(0, head.size(), head) == 0) memo.SetLine(last, line);
  else memo.AddLine(line);
}

void TfmSetup::WMSetupTask(std::uintptr_t wparam, std::intptr_t lparam) {
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
  if (phase == cPhaseStart) {
    if (task == cTaskPrepare) FramRevi1.WriteReviewSummary(fmNewSet, fmNewSet.nsLangua);
    return;
  }
  if (phase == cPhaseEnd) {
    // Only the task that runs can end. Messages reach the window from other
    // programs too; a stray end message would otherwise replace a start-up
    // failure or a result by its own code and open the pages after it.
    if (fmStatus.stStaCod != (task == cTaskPrepare ? cStaPrepRuns : cStaInstRuns)) return;
    fmStatus.stStaCod = status == 1 ? static_cast<std::uint8_t>(lparam & 0xFF) : cStaUnexpected;
    if (task == cTaskInstall) {
      if (fmStatus.stStaCod == cStaUnexpected) AddProgressLine(cStaUnexpected, status);
      if (fmStatus.stStaCod != cStaInstallOk) fmStatus.stStaCod = cStaInstallFailed;
      AddProgressLine(fmStatus.stStaCod, status);
    } else {
      AddReviewStatus(fmStatus.stStaCod);
    }
    UpdatePageState();
    return;
  }
  FramFini1.mmFiProg.AddLine(u"Unknown StatCode: 0x" + HexOf(static_cast<std::uint32_t>(phase), 2));
}
