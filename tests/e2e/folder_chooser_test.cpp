// The shell's folder chooser behind the Change button, as the real setup
// opens it: titled with the product name, the OK button captioned in the
// wizard's language; cancelling keeps the folder.
#include <gtest/gtest.h>

#include "e2e/wizard_session.h"
#include "support/process_window.h"

namespace {

using namespace std::chrono_literals;


HWND WaitForChooser(e2e::TWizardSession& s) {
  const HWND owner = s.window();
  HWND found = nullptr;
  std::string seen;
  e2e::WaitUntil(
      [&] {
        found = FindProcessWindow(s.process().pid(),
                                  [owner](HWND h) { return h != owner && ::GetDlgItem(h, IDOK) != nullptr; });
        return found != nullptr;
      },
      30s, [&] { return s.Describe(); }, seen);
  return found;
}

std::wstring ShotDir() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SCREENSHOT_DIR", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring(L".");
}

// Change opens the modal chooser with the product name and "Auswählen" in
// German; Cancel leaves the folder as it was.
TEST(FolderChooser, TitleOkTextAndCancel) {
  e2e::TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false, 1);
  s.WaitEnabled(idBtFrNext);
  s.Click(idBtFrBack);
  s.WaitPage(idFramPrep);
  const std::wstring before = s.Text(idLbPpFold);
  // The chooser is modal: post the click so this side stays free.
  ::PostMessageW(e2e::FindControl(s.window(), idBtPpFold), BM_CLICK, 0, 0);
  HWND chooser = WaitForChooser(s);
  ASSERT_NE(chooser, nullptr) << "no folder chooser appeared";
  ::Sleep(700);
  e2e::SaveWindowPng(chooser, ShotDir() + L"\\folder-chooser-de.png");
  EXPECT_EQ(e2e::WindowText(chooser), L"Corvalin");
  EXPECT_EQ(e2e::WindowText(::GetDlgItem(chooser, IDOK)), L"Auswählen");
  EXPECT_FALSE(::IsWindowEnabled(s.window())) << "the wizard waits for the modal chooser";
  ::PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
  std::string seen;
  EXPECT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(chooser); }, 30s, nullptr, seen));
  EXPECT_EQ(s.Text(idLbPpFold), before);
  s.WaitEnabled(idBtFrNext);
}

}  // namespace
