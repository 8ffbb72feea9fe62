#include "e2e/wizard_session.h"

#include <shlobj.h>

#include <chrono>
#include <sstream>

#include "e2e/system_probe.h"

namespace e2e {

using namespace std::chrono_literals;

TWizardSession::TWizardSession(const std::wstring& exe) {
  if (!process_.Start(exe)) {
    ADD_FAILURE() << "cannot start " << Narrow(exe);
    return;
  }
  window_ = process_.WaitForWindow(180s);
  if (window_ == nullptr) ADD_FAILURE() << "no wizard window appeared";
}

void TWizardSession::SetChecked(TCtlId id, bool checked) {
  if (Checked(id) != checked) Click(id);
  EXPECT_EQ(Checked(id), checked) << "check box " << id;
}

std::string TWizardSession::Describe() const {
  std::ostringstream out;
  static const TCtlId frames[] = {idFramWelc, idFramLice, idFramPrep, idFramRevi, idFramFini};
  static const char* names[] = {"Welcome", "License", "Prepare", "Review", "Finish"};
  for (int i = 0; i < 5; ++i)
    if (IsShown(window_, frames[i])) out << "page " << names[i] << "; ";
  out << "Back " << (Enabled(idBtFrBack) ? "on" : "off") << ", Next \"" << Narrow(Text(idBtFrNext)) << "\" "
      << (Enabled(idBtFrNext) ? "on" : "off") << ", Cancel " << (Enabled(idBtFrCanc) ? "on" : "off");
  for (TCtlId memo : {idMmWcNote, idMmReview, idMmFiProg}) {
    const auto lines = Lines(memo);
    if (lines.empty()) continue;
    out << "\n  memo " << memo << ":";
    for (const auto& l : lines) out << "\n    | " << Narrow(l);
  }
  return out.str();
}

void TWizardSession::WaitEnabled(TCtlId id, bool enabled, int seconds) {
  std::string seen;
  EXPECT_TRUE(WaitUntil([&] { return Enabled(id) == enabled; }, std::chrono::seconds(seconds),
                        [&] { return Describe(); }, seen))
      << "control " << id << " did not become " << (enabled ? "enabled" : "disabled") << "; the window showed: "
      << seen;
}

void TWizardSession::WaitLastLine(TCtlId memo, const std::wstring& text, int seconds) {
  std::string seen;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const auto lines = Lines(memo);
        return !lines.empty() && lines.back() == text;
      },
      std::chrono::seconds(seconds), [&] { return Describe(); }, seen))
      << "memo " << memo << " did not end with \"" << Narrow(text) << "\"; the window showed: " << seen;
}

void TWizardSession::WaitPage(TCtlId frame, int seconds) {
  std::string seen;
  EXPECT_TRUE(WaitUntil([&] { return IsShown(window_, frame); }, std::chrono::seconds(seconds),
                        [&] { return Describe(); }, seen))
      << "page " << frame << " did not show; the window showed: " << seen;
}

void TWizardSession::GoToReview(bool desktop, int language) {
  WaitPage(idFramWelc);
  if (language != 0) ChooseLanguage(language);
  WaitEnabled(idBtFrNext);
  Click(idBtFrNext);
  WaitPage(idFramLice);
  SetChecked(idCkLcAgre, true);
  WaitEnabled(idBtFrNext);
  Click(idBtFrNext);
  WaitPage(idFramPrep);
  if (Enabled(idCkPpScDk)) SetChecked(idCkPpScDk, desktop);
  WaitEnabled(idBtFrNext);
  Click(idBtFrNext);
  WaitPage(idFramRevi);
}

void TWizardSession::InstallAndWaitForFinish() {
  WaitEnabled(idBtFrNext);
  Click(idBtFrNext);
  WaitPage(idFramFini);
  WaitEnabled(idBtFrNext, true, 300);
}

void TWizardSession::FinishAndExit(bool runNow, DWORD expected) {
  if (runNow) SetChecked(idCkFiExec, true);
  Click(idBtFrNext);
  DWORD code = 1234;
  EXPECT_TRUE(process_.WaitForExit(60s, code)) << "the setup did not end after Finish";
  EXPECT_EQ(code, expected);
}

std::wstring ProgramFilesFolder() { return SpecialFolder(CSIDL_PROGRAM_FILES); }
std::wstring InstallFolder() { return ProgramFilesFolder() + L"\\Corvalin"; }

std::wstring SampleDir() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SAMPLE_DIR", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace e2e
