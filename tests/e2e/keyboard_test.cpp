// The wizard driven from the keyboard alone, with real key presses: Enter is
// the enabled Next, Space ticks the focused box, Tab walks the page in reading
// order and on to Cancel, Back and Next, Alt with a caption's letter presses
// that control, and Esc is Cancel.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/wizard_session.h"

namespace {

using namespace std::chrono_literals;

void Press(WORD key, bool alt = false) {
  std::vector<INPUT> input;
  auto add = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(in);
  };
  if (alt) add(VK_MENU, false);
  add(key, false);
  add(key, true);
  if (alt) add(VK_MENU, true);
  ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  ::Sleep(300);
}

std::wstring ShotDir() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SCREENSHOT_DIR", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring(L".");
}

// The id of the control that has the keyboard focus in the setup's window.
int FocusedId(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) || info.hwndFocus == nullptr) return 0;
  return ::GetDlgCtrlID(info.hwndFocus);
}

void WaitFocus(e2e::TWizardSession& s, int id) {
  std::string seen;
  EXPECT_TRUE(e2e::WaitUntil([&] { return FocusedId(s.window()) == id; }, 10s,
                             [&] { return "focus on " + std::to_string(FocusedId(s.window())); }, seen))
      << "expected the focus on " << id << ", " << seen;
}

// Through Welcome, License and Prepare and back out with the keyboard only.
TEST(Keyboard, WholeWizardWithoutMouse) {
  e2e::TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.WaitPage(idFramWelc);
  ::SetForegroundWindow(s.window());
  WaitFocus(s, idBtFrNext);

  Press(VK_RETURN);
  s.WaitPage(idFramLice);
  WaitFocus(s, idCkLcAgre);
  Press(VK_SPACE);
  s.WaitEnabled(idBtFrNext);
  EXPECT_TRUE(s.Checked(idCkLcAgre));
  WaitFocus(s, idBtFrNext);

  Press(VK_RETURN);
  s.WaitPage(idFramPrep);
  WaitFocus(s, idBtFrNext);
  // Reading order: the folder's button, the desktop box (the start-menu box is
  // locked), the eight association boxes row by row, then the wizard's buttons.
  const std::vector<int> order{idBtPpFold, idCkPpScDk, idCkPpAsc0, idCkPpAsc1, idCkPpAsc2, idCkPpAsc3, idCkPpAsc4,
                               idCkPpAsc5, idCkPpAsc6, idCkPpAsc7, idBtFrCanc, idBtFrBack, idBtFrNext};
  for (int id : order) {
    Press(VK_TAB);
    WaitFocus(s, id);
  }

  // Alt and the first letter of "Back", then of "Next". With Alt pressed the
  // letters are underlined (saved for a look).
  Press('B', true);
  s.WaitPage(idFramLice);
  e2e::SaveWindowPng(s.window(), ShotDir() + L"\\keyboard-cues-en.png");
  Press('N', true);
  s.WaitPage(idFramPrep);

  // Esc is Cancel; with no task running the window closes at once.
  Press(VK_ESCAPE);
  DWORD code = 1234;
  EXPECT_TRUE(s.process().WaitForExit(30s, code)) << s.Describe();
  EXPECT_EQ(code, 1602u) << "left before an installation ran";
}

}  // namespace
