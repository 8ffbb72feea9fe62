#include "shell/w11_ctx_menu.h"

#include "catalogue/payload_files.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "shell/w11_msix.h"

namespace {

// Gives the record back on every path, also when a deployment call raised.
class TParamsDone {
 public:
  explicit TParamsDone(TAsyncParams& ap) : ap_(ap) {}
  ~TParamsDone() {
    try {
      DoneAsyncParams(ap_);
    } catch (...) {
      // The record's own destructor still closes what is left open.
    }
  }
  TParamsDone(const TParamsDone&) = delete;
  TParamsDone& operator=(const TParamsDone&) = delete;

 private:
  TAsyncParams& ap_;
};

constexpr std::uint8_t cResultNone = 0;
constexpr std::uint8_t cResultRegistered = cFinCompleted;

}  // namespace

std::uint8_t ReadAsyncOutcome(TAsyncParams& ap, std::int32_t& code) {
  if (code < 0) return cResultNone;
  std::lock_guard<std::mutex> lock(ap.apCSResu);
  code = ap.apErrCod;
  return ap.apFinSta;
}

std::uint8_t InstallW11ContextMenu(THwnd window, const TNewSetup& ns, std::int32_t& code) {
  code = 0;
  if (!IsW11CtxMenuSupported()) return cResultNone;

  ustring found;
  if (FindFamilyPackage(cPkgFamily, cPkgFullName, found, code)) {
    code = cPkgPresent;
    return cResultRegistered;
  }
  if (code < 0) return cResultNone;

  TAsyncParams params;
  if (!found.empty()) {
    // Another registration of the family (usually an older version) goes
    // first. Its outcome does not matter: the addition follows regardless.
    const std::uint32_t wparam = PackTaskMsg(cTaskInstall, cStaPkgRemove, 0);
    // The removal line shows at once; the service may keep it queued a while.
    if (window != 0) {
      Os().PostWindowMessage(window, WM_SETUP_TASK, wparam, static_cast<std::intptr_t>(ProgressWord(cDeployQueued, 0)));
    }
    // A failed event creation is not checked here: the wait then answers false.
    InitAsyncParams(params, window, WM_SETUP_TASK, wparam);
    TParamsDone done(params);
    code = 0;
    RemovePackageByName(params, found, code);
  }

  // No message before the addition: its first progress report makes the line.
  InitAsyncParams(params, window, WM_SETUP_TASK, PackTaskMsg(cTaskInstall, cStaPkgAdd, 0));
  TParamsDone done(params);
  code = 0;
  const ustring location = AddBackslash(ns.nsInsLoc);
  const ustring package = location + PayFiles[cPayCtxMenuPackage].pfFilNam;
  if (AddSparsePackage(params, location, package, code)) return cResultRegistered;
  return ReadAsyncOutcome(params, code);
}
