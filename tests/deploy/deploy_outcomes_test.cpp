// The context-menu package step's outcomes through the deployment bridge, one
// table for both backends: natively the emulated service, in the Windows build
// the real bridge with the stand-in service (under Wine). Each case: the
// result byte, the code, the messages in order, what stays registered, and
// nothing left alive or released too often.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "common/task_msg.h"
#include "deploy_backend.h"
#include "shell/w11_ctx_menu.h"
#include "shell/w11_msix.h"

namespace {

constexpr THwnd kWindow = 0x5150;
const ustring kOlder = u"Corvalin.w11ContextMenu_0.9.0.0_x64__k3v9qd2mzt8wa";
const ustring kOlder2 = u"Corvalin.w11ContextMenu_0.9.5.0_x64__k3v9qd2mzt8wa";
constexpr std::uintptr_t kRemoval = 0x022A00;
constexpr std::uintptr_t kAddition = 0x022B00;
constexpr std::int32_t kDeployFailed = static_cast<std::int32_t>(0x80073CF3u);
constexpr std::int32_t kBlocked = static_cast<std::int32_t>(0x80073D02u);

using TMsgs = std::vector<std::pair<std::uintptr_t, std::intptr_t>>;  // wparam, lparam

// One deployment's reports: Queued 0 %, then Processing 10, 55 and 100 %.
TMsgs Progress(std::uintptr_t wparam) { return {{wparam, 0x100}, {wparam, 0x20A}, {wparam, 0x237}, {wparam, 0x264}}; }
TMsgs Join(std::initializer_list<TMsgs> parts) {
  TMsgs all;
  for (const TMsgs& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
const TMsgs kReplaced = Join({{{kRemoval, 0x100}}, Progress(kRemoval), Progress(kAddition)});

TDeployEnd Error(std::int32_t code, const ustring& text, TDeployTiming timing = TDeployTiming::Normal) {
  return {cAsyncError, code, text, timing};
}

struct TCase {
  const char* name;
  TDeployScenario scenario;
  std::uint8_t result;
  std::int32_t code;
  TMsgs messages;
  std::vector<ustring> packagesAfter;
};

TEST(DeployOutcomes, StepThroughTheBridge) {
  TDeployScenario fresh;
  auto with = [](auto change) {
    TDeployScenario s;
    change(s);
    return s;
  };
  const TCase cases[] = {
      {"added, nothing older", fresh, 2, 0, Progress(kAddition), {cPkgFullName}},
      {"already present", with([](TDeployScenario& s) { s.packages = {cPkgFullName}; }), 2, cPkgPresent, {},
       {cPkgFullName}},
      {"already present, a later name unreadable",
       with([](TDeployScenario& s) {
         s.packages = {kOlder, cPkgFullName, kOlder2};
         s.fullNameFails = 3;
       }),
       2, cPkgPresent, {}, {kOlder, cPkgFullName, kOlder2}},
      {"lookup fails on a name before the match",
       with([](TDeployScenario& s) {
         s.packages = {kOlder, cPkgFullName};
         s.fullNameFails = 1;
       }),
       0, cE_UNEXPECTED, {}, {kOlder, cPkgFullName}},
      {"older one removed, then added", with([](TDeployScenario& s) { s.packages = {kOlder}; }), 2, 0, kReplaced,
       {cPkgFullName}},
      {"removal fails: the addition follows",
       with([](TDeployScenario& s) {
         s.packages = {kOlder};
         s.removal = Error(kDeployFailed, u"Removal failed.");
       }),
       2, 0, kReplaced, {kOlder, cPkgFullName}},
      {"addition fails with code and text",
       with([](TDeployScenario& s) { s.addition = Error(kBlocked, u"Blocked by policy: sparse packages."); }), 4,
       kBlocked, Progress(kAddition), {}},
      {"addition fails, its text unreadable",
       with([](TDeployScenario& s) {
         s.addition = Error(kBlocked, u"never read");
         s.errorTextFails = true;
       }),
       4, kBlocked, Progress(kAddition), {}},
      {"addition canceled", with([](TDeployScenario& s) { s.addition.status = cAsyncCanceled; }), 3, 0,
       Progress(kAddition), {}},
      {"unknown final status", with([](TDeployScenario& s) { s.addition.status = 9; }), 0, 0, Progress(kAddition),
       {}},
      {"completed before the handler was set",
       with([](TDeployScenario& s) { s.addition.timing = TDeployTiming::AtOnce; }), 2, 0, {}, {cPkgFullName}},
      {"failed before the handler was set",
       with([](TDeployScenario& s) { s.addition = Error(kBlocked, u"x", TDeployTiming::AtOnce); }), 4, kBlocked, {},
       {}},
      {"progress after completion is not posted",
       with([](TDeployScenario& s) { s.addition.timing = TDeployTiming::LateProgress; }), 2, 0, Progress(kAddition),
       {cPkgFullName}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDeployBackend backend(c.scenario);
    TNewSetup ns;
    ns.nsInsLoc = u"C:\\Program Files\\Corvalin";
    std::int32_t code = 12345;
    EXPECT_EQ(InstallW11ContextMenu(kWindow, ns, code), c.result);
    EXPECT_EQ(code, c.code) << std::hex << code;
    backend.WaitIdle();
    TMsgs posted;
    for (const TPostedMessage& m : backend.Posted()) {
      EXPECT_EQ(m.window, kWindow);
      EXPECT_EQ(m.msg, WM_SETUP_TASK);
      posted.emplace_back(m.wparam, m.lparam);
    }
    EXPECT_EQ(posted, c.messages);
    EXPECT_EQ(backend.Packages(), c.packagesAfter);
    EXPECT_EQ(backend.Leftovers(), "");
  }
}

// A deployment that does not end while the caller waits: the wait ends
// through its other event, the call answers false, and the reports the
// service still makes afterwards reach neither the record nor the window.
TEST(DeployOutcomes, WaitEndedBeforeTheDeployment) {
  TDeployScenario scenario;
  scenario.addition.timing = TDeployTiming::Never;
  TDeployBackend backend(scenario);
  TAsyncParams ap;
  ASSERT_EQ(InitAsyncParams(ap, kWindow, WM_SETUP_TASK, kAddition), 0u);
  std::thread stopper([&] {
    // Long enough for the call to be waiting; the outcome does not depend on it.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Os().Deploy().SetEvent(ap.apWobArr[0]);
  });
  std::int32_t code = -1;
  const bool completed = AddSparsePackage(ap, u"C:\\Program Files\\Corvalin\\",
                                          u"C:\\Program Files\\Corvalin\\Corvalin_w11CtxMn_Pack.msix", code);
  stopper.join();
  EXPECT_FALSE(completed);
  EXPECT_EQ(code, 0);
  backend.WaitIdle();
  EXPECT_EQ(ap.apFinSta, cFinNone) << "the late completion must not reach the record";
  EXPECT_TRUE(backend.Posted().empty());
  // The service did finish on its own.
  EXPECT_EQ(backend.Packages(), std::vector<ustring>{cPkgFullName});
  DoneAsyncParams(ap);
  EXPECT_EQ(backend.Leftovers(), "");
}

}  // namespace
