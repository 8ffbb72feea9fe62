// Screenshots of every page of the wizard in both languages, written to
// CORVALIN_SCREENSHOT_DIR (the build folder when unset): a new installation
// in English, then an update of it with the wizard switched to German. Each
// page is checked to be the one the picture is meant to show.
#include <gtest/gtest.h>

#include "catalogue/identity.h"
#include "catalogue/setup_msgs.h"
#include "catalogue/texts.h"
#include "e2e/wizard_session.h"

namespace {

using namespace std::chrono_literals;

std::wstring ShotDir() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SCREENSHOT_DIR", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring(L".");
}

std::wstring Wide(const ustring& text) { return std::wstring(text.begin(), text.end()); }

void Shot(e2e::TWizardSession& session, const std::wstring& name) {
  ::Sleep(700);  // let the page finish painting
  EXPECT_TRUE(e2e::SaveWindowPng(session.window(), ShotDir() + L"\\" + name + L".png")) << e2e::Narrow(name);
}

std::wstring LastLine(e2e::TWizardSession& session, TCtlId memo) {
  const std::vector<std::wstring> lines = session.Lines(memo);
  return lines.empty() ? std::wstring() : lines.back();
}

bool ProductInstalled() {
  return ::GetFileAttributesW((e2e::InstallFolder() + L"\\Corvalin.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Walks through all five pages in `language`, saving each page, and installs;
// `update` says which installation type the Prepare page must show.
void WalkAndShoot(TSuLang language, const std::wstring& suffix, bool update) {
  e2e::TWizardSession session;
  ASSERT_TRUE(session.ok());
  session.WaitPage(idFramWelc);
  session.ChooseLanguage(language);
  EXPECT_EQ(session.Text(idLbWcTitl), Wide(cTxWcTitle[language] + ustring(cProductName)));
  Shot(session, L"1-welcome-" + suffix);
  session.WaitEnabled(idBtFrNext);
  session.Click(idBtFrNext);
  session.WaitPage(idFramLice);
  session.SetChecked(idCkLcAgre, true);
  EXPECT_FALSE(session.Lines(idMmLicens).empty());
  Shot(session, L"2-license-" + suffix);
  session.WaitEnabled(idBtFrNext);
  session.Click(idBtFrNext);
  session.WaitPage(idFramPrep);
  EXPECT_EQ(session.Text(idLbPpType),
            Wide(ustring(cTxPpTypeLabel[language]) + (update ? cTxPpTypeUpdate[language] : cTxPpTypeNew[language])));
  if (session.Enabled(idCkPpScDk)) session.SetChecked(idCkPpScDk, true);
  Shot(session, L"3-prepare-" + suffix);
  session.WaitEnabled(idBtFrNext);
  session.Click(idBtFrNext);
  session.WaitPage(idFramRevi);
  session.WaitEnabled(idBtFrNext, true, 120);
  EXPECT_EQ(LastLine(session, idMmReview), Wide(SetupMsgText(37, language)));
  Shot(session, L"4-review-" + suffix);
  session.InstallAndWaitForFinish();
  EXPECT_EQ(LastLine(session, idMmFiProg), Wide(SetupMsgText(45, language))) << session.Describe();
  Shot(session, L"5-finish-" + suffix);
  session.FinishAndExit(false);
}

// Every page of a new installation in English.
TEST(Screens, PagesEnglish) {
  ASSERT_FALSE(ProductInstalled()) << "the new installation needs a system without the product";
  WalkAndShoot(cLangEnglish, L"en", false);
}

// Every page in German as an update of an English installation: the update's
// pages with the longest German texts. Makes that installation itself when
// the system has none yet.
TEST(Screens, PagesGerman) {
  if (!ProductInstalled()) {
    e2e::TWizardSession first;
    ASSERT_TRUE(first.ok());
    first.GoToReview(false);
    first.InstallAndWaitForFinish();
    first.FinishAndExit(false);
    ASSERT_TRUE(ProductInstalled());
  }
  WalkAndShoot(cLangGerman, L"de", true);
}

}  // namespace
