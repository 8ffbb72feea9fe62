// One cycle of what a deployment system does with the setup, for the soak
// (scripts/soak.sh runs it many times, each in a fresh prefix; it is no
// CTest scenario of its own): an unattended new installation, an update,
// two setups started at the same moment, a wizard whose Cancel comes while
// the preparation runs, and the stored quiet uninstall command, after which
// the system is as it was before the cycle.
//
// CORVALIN_SOAK_CYCLE (a number) varies the language and the desktop link;
// CORVALIN_SOAK_TIMES names a file that gets one line per step:
// "<step> <milliseconds> <exit codes>".
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>

#include "catalogue/setup_msgs.h"
#include "catalogue/texts.h"
#include "common/task_msg.h"
#include "e2e/scenario_fixture.h"
#include "e2e/system_snapshot.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

const std::wstring kEntry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

// Times one step and writes its line to the times file.
class TStepClock {
 public:
  // The marker line tells the steps apart in the Wine trace that the soak keeps of a failed cycle.
  explicit TStepClock(const char* step) : step_(step), start_(std::chrono::steady_clock::now()) {
    std::fprintf(stderr, "soak: step %s begins\n", step);
    std::fflush(stderr);
  }
  void Done(const std::string& codes) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    const std::wstring path = Env(L"CORVALIN_SOAK_TIMES");
    if (path.empty()) return;
    FILE* f = _wfopen(path.c_str(), L"ab");
    if (f == nullptr) return;
    std::fprintf(f, "%s %lld %s\n", step_, static_cast<long long>(ms.count()), codes.c_str());
    std::fclose(f);
  }

 private:
  const char* step_;
  std::chrono::steady_clock::time_point start_;
};

// Runs the setup with arguments to its end (at most five minutes); 0xFFFFFFFF when it did not end.
DWORD RunToEnd(TSetupProcess& setup) {
  DWORD code = 0xFFFFFFFF;
  if (!setup.WaitForExit(300s, code)) {
    ADD_FAILURE() << "the setup did not end within five minutes";
    return 0xFFFFFFFF;
  }
  return code;
}

DWORD RunSetup(const std::wstring& arguments) {
  TSetupProcess setup;
  if (!setup.Start(SetupExePath(), arguments)) {
    ADD_FAILURE() << "cannot start the setup";
    return 0xFFFFFFFF;
  }
  return RunToEnd(setup);
}

std::wstring Stored(const wchar_t* name) {
  const auto v = ReadMachineValue(kEntry, name);
  return v ? v->Text() : L"";
}

class SoakCycle : public Scenario {
 protected:
  void ExpectInstalled(bool german, bool desktop) {
    ExpectFilesInstalled();
    ExpectRegistry(german);
    ExpectLinks(german, desktop);
  }

  // Cancel posted right behind Next on Prepare arrives while the preparation
  // runs: the question must come. answer is IDNO or IDYES.
  void CancelDuringPreparation(TWizardSession& s, int answer, bool german) {
    s.WaitPage(idFramPrep);
    s.WaitEnabled(idBtFrNext);
    ASSERT_TRUE(PostClicksTogether(s.window(), {idBtFrNext, idBtFrCanc}));
    HWND box = WaitForMessageBox(s.process().pid(), 30s);
    if (box == nullptr) {
      DWORD code = 0;
      const bool ended = s.process().WaitForExit(0ms, code);
      FAIL() << "no question was asked; the window showed: " << s.Describe() << "; the setup "
             << (ended ? "ended with exit code " + std::to_string(code) : std::string("still runs"));
    }
    EXPECT_EQ(MessageBoxText(box), W(cTxCancelAsk[german ? 1 : 0].c_str()));
    ::PostMessageW(box, WM_COMMAND, answer, 0);
  }
};

TEST_F(SoakCycle, DeploymentCycle) {
  const int cycle = _wtoi(Env(L"CORVALIN_SOAK_CYCLE").c_str());
  const bool german = cycle % 2 == 1;
  const bool desktop = cycle % 4 >= 2;
  const std::wstring lang = german ? L" /L:1" : L" /L:0";
  const std::wstring quiet = L"/S:1 /E:1" + lang + (desktop ? L" /I:1" : L"");
  const std::vector<std::wstring> before = ExportSoftware();

  {
    TStepClock clock("install");
    const DWORD code = RunSetup(quiet);
    clock.Done(std::to_string(code));
    ASSERT_EQ(code, 0u) << "unattended new installation";
    ExpectInstalled(german, desktop);
  }
  {
    TStepClock clock("update");
    const DWORD code = RunSetup(quiet);
    clock.Done(std::to_string(code));
    ASSERT_EQ(code, 0u) << "unattended update";
    ExpectInstalled(german, desktop);
  }
  {
    // Both started before either can have ended: one installs, the other
    // meets the guard (1618) or, when it came after the first had ended, installs too.
    TStepClock clock("concurrent");
    TSetupProcess first, second;
    ASSERT_TRUE(first.Start(SetupExePath(), quiet));
    ASSERT_TRUE(second.Start(SetupExePath(), quiet));
    const DWORD a = RunToEnd(first), b = RunToEnd(second);
    clock.Done(std::to_string(a) + "," + std::to_string(b));
    const std::multiset<DWORD> codes{a, b};
    EXPECT_TRUE(codes == std::multiset<DWORD>({0, 1618}) || codes == std::multiset<DWORD>({0, 0}))
        << "two setups at once ended with " << a << " and " << b;
    ExpectInstalled(german, desktop);
  }
  {
    TStepClock clock("wizard-cancel");
    TWizardSession s(SetupExePath());
    ASSERT_TRUE(s.ok());
    s.WaitPage(idFramWelc);
    s.WaitEnabled(idBtFrNext);
    s.Click(idBtFrNext);
    s.WaitPage(idFramLice);
    s.SetChecked(idCkLcAgre, true);
    s.WaitEnabled(idBtFrNext);
    s.Click(idBtFrNext);
    // No: the wizard goes on and the preparation ends as usual.
    ASSERT_NO_FATAL_FAILURE(CancelDuringPreparation(s, IDNO, german));
    s.WaitLastLine(idMmReview, W(SetupMsgs[cStaSettingsOk - cFirstMsgCode][german ? 1 : 0].c_str()));
    // Yes: the window closes with 1602 once the preparation has ended.
    s.WaitEnabled(idBtFrBack);
    s.Click(idBtFrBack);
    ASSERT_NO_FATAL_FAILURE(CancelDuringPreparation(s, IDYES, german));
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(s.process().WaitForExit(60s, code)) << "the wizard did not close after Yes";
    clock.Done(std::to_string(code));
    EXPECT_EQ(code, 1602u);
    ExpectInstalled(german, desktop);
  }
  {
    TStepClock clock("uninstall");
    const std::wstring command = Stored(L"QuietUninstallString");
    ASSERT_FALSE(command.empty());
    TStoredCommand run(command);
    ASSERT_TRUE(run.started());
    const DWORD code = run.WaitForExit(120s);
    const bool copyEnded = WaitForUninstallers(120s);
    clock.Done(std::to_string(code));
    EXPECT_EQ(code, 0u) << "quiet uninstallation";
    ASSERT_TRUE(copyEnded) << "the uninstaller's copy did not end";
  }
  EXPECT_FALSE(FolderExists(InstallFolder())) << "left: " << Lines(ListFolder(InstallFolder()));
  EXPECT_FALSE(FolderExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Corvalin"));
  EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Corvalin.lnk"));
  const std::vector<std::wstring> after = ExportSoftware();
  EXPECT_EQ(Difference(after, before), std::vector<std::wstring>{}) << "left in the registry:" << Lines(Difference(after, before));
  EXPECT_EQ(Difference(before, after), std::vector<std::wstring>{}) << "removed from the registry:" << Lines(Difference(before, after));
}

}  // namespace
