// Screenshots of the wizard for the README, written to CORVALIN_SCREENSHOT_DIR
// (the build folder when unset). Pages beyond Welcome follow the wizard.
#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace {

using namespace std::chrono_literals;

std::wstring ShotDir() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SCREENSHOT_DIR", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring(L".");
}

// The Welcome page as the user first sees it.
TEST(Screens, Welcome) {
  e2e::TSetupProcess setup;
  ASSERT_TRUE(setup.Start(e2e::SetupExePath()));
  HWND window = setup.WaitForWindow(60s);
  ASSERT_NE(window, nullptr);
  ::Sleep(1000);  // let the first paint finish
  EXPECT_TRUE(e2e::SaveWindowPng(window, ShotDir() + L"\\welcome-en.png"));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD code = 1;
  EXPECT_TRUE(setup.WaitForExit(30s, code));
}

}  // namespace
