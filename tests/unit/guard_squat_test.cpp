// The one-setup guard against a standard user who squats its name: in the
// private namespace (boundary: the Administrators group) another account's
// global object of the same name blocks nothing; where the system has no
// private namespaces (Wine 8, see the e2e tests) the global mutex remains.
#include <gtest/gtest.h>

#include <memory>

#include "app/setup_run.h"
#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "common/cmdline.h"
#include "engine/one_setup.h"
#include "support/uninstall_env.h"
#include "support/wizard_env.h"

namespace {

class GuardSquatTest : public WizardTest {
 protected:
  GuardSquatTest() {
    CmdParams = TCmdParams{};
    sim.MakeDirs(u"C:\\Users\\Tester\\AppData\\Local\\Temp");
  }
  ~GuardSquatTest() override { CmdParams = TCmdParams{}; }
  std::uint32_t Run(const ustring& options) {
    sim.commandLine = u"\"C:\\Setup\\Corvalin-Setup.exe\" " + options;
    return RunSetup(sim.commandLine);
  }
};

// A standard user's mutex of the global name (and so every name a user can
// make) stops neither the setup nor the uninstaller.
TEST_F(GuardSquatTest, SquattedGlobalNameBlocksNothing) {
  sim.SquatMutex(cSetupMutexName);
  sim.SquatMutex(u"Local\\Corvalin-Setup-Running");
  EXPECT_EQ(Run(u"/S:1 /E:1"), cExitSuccess);
  sim.WaitThreads();
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  EXPECT_TRUE(sim.LiveNamespaces().empty()) << "the namespace outlives the run";
}

// The guard still keeps a second setup out: the namespace is the same for
// every administrator's process, and so is the mutex in it.
TEST_F(GuardSquatTest, SecondSetupStillMeetsTheGuard) {
  const TOneSetup first;
  ASSERT_TRUE(first.Acquired());
  EXPECT_EQ(sim.LiveNamespaces(), std::vector<ustring>{cSetupNamespace});
  EXPECT_EQ(sim.LiveMutexes(), std::vector<ustring>{cSetupGuardName});
  const TOneSetup second;
  EXPECT_FALSE(second.Acquired());
  EXPECT_EQ(Run(u"/S:1 /E:1"), cExitAlreadyRunning);
}

// A process that is no administrator can't pass the boundary: it is left
// with the global name, which can't reach the administrators' guard.
TEST_F(GuardSquatTest, BoundaryKeepsStandardUsersOut) {
  const TOneSetup admins;
  ASSERT_TRUE(admins.Acquired());
  sim.isAdmin = false;
  const TOneSetup user;
  EXPECT_TRUE(user.Acquired()) << "a standard user reached the administrators' guard";
  EXPECT_EQ(sim.LiveNamespaces(), std::vector<ustring>{cSetupNamespace});
  EXPECT_EQ(sim.LiveMutexes().size(), 2u);
}

// Without private namespaces the guard is the global mutex, as before:
// held while running, and a second setup meets it (a squatter then blocks
// too: the fallback can't do better).
TEST_F(GuardSquatTest, WithoutNamespacesTheGlobalMutex) {
  sim.privateNamespaces = false;
  {
    const TOneSetup first;
    ASSERT_TRUE(first.Acquired());
    EXPECT_EQ(sim.LiveMutexes(), std::vector<ustring>{cSetupMutexName});
    EXPECT_TRUE(sim.LiveNamespaces().empty());
    EXPECT_EQ(Run(u"/S:1 /E:1"), cExitAlreadyRunning);
  }
  sim.SquatMutex(cSetupMutexName);
  EXPECT_EQ(Run(u"/S:1 /E:1"), cExitAlreadyRunning);
}

}  // namespace

namespace {

// Both programs switch on redirection trust before anything else, where the
// system has it; where it lacks it they run as before.
TEST_F(GuardSquatTest, RedirectionTrustWhereTheSystemHasIt) {
  EXPECT_EQ(Run(u"/S:1"), cExitInvalidCommandLine);
  EXPECT_TRUE(sim.RedirectionTrustEnforced());
  EXPECT_EQ(sim.CallLog().front().op, "EnforceRedirectionTrust");

  sim.redirectionTrust = false;
  EXPECT_EQ(Run(u"/S:1 /E:1"), cExitSuccess);
  sim.WaitThreads();
}

TEST_F(GuardSquatTest, UninstallerSwitchesOnRedirectionTrust) {
  RunTaskThread(sim, NewInstallChoices(true), cTaskInstall);
  sim.redirectionTrust = false;
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitSuccess);
  EXPECT_FALSE(sim.RedirectionTrustEnforced());
  sim.redirectionTrust = true;
  EXPECT_EQ(RunUninstaller(sim, kInstallDir, u" /S:1").code, cExitUnknownProduct);
  EXPECT_TRUE(sim.RedirectionTrustEnforced());
}

}  // namespace
