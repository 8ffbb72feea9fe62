// The uninstaller on systems the round trip does not cover: started through
// a path that differs from the registered folder only in letter case, and on
// Windows 10 with the runtime present (where no context-menu package exists,
// so its step must pass without a word).
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/uninstall_texts.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "shell/com_apartment.h"
#include "support/install_env.h"
#include "support/uninstall_env.h"

namespace {

const ustring kUninstallKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

class UninstallSystems : public testing::Test {
 protected:
  UninstallSystems() {
    previous_ = SetOs(&sim);
    PutPayload(sim, true);
    sim.comClasses.push_back(cClsidAssocRegUI);
  }
  ~UninstallSystems() override {
    sim.deploy.WaitIdle();
    EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen());
    SetOs(previous_);
  }

  void Install(const ustring& folder = kInstallDir) {
    TNewSetup ns = NewInstallChoices(true);
    ns.nsInsLoc = folder;
    RunTaskThread(sim, ns, cTaskInstall);
    sim.deploy.WaitIdle();
    const std::vector<TStep> steps = PostedSteps(sim);
    ASSERT_FALSE(steps.empty());
    ASSERT_EQ(steps.back(), (TStep{2, 49, 1, 45})) << "the installation itself failed";
    ASSERT_TRUE(sim.HasKey(cHkeyLocalMachine, kUninstallKey));
  }

  // Removed: exit code 0, nothing reported left, entry and product files gone.
  void ExpectRemoved(const TUninstallRun& run, const ustring& folder = kInstallDir) {
    EXPECT_EQ(run.code, cExitSuccess) << testing::PrintToString(run.report.urLeft);
    EXPECT_TRUE(run.report.urLeft.empty()) << testing::PrintToString(run.report.urLeft);
    EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, kUninstallKey));
    for (const TPayFile& file : PayFiles) {
      if (file.pfInstal) {
        EXPECT_FALSE(sim.HasFile(folder + file.pfFilNam)) << ToUtf8(file.pfFilNam);
      }
    }
    EXPECT_TRUE(run.copyStarted) << "the uninstaller did not go on to remove itself";
  }

  TSimInstallOs sim;

 private:
  IPlatform* previous_ = nullptr;
};

// InstallLocation names the folder as the setup made it; Windows finds the
// same folder under any letter case (beyond ASCII too), and so must the
// uninstaller: it removes the installation, itself included.
struct TCaseCase {
  const char* name;
  const char16_t* installed;
  const char16_t* started;
};

void PrintTo(const TCaseCase& c, std::ostream* out) { *out << c.name; }

class UninstallLetterCase : public UninstallSystems, public testing::WithParamInterface<TCaseCase> {};

TEST_P(UninstallLetterCase, FindsItsInstallation) {
  const TCaseCase& c = GetParam();
  sim.osBuild = 19045;  // no context-menu package: the folder alone decides
  Install(c.installed);
  ASSERT_TRUE(sim.HasFile(AddBackslash(c.started) + u"Uninstall.exe"))
      << "the emulation must find the file under another case, as Windows does";
  ExpectRemoved(RunUninstaller(sim, c.started, u" /S:1"), c.installed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UninstallLetterCase,
    testing::Values(TCaseCase{"Ascii", u"C:\\Program Files\\Corvalin\\", u"C:\\PROGRAM FILES\\CORVALIN"},
                    TCaseCase{"AsciiLowerCase", u"C:\\Program Files\\Corvalin\\", u"c:\\program files\\corvalin\\"},
                    TCaseCase{"BeyondAscii", u"C:\\Program Files\\Prüfwerk\\", u"C:\\PROGRAM FILES\\PRÜFWERK\\"}),
    [](const testing::TestParamInfo<TCaseCase>& info) { return std::string(info.param.name); });

// Windows 10 (build 19045) with the runtime and its package manager present:
// the setup registered no package, the uninstaller asks for none and reports
// no package left, and the uninstallation succeeds.
TEST_F(UninstallSystems, Windows10WithTheRuntimeSkipsThePackageQuietly) {
  sim.osBuild = 19045;
  ASSERT_TRUE(sim.deploy.runtimePresent);
  Install();
  ASSERT_TRUE(sim.deploy.Packages().empty());
  const TUninstallRun run = RunUninstaller(sim, kInstallDir, u" /S:1");
  ExpectRemoved(run);
  for (const TSuLang lang : {cLangEnglish, cLangGerman})
    EXPECT_EQ(std::count(run.report.urLeft.begin(), run.report.urLeft.end(), ustring(cTxUnPackage[lang])), 0);
}

}  // namespace
