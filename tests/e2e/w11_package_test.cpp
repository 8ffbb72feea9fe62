// The Windows 11 context-menu package step end to end: the real setup in a
// prefix that reports Windows 11 (build 22631) with the stand-in deployment
// service registered (scripts/w11-standin-prefix.sh), so that the setup's own
// eligibility check, the real runtime bridge and the Finish page all take
// part. The stand-in's scenario and its report file reach it through the
// environment the setup inherits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/system_probe.h"
#include "e2e/wizard_session.h"

namespace {

using namespace e2e;

const std::wstring kHint =
    L"The menu entry for Corvalin must be registered on user level. This is already done for the user, who is "
    L"running the setup. Other users simply start once the main program Corvalin.exe and then restart the "
    L"Windows Explorer.";

class W11Package : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    report_ = std::wstring(temp) + L"corvalin-standin-report.txt";
    ::DeleteFileW(report_.c_str());
    ::SetEnvironmentVariableW(L"CORVALIN_DEPLOY_STANDIN_REPORT", report_.c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"CORVALIN_DEPLOY_STANDIN", nullptr);
    ::SetEnvironmentVariableW(L"CORVALIN_DEPLOY_STANDIN_REPORT", nullptr);
  }
  // What the stand-in wrote when the setup ended.
  std::string Report() {
    const auto bytes = ReadFileBytes(report_);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("no report");
  }
  std::wstring report_;
};

// An older registration of the package is removed, the package added; the
// Finish page shows both lines at 100 %, "Completed" and the per-user hints.
TEST_F(W11Package, OlderOneReplaced) {
  ::SetEnvironmentVariableW(L"CORVALIN_DEPLOY_STANDIN", L"packages=Corvalin.w11ContextMenu_0.9.0.0_x64__k3v9qd2mzt8wa");
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false);
  s.InstallAndWaitForFinish();
  EXPECT_EQ(s.Lines(idMmFiProg),
            (std::vector<std::wstring>{L"Installing files ... OK", L"Registering application ... OK",
                                       L"Creating shortcuts ... OK",
                                       L"Uninstalling old version of context menu entries - processing ... 100 %",
                                       L"Installing context menu entries - processing ... 100 %",
                                       L"Installation of context menu entries: Completed", L"",
                                       L"Installation completed successfully.", L"",
                                       L"Hints regarding Windows 11 context menu:", kHint}))
      << s.Describe();
  s.FinishAndExit(false);
  EXPECT_EQ(Report(),
            "objects alive: 0, released too often: 0\r\n"
            "registered: Corvalin.w11ContextMenu_1.0.0.0_x64__k3v9qd2mzt8wa\r\n");
}

// The addition fails: "Error" with the code and the system's text for it, the
// installation still succeeds, and no per-user hints.
TEST_F(W11Package, AdditionFails) {
  ::SetEnvironmentVariableW(L"CORVALIN_DEPLOY_STANDIN", L"add=error:80070005:Access is denied by policy.");
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false);
  s.InstallAndWaitForFinish();
  const std::vector<std::wstring> lines = s.Lines(idMmFiProg);
  ASSERT_EQ(lines.size(), 7u) << s.Describe();
  EXPECT_EQ(lines[3], L"Installing context menu entries - processing ... 100 %");
  const std::wstring head = L"Installation of context menu entries: Error (0x80070005: ";
  EXPECT_EQ(lines[4].substr(0, head.size()), head) << Narrow(lines[4]);
  EXPECT_EQ(lines[4].back(), L')') << Narrow(lines[4]);
  EXPECT_EQ(lines[5], L"");
  EXPECT_EQ(lines[6], L"Installation completed successfully.");
  s.FinishAndExit(false);
  EXPECT_EQ(Report(), "objects alive: 0, released too often: 0\r\n");
}

}  // namespace
