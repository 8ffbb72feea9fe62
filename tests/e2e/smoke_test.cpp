// The real Corvalin-Setup.exe starts under Wine, shows its window with the
// caption, title line and version label, and ends with exit code 1602 (the
// user left before an installation ran) on close.
#include <gtest/gtest.h>

#include "catalogue/vers_info.h"
#include "e2e/driver.h"

namespace {

using namespace std::chrono_literals;

// Start, look, close: the window's texts and the process's exit code.
TEST(Smoke, StartsShowsTitleAndExitsWithUserExitOnClose) {
  const std::wstring exe = e2e::SetupExePath();
  ASSERT_FALSE(exe.empty()) << "CORVALIN_SETUP_EXE is not set";
  e2e::TSetupProcess setup;
  ASSERT_TRUE(setup.Start(exe)) << "cannot start " << e2e::Narrow(exe);
  HWND window = setup.WaitForWindow(180s);
  ASSERT_NE(window, nullptr) << "no wizard window appeared";
  EXPECT_EQ(e2e::WindowText(window), L"Setup - Corvalin");
  EXPECT_EQ(e2e::ControlText(window, idLbTitle), L"Corvalin 10.01.10001 x64 KQ");
  EXPECT_EQ(e2e::ControlText(window, idLbSuVers), L"Tavo v3.0.0");
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD code = 1234;
  ASSERT_TRUE(setup.WaitForExit(30s, code)) << "the process did not end after the close request";
  EXPECT_EQ(code, 1602u);
}

// The exe's own version resource: one translation 0409/04E4, file version
// 3.0.0.10001 and product version "10.0", read through the real version API.
TEST(Smoke, OwnVersionResource) {
  const std::wstring exe = e2e::SetupExePath();
  const ustring path(reinterpret_cast<const char16_t*>(exe.c_str()));
  TVersInfoArr info;
  std::uint32_t count = 0;
  ASSERT_TRUE(ReadVersionInfo(path, info, count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(info[0].Transl.Lang, 0x0409);
  EXPECT_EQ(info[0].Transl.CharSet, 0x04E4);
  EXPECT_EQ(ustring(info[0].Values[9]), u"3.0.0.10001");
  EXPECT_EQ(ustring(info[0].Values[5]), u"10.0");
  EXPECT_EQ(SetupVersionText(path), u" v3.0.0");
}

}  // namespace
