// End-to-end: the real Corvalin-Setup.exe unattended (/S:1) under Wine: no
// window at any moment, the same installation as the wizard's, the exit
// codes, one setup at a time, and the log.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "e2e/scenario_fixture.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

const std::wstring kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  return temp;
}

struct TVisibleWindows {
  DWORD pid;
  std::wstring seen;  // class names of the process's visible top-level windows
};

BOOL CALLBACK NoteVisible(HWND hwnd, LPARAM lp) {
  auto* v = reinterpret_cast<TVisibleWindows*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == v->pid && ::IsWindowVisible(hwnd)) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    v->seen += std::wstring(cls) + L" ";
  }
  return TRUE;
}

// Runs the setup with arguments to its end, watching all the while for a
// visible window of the process; the exit code, and what was seen.
DWORD RunSetup(const std::wstring& exe, const std::wstring& arguments, std::wstring& visible) {
  TSetupProcess setup;
  if (!setup.Start(exe, arguments)) {
    ADD_FAILURE() << "cannot start " << Narrow(exe);
    return 0xFFFFFFFF;
  }
  TVisibleWindows watch{setup.pid(), L""};
  DWORD code = 0xFFFFFFFF;
  const auto end = std::chrono::steady_clock::now() + 300s;
  while (!setup.WaitForExit(5ms, code)) {
    ::EnumWindows(&NoteVisible, reinterpret_cast<LPARAM>(&watch));
    if (std::chrono::steady_clock::now() > end) {
      ADD_FAILURE() << "the setup did not end";
      break;
    }
  }
  visible = watch.seen;
  return code;
}

std::string LogText(const std::wstring& path) {
  const auto bytes = ReadFileBytes(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class Unattended : public Scenario {};

// /S:1 /E:1 /I:1: a new installation with no window at any moment, the same
// files, registry and links as the wizard's; run again, an update; the log
// in the temp folder and, with /R, at a path with a space.
TEST_F(Unattended, NewInstallationThenUpdate) {
  std::wstring visible;
  EXPECT_EQ(RunSetup(SetupExePath(), L"/S:1 /E:1 /I:1", visible), 0u);
  EXPECT_TRUE(visible.empty()) << "visible windows: " << Narrow(visible);
  ExpectFilesInstalled();
  ExpectRegistry(false);
  ExpectLinks(false, true);

  const std::wstring logFolder = TempFolder() + L"Deploy Logs";
  ::CreateDirectoryW(logFolder.c_str(), nullptr);
  const std::wstring log = logFolder + L"\\corvalin run.log";
  EXPECT_EQ(RunSetup(SetupExePath(), L"/S:1 /E:1 /R:\"" + log + L"\"", visible), 0u);
  EXPECT_TRUE(visible.empty()) << "visible windows: " << Narrow(visible);
  ExpectFilesInstalled();
  ExpectLinks(false, true);  // an update keeps the desktop link

  const std::string first = LogText(TempFolder() + L"Corvalin-Setup.log");
  EXPECT_EQ(first.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
  EXPECT_NE(first.find("\r\nInstallation type: New installation\r\n"), std::string::npos) << first;
  EXPECT_NE(first.find("\r\nInstallation completed successfully.\r\nStatus code: 45\r\nExit code: 0\r\n"),
            std::string::npos)
      << first;
  const std::string second = LogText(log);
  EXPECT_EQ(second.rfind("\xEF\xBB\xBF", 0), 0u) << "no log at the /R path";
  EXPECT_NE(second.find("Update"), std::string::npos) << second;
  EXPECT_EQ(Count(second, "Exit code: 0\r\n"), 1u) << second;
}

// Without /E:1 nothing is installed (1639); a damaged copy ends with 1620.
TEST_F(Unattended, RefusalsInstallNothing) {
  std::wstring visible;
  EXPECT_EQ(RunSetup(SetupExePath(), L"/S:1 /I:1", visible), 1639u);
  const std::wstring copy = MakeDamagedSetupCopy();
  ASSERT_FALSE(copy.empty());
  EXPECT_EQ(RunSetup(copy, L"/S:1 /E:1", visible), 1620u);
  EXPECT_TRUE(visible.empty()) << "visible windows: " << Narrow(visible);
  EXPECT_FALSE(FileExists(InstallFolder() + L"\\Corvalin.exe"));
  EXPECT_FALSE(MachineKeyExists(kUninstallKey));
  EXPECT_EQ(Count(LogText(TempFolder() + L"Corvalin-Setup.log"), "Exit code: 16"), 2u);
}

// A second setup while the first shows its wizard ends with 1618, in both
// modes, and the first goes on working.
TEST_F(Unattended, SecondSetupWhileTheWizardShows) {
  TWizardSession first;
  ASSERT_TRUE(first.ok());
  std::wstring visible;
  EXPECT_EQ(RunSetup(SetupExePath(), L"/S:1 /E:1", visible), 1618u);
  EXPECT_EQ(RunSetup(SetupExePath(), L"", visible), 1618u);
  EXPECT_TRUE(visible.empty()) << "the second setup showed: " << Narrow(visible);
  EXPECT_FALSE(MachineKeyExists(kUninstallKey));

  first.GoToReview(false);
  first.WaitLastLine(idMmReview, L"All settings OK.");
  first.Click(idBtFrCanc);
  DWORD code = 0;
  EXPECT_TRUE(first.process().WaitForExit(30s, code));
  EXPECT_EQ(code, 1602u);
}

}  // namespace
