// The context-menu package step: every outcome pair with the messages it
// posts, against the emulated deployment service; and, under Wine, against
// the real Windows Runtime.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "common/task_msg.h"
#include "platform/sim/sim_deploy.h"
#include "shell/w11_ctx_menu.h"
#include "shell/w11_msix.h"
#include "support/sim_fixture.h"

namespace {

constexpr THwnd kWindow = 0x5150;
const ustring kOlder = u"Corvalin.w11ContextMenu_0.9.0.0_x64__k3v9qd2mzt8wa";
const ustring kOlder2 = u"Corvalin.w11ContextMenu_0.9.5.0_x64__k3v9qd2mzt8wa";
const ustring kPackageUrl = u"file:///C:/Program%20Files/Corvalin/Corvalin_w11CtxMn_Pack.msix";
constexpr std::uintptr_t kRemoval = 0x022A00;
constexpr std::uintptr_t kAddition = 0x022B00;
constexpr std::int32_t kDeployFailed = static_cast<std::int32_t>(0x80073CF3u);

using TMsg = std::pair<std::uintptr_t, std::intptr_t>;  // wparam, lparam
using TMsgs = std::vector<TMsg>;

// The messages of one deployment with the default script: Queued 0 %, then
// Processing 10, 55 and 100 %.
TMsgs Progress(std::uintptr_t wparam) { return {{wparam, 0x100}, {wparam, 0x20A}, {wparam, 0x237}, {wparam, 0x264}}; }
TMsgs Join(TMsgs a, const TMsgs& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class CtxMenuStep : public SimFixture {
 protected:
  CtxMenuStep() {
    sim.osBuild = 22631;
    deploy.packageFiles[kPackageUrl] = cPkgFullName;
    ns.nsInsLoc = u"C:\\Program Files\\Corvalin\\";
  }
  void ExpectAllReleased() {
    deploy.WaitIdle();
    EXPECT_EQ(deploy.OpenCount(), 0u) << testing::PrintToString(deploy.DescribeOpen());
  }

  TSimDeploy& deploy = sim.deploy;
  TNewSetup ns;
};

struct TOutcome {
  const char* name;
  std::function<void(TSimDeploy&, TSimPlatform&)> arrange;
  std::uint8_t result;
  std::int32_t code;
  TMsgs messages;
  std::vector<ustring> packagesAfter;
};

// The outcomes at a glance: result, code, messages and what stays registered.
TEST_F(CtxMenuStep, Outcomes) {
  const TOutcome cases[] = {
      {"not eligible (Windows 10)", [](TSimDeploy&, TSimPlatform& s) { s.osBuild = 19045; }, 0, 0, {}, {}},
      {"not eligible (no runtime)", [](TSimDeploy& d, TSimPlatform&) { d.runtimePresent = false; }, 0, 0, {}, {}},
      {"already registered (other letter case)",
       [](TSimDeploy& d, TSimPlatform&) { d.RegisterPackage(u"CORVALIN.w11contextmenu_1.0.0.0_X64__k3v9qd2mzt8wa"); },
       2, cPkgPresent, {}, {u"CORVALIN.w11contextmenu_1.0.0.0_X64__k3v9qd2mzt8wa"}},
      {"lookup failed: search refused",
       [](TSimDeploy& d, TSimPlatform&) { d.FailCall("FindPackagesByUserSecurityIdPackageFamilyName", 1, cE_FAIL); },
       0, cE_UNEXPECTED, {}, {}},
      {"lookup failed: apartment refused",
       [](TSimDeploy& d, TSimPlatform&) { d.FailCall("RoInitialize", 2, cRPC_E_CHANGED_MODE); }, 0,
       cRPC_E_CHANGED_MODE, {}, {}},
      {"added, nothing older", [](TSimDeploy&, TSimPlatform&) {}, 2, 0, Progress(kAddition), {cPkgFullName}},
      {"added after removing an older one", [](TSimDeploy& d, TSimPlatform&) { d.RegisterPackage(kOlder); }, 2, 0,
       Join(Join({{kRemoval, 0x100}}, Progress(kRemoval)), Progress(kAddition)), {cPkgFullName}},
      {"two older ones: the second is removed",
       [](TSimDeploy& d, TSimPlatform&) {
         d.RegisterPackage(kOlder);
         d.RegisterPackage(kOlder2);
       },
       2, 0, Join(Join({{kRemoval, 0x100}}, Progress(kRemoval)), Progress(kAddition)), {kOlder, cPkgFullName}},
      {"failed removal: the addition follows with code reset",
       [](TSimDeploy& d, TSimPlatform&) {
         d.RegisterPackage(kOlder);
         d.removal.status = cAsyncError;
         d.removal.extendedCode = kDeployFailed;
       },
       2, 0, Join(Join({{kRemoval, 0x100}}, Progress(kRemoval)), Progress(kAddition)), {kOlder, cPkgFullName}},
      {"removal refused before it started",
       [](TSimDeploy& d, TSimPlatform&) {
         d.RegisterPackage(kOlder);
         d.FailCall("RemovePackageWithOptionsAsync", 1, cE_ACCESSDENIED);
       },
       2, 0, Join({{kRemoval, 0x100}}, Progress(kAddition)), {kOlder, cPkgFullName}},
      {"addition refused: no options class",
       [](TSimDeploy& d, TSimPlatform&) { d.runtimeClasses = {cPackageManagerClass, cUriClass}; }, 0,
       cE_NOINTERFACE, {}, {}},
      {"addition refused by the service",
       [](TSimDeploy& d, TSimPlatform&) { d.FailCall("AddPackageByUriAsync", 1, cE_ACCESSDENIED); }, 0,
       cE_UNEXPECTED, {}, {}},
      {"canceled", [](TSimDeploy& d, TSimPlatform&) { d.addition.status = cAsyncCanceled; }, 3, 0,
       Progress(kAddition), {}},
      {"error with extended code",
       [](TSimDeploy& d, TSimPlatform&) {
         d.addition.status = cAsyncError;
         d.addition.extendedCode = kDeployFailed;
         d.addition.errorText = u"Deployment failed.";
       },
       4, kDeployFailed, Progress(kAddition), {}},
      {"unknown final status", [](TSimDeploy& d, TSimPlatform&) { d.addition.status = 9; }, 0, 0,
       Progress(kAddition), {}},
      {"no operation came back", [](TSimDeploy& d, TSimPlatform&) { d.FailCall("AddPackageByUriAsync", 1, cS_OK); },
       0, 0, {}, {}},
      {"completed before put_Completed returned",
       [](TSimDeploy& d, TSimPlatform&) { d.addition.finishedAtOnce = true; }, 2, 0, {}, {cPkgFullName}},
  };
  for (const TOutcome& c : cases) {
    TSimPlatform fresh;
    SetOs(&fresh);
    fresh.osBuild = 22631;
    fresh.deploy.packageFiles[kPackageUrl] = cPkgFullName;
    c.arrange(fresh.deploy, fresh);
    std::int32_t code = 12345;
    EXPECT_EQ(InstallW11ContextMenu(kWindow, ns, code), c.result) << c.name;
    EXPECT_EQ(code, c.code) << c.name;
    fresh.deploy.WaitIdle();
    TMsgs posted;
    for (const TPostedMessage& m : fresh.PostedMessages()) {
      EXPECT_EQ(m.window, kWindow) << c.name;
      EXPECT_EQ(m.msg, WM_SETUP_TASK) << c.name;
      posted.emplace_back(m.wparam, m.lparam);
    }
    EXPECT_EQ(posted, c.messages) << c.name;
    EXPECT_EQ(fresh.deploy.Packages(), c.packagesAfter) << c.name;
    EXPECT_EQ(fresh.deploy.OpenCount(), 0u) << c.name << testing::PrintToString(fresh.deploy.DescribeOpen());
    SetOs(&sim);
  }
}

// Window 0: the same deployments run, but no message at all is posted.
TEST_F(CtxMenuStep, WindowZeroPostsNothing) {
  deploy.RegisterPackage(kOlder);
  std::int32_t code = -1;
  EXPECT_EQ(InstallW11ContextMenu(0, ns, code), 2);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(deploy.Removals(), std::vector<ustring>{kOlder});
  EXPECT_EQ(deploy.Additions().size(), 1u);
  EXPECT_TRUE(sim.PostedMessages().empty());
  ExpectAllReleased();
}

// A folder without a trailing backslash gets one for the external location,
// and the package path is the folder, a backslash and the package file name.
TEST_F(CtxMenuStep, FolderWithoutBackslash) {
  ns.nsInsLoc = u"D:\\Tools\\Corvalin";
  std::int32_t code = -1;
  EXPECT_EQ(InstallW11ContextMenu(kWindow, ns, code), 2);
  const auto additions = deploy.Additions();
  ASSERT_EQ(additions.size(), 1u);
  EXPECT_EQ(additions[0].externalLocationUri, u"file:///D:/Tools/Corvalin/");
  EXPECT_EQ(additions[0].packageUri, u"file:///D:/Tools/Corvalin/Corvalin_w11CtxMn_Pack.msix");
  ExpectAllReleased();
}

// No event could be made: the wait answers at once instead of spinning, the
// step reports nothing registered, and the deployment that goes on afterwards
// neither posts nor touches the step's (gone) record.
TEST_F(CtxMenuStep, EventCreationFailure) {
  deploy.FailFrom("CreateEventW", 1, 8);
  deploy.Hold();
  std::int32_t code = -1;
  EXPECT_EQ(InstallW11ContextMenu(kWindow, ns, code), 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(deploy.CallCounts()["MsgWaitForEvents"], 0u);
  deploy.Resume();
  deploy.WaitIdle();
  EXPECT_TRUE(sim.PostedMessages().empty());
  // The service did finish the deployment; only the step could not wait for it.
  EXPECT_EQ(deploy.Packages(), std::vector<ustring>{cPkgFullName});
  ExpectAllReleased();
}

// ReadAsyncOutcome: a negative code stays and gives 0; otherwise the record's
// final state and extended code.
TEST_F(CtxMenuStep, ReadAsyncOutcome) {
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  ap.apFinSta = cFinError;
  ap.apErrCod = kDeployFailed;
  std::int32_t code = cE_ACCESSDENIED;
  EXPECT_EQ(ReadAsyncOutcome(ap, code), 0);
  EXPECT_EQ(code, cE_ACCESSDENIED);
  code = 0;
  EXPECT_EQ(ReadAsyncOutcome(ap, code), cFinError);
  EXPECT_EQ(code, kDeployFailed);
  DoneAsyncParams(ap);
}

#ifdef _WIN32
// The emulated system with the real deployment service and version query of
// this machine, so that what the step posts can be seen.
class TRealDeploy : public TSimPlatform {
 public:
  explicit TRealDeploy(IPlatform& real) : real_(real) {}
  IDeployment& Deploy() override { return real_.Deploy(); }
  bool GetVersionExW(std::uint32_t& major, std::uint32_t& minor, std::uint32_t& build) override {
    return real_.GetVersionExW(major, minor, build);
  }

 private:
  IPlatform& real_;
};

// Under Wine the step takes its "not eligible" path: the version query of a
// program without a manifest reports build 7601 or 9200, and even past that the
// runtime has no package manager (its factory fails with 0x80040154, below).
TEST(CtxMenuStepWine, NotEligible) {
  TRealDeploy platform(Os());
  IPlatform* previous = SetOs(&platform);
  std::int32_t code = -1;
  TNewSetup ns;
  ns.nsInsLoc = u"C:\\Program Files\\Corvalin\\";
  EXPECT_FALSE(IsW11CtxMenuSupported());
  EXPECT_EQ(InstallW11ContextMenu(kWindow, ns, code), 0);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(platform.PostedMessages().empty());
  SetOs(previous);
}

// The evidence: the runtime library is there and an apartment can be entered,
// but the package manager's factory is refused with 0x80040154 (class not
// registered), which ActivateWinRTClass turns into its E_NOINTERFACE preset.
TEST(CtxMenuStepWine, PackageManagerMissing) {
  IDeployment& deploy = Os().Deploy();
  EXPECT_TRUE(deploy.RuntimePresent());
  const std::int32_t apartment = deploy.RoInitialize();
  ASSERT_TRUE(apartment == cS_OK || apartment == cS_FALSE) << std::hex << apartment;
  {
    TDeployObj factory = 0;
    EXPECT_EQ(deploy.GetActivationFactory(cPackageManagerClass, factory), cREGDB_E_CLASSNOTREG);
    EXPECT_EQ(factory, 0u);
    TDeployRef manager;
    EXPECT_EQ(ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager9, manager), cE_NOINTERFACE);
    EXPECT_FALSE(manager);
  }
  deploy.RoUninitialize();
}
#endif

}  // namespace
