// The installation task's last step on a Windows 11 build: whatever the
// context-menu package step reports, the task ends with 45; a status or a
// negative code is reported once as phase 44 after the step's own progress.
#include <gtest/gtest.h>

#include <functional>

#include "shell/w11_ctx_menu.h"
#include "support/install_env.h"

namespace {

constexpr std::int32_t kDeployFailed = static_cast<std::int32_t>(0x80073CF3u);
const ustring kOlder = u"Corvalin.w11ContextMenu_0.9.0.0_x64__k3v9qd2mzt8wa";

struct TW11Case {
  const char* name;
  std::function<void(TSimInstallOs&)> arrange;
  std::vector<TStep> steps;  // without the progress phases 42 and 43
  bool progress;             // phase 42/43 messages come between 41 and 44
};

class InstallW11Test : public InstallFixture {
 public:
  InstallW11Test() : InstallFixture(true) {}
};

// The outcomes of the Windows 11 step as the installation reports them.
TEST_F(InstallW11Test, Outcomes) {
  const std::vector<TStep> head{{2, 48, 1, 0}, {2, 39, 1, 0}, {2, 40, 1, 0}, {2, 41, 1, 0}};
  auto with = [&](std::vector<TStep> tail) {
    std::vector<TStep> all = head;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const std::vector<TW11Case> cases{
      {"Windows 10: not eligible", [](TSimInstallOs& s) { s.osBuild = 19045; }, with({{2, 49, 1, 45}}), false},
      {"added", [](TSimInstallOs&) {}, with({{2, 44, 2, 0}, {2, 49, 1, 45}}), true},
      {"older package replaced", [](TSimInstallOs& s) { s.deploy.RegisterPackage(kOlder); },
       with({{2, 44, 2, 0}, {2, 49, 1, 45}}), true},
      {"already registered", [](TSimInstallOs& s) { s.deploy.RegisterPackage(cPkgFullName); },
       with({{2, 44, 2, cPkgPresent}, {2, 49, 1, 45}}), false},
      {"deployment failed",
       [](TSimInstallOs& s) {
         s.deploy.addition.status = cAsyncError;
         s.deploy.addition.extendedCode = kDeployFailed;
       },
       with({{2, 44, 4, kDeployFailed}, {2, 49, 1, 45}}), true},
      {"deployment canceled", [](TSimInstallOs& s) { s.deploy.addition.status = cAsyncCanceled; },
       with({{2, 44, 3, 0}, {2, 49, 1, 45}}), true},
      // A refused lookup raises inside the bridge, which reports E_UNEXPECTED.
      {"lookup failed",
       [](TSimInstallOs& s) {
         s.deploy.FailCall("FindPackagesByUserSecurityIdPackageFamilyName", 1, cE_ACCESSDENIED);
       },
       with({{2, 44, 0, cE_UNEXPECTED}, {2, 49, 1, 45}}), false},
  };
  for (const TW11Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSimInstallOs fresh;
    IPlatform* outer = SetOs(&fresh);
    PutPayload(fresh, true);
    fresh.osBuild = 22631;
    c.arrange(fresh);
    RunTaskThread(fresh, NewInstallChoices(true), cTaskInstall);
    std::vector<TStep> steps, progress;
    std::size_t firstProgress = 0, lastProgress = 0;
    const std::vector<TStep> all = PostedSteps(fresh);
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i].phase == 42 || all[i].phase == 43) {
        if (progress.empty()) firstProgress = i;
        lastProgress = i;
        progress.push_back(all[i]);
      } else {
        steps.push_back(all[i]);
      }
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(!progress.empty(), c.progress);
    if (!progress.empty()) {
      EXPECT_EQ(firstProgress, 4u) << "progress starts after the shortcut step";
      EXPECT_EQ(lastProgress, all.size() - 3) << "progress ends before phase 44";
    }
    fresh.deploy.WaitIdle();
    EXPECT_EQ(fresh.OpenCount(), 0u) << testing::PrintToString(fresh.DescribeOpen());
    EXPECT_EQ(fresh.deploy.OpenCount(), 0u) << testing::PrintToString(fresh.deploy.DescribeOpen());
    SetOs(outer);
  }
}

}  // namespace
