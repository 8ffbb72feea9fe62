#include "app/setup_form.h"

#include <exception>

#include "app/setup_defaults.h"
#include "app/setup_exit.h"
#include "catalogue/identity.h"
#include "catalogue/joined_texts.h"
#include "catalogue/texts.h"
#include "catalogue/vers_info.h"
#include "catalogue/version.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "engine/file_checks.h"
#include "engine/startup.h"
#include "engine/thr_inst.h"
#include "shell/win_shl_to.h"

namespace {

constexpr std::uint32_t cIconId = 1;    // the program's icon resource
constexpr std::uint32_t cLogoId = 101;  // the logo bitmap resource

TCtlId FrameOfPage(int page) {
  switch (page) {
    case cPgWelcome: return idFramWelc;
    case cPgLicense: return idFramLice;
    case cPgPrepare: return idFramPrep;
    case cPgReview: return idFramRevi;
    case cPgFinish: return idFramFini;
    default: return static_cast<TCtlId>(0);
  }
}

bool IsStartupFailure(std::uint8_t code) { return code >= 1 && code <= 6; }

}  // namespace

TfmSetup::TfmSetup(IFormView& view)
    : view_(view),
      btFrCanc(view.Control(idBtFrCanc)),
      btFrNext(view.Control(idBtFrNext)),
      btFrBack(view.Control(idBtFrBack)),
      lbTitle(view.Control(idLbTitle)),
      lbSuVers(view.Control(idLbSuVers)),
      FramWelc1(view),
      FramLice1(view),
      FramPrep1(view),
      FramRevi1(view),
      FramFini1(view),
      display_(FramRevi1.mmReview, FramFini1.mmFiProg, fmStatus, fmNewSet, [this] { UpdatePageState(); }) {}

void TfmSetup::FormCreate() {
  Os().Ui().OnException = [this](const ustring& message) { AppException(message); };
  // Like every other handler: an exception is shown and the wizard goes on
  // with what was made, instead of ending the process before its window shows.
  try {
    CreateWizard();
  } catch (const std::exception& e) {
    AppException(FromUtf8(e.what()));
    ShowReachedPage();
  } catch (...) {
    AppException(u"unknown exception");
    ShowReachedPage();
  }
}

void TfmSetup::ShowReachedPage() {
  try {
    UpdatePageState();
    ShowPage(fmStatus.stActPag);
  } catch (const std::exception& e) {
    AppException(FromUtf8(e.what()));
  }
}

void TfmSetup::CreateWizard() {
  view_.OnCloseQuery = [this] { return FormCloseQuery(); };
  view_.OnQueryEndSession = [this] { return FormQueryEndSession(); };
  view_.OnTaskMessage = [this](std::uintptr_t wparam, std::intptr_t lparam) { WMSetupTask(wparam, lparam); };
  btFrNext.OnClick = [this] { btFrNextClick(); };
  btFrBack.OnClick = [this] { btFrBackClick(); };
  btFrCanc.OnClick = [this] { btFrCancClick(); };

  fmStatus = TSuStatus{};
  fmNewSet = TNewSetup{};
  fmStatus.stStaCod = CheckStartup(fmNewSet.nsTotSiz);
  if (fmStatus.stStaCod == 0) fmStatus.stStaCod = InitNewSetup(fmNewSet);

  ShowPage(-1);
  FramWelc1.Init(fmNewSet.nsLangua, [this] { FramWelc1cbWcLangSelect(); });
  FramLice1.Init([this] { FramLice1ckLcAgreClick(); });
  FramPrep1.Init(fmNewSet, [this] { FramPrep1btPpFoldClick(); });
  FramRevi1.Init(fmNewSet.nsInsTyp, [this] { FramRevi1ckRvOvwtClick(); });
  FramFini1.Init();
  ApplyOptions(CmdParams);

  view_.LoadIcon(cIconId);
  view_.LoadLogo(cLogoId);
  lbTitle.SetCaption(ComposeTitleLine());
  lbSuVers.SetCaption(u"Tavo" + SetupVersionText(Os().GetOwnModulePath()));

  SetLanguage(fmNewSet.nsLangua);
  UpdatePageState();
  ShowPage(cPgWelcome);
}

bool TfmSetup::TaskRunning() const {
  return fmStatus.stStaCod == cStaPrepRuns || fmStatus.stStaCod == cStaInstRuns;
}

bool TfmSetup::IsBelowProgramFiles(const ustring& path) {
  ustring full;
  return FolderBelowProgramFiles(path, full);
}

bool TfmSetup::IsFolderAcceptable() {
  const ustring folder = FramPrep1.lbPpFold.Caption();
  // An update stays in the earlier installation's folder.
  if (fmNewSet.nsInsTyp == cInsTypUpdate) return !folder.empty() && folder == fmNewSet.nsInsLoc;
  return IsBelowProgramFiles(folder);
}

int TfmSetup::GetMaxPage() {
  const std::uint8_t code = fmStatus.stStaCod;
  if (IsStartupFailure(code)) return cPgWelcome;
  if (!FramLice1.ckLcAgre.Checked()) return cPgLicense;
  if (!IsFolderAcceptable()) return cPgPrepare;
  if (code == cStaSettingsOk || code == cStaInstallOk || code == cStaInstallFailed) return cPgFinish;
  return cPgReview;
}

void TfmSetup::UpdatePageState() {
  const int max = GetMaxPage();
  if (fmStatus.stActPag > max) fmStatus.stActPag = max;
  if (fmStatus.stActPag < 0) fmStatus.stActPag = 0;
  const int page = fmStatus.stActPag;
  const std::uint8_t code = fmStatus.stStaCod;
  const bool running = TaskRunning();

  const bool backOn = page != cPgWelcome && page != cPgFinish;
  // Next on Prepare would start a second preparation while one still runs.
  const bool nextOn = (max > page && !(page == cPgPrepare && running)) ||
                      (page == cPgFinish && (code == cStaInstallOk || code == cStaInstallFailed));
  btFrCanc.SetEnabled(page != cPgFinish);
  btFrBack.SetEnabled(backOn);
  btFrNext.SetEnabled(nextOn);
  FramPrep1.btPpFold.SetEnabled(fmNewSet.nsInsTyp == cInsTypNew);
  FramRevi1.ckRvOvwt.SetEnabled(fmNewSet.nsInsTyp == cInsTypNew && page == cPgReview && !running &&
                                AnyPayloadFileExists(fmNewSet.nsInsLoc));
  FramFini1.ckFiExec.SetEnabled(code == cStaInstallOk);

  if (!view_.IsVisible()) return;
  if (nextOn && (fmStatus.stWasNex || page == cPgWelcome)) btFrNext.SetFocus();
  else if (backOn && !fmStatus.stWasNex) btFrBack.SetFocus();
}

void TfmSetup::ShowPage(int index) {
  for (TCtlId frame : {idFramWelc, idFramLice, idFramPrep, idFramRevi, idFramFini})
    view_.Control(frame).SetVisible(false);
  const TCtlId shown = FrameOfPage(index);
  if (shown != 0) view_.Control(shown).SetVisible(true);
  IControl& agree = FramLice1.ckLcAgre;
  if (index == cPgLicense && agree.Enabled() && !agree.Checked()) agree.SetFocus();
  const TSuLang lang = fmNewSet.nsLangua;
  btFrNext.SetCaption(index == cPgReview ? cTxInstall[lang] : index == cPgFinish ? cTxFinish[lang] : cTxNext[lang]);
}

void TfmSetup::SetLanguage(TSuLang language) {
  view_.SetCaption(WindowCaption());
  btFrCanc.SetCaption(cTxCancel[language]);
  btFrBack.SetCaption(cTxBack[language]);
  btFrNext.SetCaption(cTxNext[language]);
  FramWelc1.SetLanguage(language, fmStatus.stStaCod);
  FramLice1.SetLanguage(language);
  FramPrep1.SetLanguage(language, fmNewSet.nsInsTyp);
  FramRevi1.SetLanguage(language);
  FramFini1.SetLanguage(language);
}

void TfmSetup::FramWelc1cbWcLangSelect() {
  const int index = FramWelc1.cbWcLang.ItemIndex();
  fmNewSet.nsLangua = index == 0 || index == 1 ? static_cast<TSuLang>(index) : cLangEnglish;
  SetLanguage(fmNewSet.nsLangua);
}

void TfmSetup::btFrNextClick() {
  fmStatus.stWasNex = true;
  fmStatus.stActPag += 1;
  if (fmStatus.stActPag == 3) fmStatus.stActPag = cPgReview;
  if (fmStatus.stActPag < 6) {
    UpdatePageState();
    ShowPage(fmStatus.stActPag);
    // Paint the new page before the task starts.
    Os().Ui().ProcessPendingEvents();
    if (fmStatus.stActPag == cPgReview) StartTask(cTaskPrepare);
    else if (fmStatus.stActPag == cPgFinish) StartTask(cTaskInstall);
    return;
  }
  if (FramFini1.ckFiExec.Checked()) RunProgram(AddBackslash(fmNewSet.nsInsLoc) + cMainProgram);
  view_.Close();
}

void TfmSetup::btFrBackClick() {
  fmStatus.stWasNex = false;
  fmStatus.stActPag -= 1;
  if (fmStatus.stActPag == 3) fmStatus.stActPag = cPgPrepare;
  UpdatePageState();
  ShowPage(fmStatus.stActPag);
}

void TfmSetup::btFrCancClick() {
  if (TaskRunning()) {
    const int answer = Os().Ui().ShowMessageBox(view_.Handle(), cTxCancelAsk[fmNewSet.nsLangua], WindowCaption(),
                                                cMbYesNo | cMbDefButton2 | cMbIconWarning);
    if (answer != cIdYes) return;
  }
  view_.Close();
}

void TfmSetup::StartTask(std::uint8_t taskId) {
  // One task at a time: its status code is the only record of it.
  if (TaskRunning()) return;
  const std::uint8_t before = fmStatus.stStaCod;
  if (taskId == cTaskInstall) {
    fmStatus.stStaCod = cStaInstRuns;
    FramFini1.mmFiProg.ClearLines();
  } else {
    fmStatus.stStaCod = cStaPrepRuns;
    FramRevi1.mmReview.ClearLines();
  }
  CollectChoices();
  // "Install", "Finish" and the overwrite box stay locked until the task's end message;
  // the other controls keep the states they had when the page was entered.
  if (fmStatus.stActPag == cPgReview || fmStatus.stActPag == cPgFinish) btFrNext.SetEnabled(false);
  FramRevi1.ckRvOvwt.SetEnabled(false);
  try {
    LaunchWorker(taskId);
  } catch (...) {
    // No worker, no end message: give the status back so the window can close.
    fmStatus.stStaCod = before;
    UpdatePageState();
    throw;
  }
}

void TfmSetup::LaunchWorker(std::uint8_t taskId) { TThrInst::Create(view_.Handle(), fmNewSet, taskId); }

void TfmSetup::CollectChoices() {
  fmNewSet.nsEulAgr = FramLice1.ckLcAgre.Checked();
  fmNewSet.nsCanOvr = FramRevi1.ckRvOvwt.Checked();
  fmNewSet.nsCutDsk = FramPrep1.ckPpScDk.Checked();
  if (fmNewSet.nsInsTyp == cInsTypNew) fmNewSet.nsInsLoc = AddBackslash(FramPrep1.lbPpFold.Caption());
  for (std::size_t i = 0; i < fmNewSet.nsAssoci.size(); ++i) fmNewSet.nsAssoci[i] = FramPrep1.ckPpAsc[i]->Checked();
}

void TfmSetup::FramLice1ckLcAgreClick() {
  if (FramLice1.ckLcAgre.Tag == 0 && fmStatus.stActPag == cPgLicense) UpdatePageState();
}

void TfmSetup::FramRevi1ckRvOvwtClick() {
  if (FramRevi1.ckRvOvwt.Tag == 0 && fmStatus.stActPag == cPgReview) StartTask(cTaskPrepare);
}

bool TfmSetup::FormCloseQuery() {
  if (!TaskRunning()) return true;
  // Say why the window stays, on the page the user is looking at: the memo
  // of Review or Finish, and a message box on the pages without one.
  const ustring why = cTxWaitMore[fmNewSet.nsLangua];
  if (fmStatus.stActPag == cPgReview) FramRevi1.mmReview.AddLine(why);
  else if (fmStatus.stActPag == cPgFinish) FramFini1.mmFiProg.AddLine(why);
  else Os().Ui().ShowMessageBox(view_.Handle(), why, WindowCaption(), cMbOk | cMbIconInformation);
  return false;
}

bool TfmSetup::FormQueryEndSession() { return !TaskRunning(); }

void TfmSetup::AppException(const ustring& message) {
  Os().Ui().ShowMessageBox(0, u"Exception: " + message, u"Setup", cMbOk | cMbIconError);
}

void TfmSetup::WMSetupTask(std::uintptr_t wparam, std::intptr_t lparam) { display_.WMSetupTask(wparam, lparam); }

void TfmSetup::ApplyOptions(const TCmdParams& cp) {
  if (fmStatus.stStaCod != 0) return;
  TNewSetup preset = fmNewSet;
  // A folder the Prepare page would refuse is not preset: the default stays.
  const bool folderTaken = ApplyCmdOptions(cp, preset);
  fmNewSet.nsLangua = preset.nsLangua;
  FramWelc1.cbWcLang.SetItemIndex(fmNewSet.nsLangua);
  if (folderTaken && preset.nsInsLoc != fmNewSet.nsInsLoc) {
    fmNewSet.nsInsLoc = preset.nsInsLoc;
    FramPrep1.lbPpFold.SetCaption(fmNewSet.nsInsLoc);
  }
  // Code sets the boxes: their tags keep the click handlers quiet.
  const auto tick = [](IControl& box, bool on) {
    if (!on) return;
    box.Tag = 1;
    box.SetChecked(true);
    box.Tag = 0;
  };
  tick(FramLice1.ckLcAgre, preset.nsEulAgr);
  tick(FramPrep1.ckPpScDk, cp.cpDskIco);
  tick(FramRevi1.ckRvOvwt, cp.cpCanOvr);
}

std::uint32_t TfmSetup::ExitCode() const {
  const std::uint8_t code = fmStatus.stStaCod;
  if (IsStartupFailure(code)) return ExitCodeOfStartup(code);
  if (display_.TasksEnded() > 0 && display_.LastTask() == cTaskInstall)
    return ExitCodeOfInstallation(display_.LastResult(), fmStatus.stRestart);
  return cExitUserExit;
}
