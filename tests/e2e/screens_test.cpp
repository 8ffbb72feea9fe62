// Screenshots of every page of the wizard in both languages, written to
// CORVALIN_SCREENSHOT_DIR (the build folder when unset): a new installation
// in English, then an update of it with the wizard switched to German.
#include <gtest/gtest.h>

#include "e2e/wizard_session.h"

namespace {

using namespace std::chrono_literals;

std::wstring ShotDir() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SCREENSHOT_DIR", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring(L".");
}

void Shot(e2e::TWizardSession& session, const std::wstring& name) {
  ::Sleep(700);  // let the page finish painting
  EXPECT_TRUE(e2e::SaveWindowPng(session.window(), ShotDir() + L"\\" + name + L".png")) << e2e::Narrow(name);
}

// Walks through all five pages in `language`, saving each page, and installs.
void WalkAndShoot(int language, const std::wstring& suffix) {
  e2e::TWizardSession session;
  ASSERT_TRUE(session.ok());
  session.WaitPage(idFramWelc);
  session.ChooseLanguage(language);
  Shot(session, L"1-welcome-" + suffix);
  session.WaitEnabled(idBtFrNext);
  session.Click(idBtFrNext);
  session.WaitPage(idFramLice);
  session.SetChecked(idCkLcAgre, true);
  Shot(session, L"2-license-" + suffix);
  session.WaitEnabled(idBtFrNext);
  session.Click(idBtFrNext);
  session.WaitPage(idFramPrep);
  if (session.Enabled(idCkPpScDk)) session.SetChecked(idCkPpScDk, true);
  Shot(session, L"3-prepare-" + suffix);
  session.WaitEnabled(idBtFrNext);
  session.Click(idBtFrNext);
  session.WaitPage(idFramRevi);
  session.WaitEnabled(idBtFrNext, true, 120);
  Shot(session, L"4-review-" + suffix);
  session.InstallAndWaitForFinish();
  Shot(session, L"5-finish-" + suffix);
  session.FinishAndExit(false);
}

// Every page of a new installation in English.
TEST(Screens, PagesEnglish) { WalkAndShoot(0, L"en"); }

// Every page in German, over the installation the English run left: the
// update's pages with the longest German texts.
TEST(Screens, PagesGerman) { WalkAndShoot(1, L"de"); }

}  // namespace
