// TfmSetup: the one window of the setup — start-up checks, page moves, the
// two worker tasks, their progress and the close rules — as portable code
// over IFormView. Every handler runs on the GUI thread.
#pragma once
#include <cstdint>

#include "app/su_fm_fini.h"
#include "app/su_fm_lice.h"
#include "app/su_fm_prep.h"
#include "app/su_fm_revi.h"
#include "app/su_fm_welc.h"
#include "app/su_progress.h"
#include "app/su_status.h"
#include "common/cmdline.h"
#include "common/setup_choices.h"
#include "platform/ui.h"


// Page indices.
constexpr std::int32_t cPgWelcome = 0, cPgLicense = 1, cPgPrepare = 2, cPgReview = 4, cPgFinish = 5;

class TfmSetup {
 public:
  // The form drives `view` through the UI services of the current platform.
  explicit TfmSetup(IFormView& view);
  TfmSetup(const TfmSetup&) = delete;
  TfmSetup& operator=(const TfmSetup&) = delete;

  // Runs the start-up checks and fills the hidden window; Welcome is the page.
  void FormCreate();

  // --- event handlers (hooked by FormCreate) ---
  bool FormCloseQuery();        // false while a task runs
  bool FormQueryEndSession();   // the system's shutdown query: false while a task runs
  void btFrNextClick();
  void btFrBackClick();
  void btFrCancClick();
  void FramLice1ckLcAgreClick();
  void FramRevi1ckRvOvwtClick();
  void FramWelc1cbWcLangSelect();
  void FramPrep1btPpFoldClick();
  // WM_SETUP_TASK from a worker: progress lines, the task's end and its status code.
  void WMSetupTask(std::uintptr_t wparam, std::intptr_t lparam);
  // Shows an exception that escaped an event handler; the wizard goes on.
  void AppException(const ustring& message);

  const TSuStatus& Status() const { return fmStatus; }
  const TNewSetup& NewSetup() const { return fmNewSet; }
  // The process exit code for the state reached: the start-up failure's, the
  // installation's outcome once it ran, otherwise the user left (1602).
  std::uint32_t ExitCode() const;
  // What the Review and Finish pages show now (the log takes them).
  const IControl& ReviewMemo() const { return FramRevi1.mmReview; }
  const IControl& ProgressMemo() const { return FramFini1.mmFiProg; }

 private:
  // controller
  void CreateWizard();      // FormCreate's work, inside its exception guard
  void ShowReachedPage();   // after a failed creation: the page and buttons it reached
  int GetMaxPage();
  bool IsFolderAcceptable();
  bool IsBelowProgramFiles(const ustring& path);
  void UpdatePageState();
  void ShowPage(int index);
  void StartTask(std::uint8_t taskId);
  void LaunchWorker(std::uint8_t taskId);
  void CollectChoices();
  void SetLanguage(TSuLang language);
  bool TaskRunning() const;
  // The command line's options preset the boxes, the language and the folder.
  void ApplyOptions(const TCmdParams& cp);

  IFormView& view_;
  IControl& btFrCanc;
  IControl& btFrNext;
  IControl& btFrBack;
  IControl& lbTitle;
  IControl& lbSuVers;
  TFramWelc FramWelc1;
  TFramLice FramLice1;
  TFramPrep FramPrep1;
  TFramRevi FramRevi1;
  TFramFini FramFini1;

  TSuStatus fmStatus;
  TNewSetup fmNewSet;
  TTaskDisplay display_;  // the progress display over the two memos
};
