// The deployment bridge against the emulated deployment service: eligibility,
// the lookup by family, removal and addition with their codes, and that every
// apartment, object and event is given back on every path.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/utils.h"
#include "platform/sim/sim_deploy.h"
#include "shell/w11_msix.h"
#include "support/sim_fixture.h"

namespace {

const ustring kFamily = u"Corvalin.w11ContextMenu_k3v9qd2mzt8wa";
const ustring kCurrent = u"Corvalin.w11ContextMenu_1.0.0.0_x64__k3v9qd2mzt8wa";
const ustring kOlder = u"Corvalin.w11ContextMenu_0.9.0.0_x64__k3v9qd2mzt8wa";
const ustring kOlder2 = u"Corvalin.w11ContextMenu_0.9.5.0_x64__k3v9qd2mzt8wa";
const ustring kOther = u"Other.App_1.0.0.0_x64__k3v9qd2mzt8wa";
const ustring kLocation = u"C:\\Program Files\\Corvalin\\";
const ustring kPackage = u"C:\\Program Files\\Corvalin\\Corvalin_w11CtxMn_Pack.msix";
const ustring kPackageUrl = u"file:///C:/Program%20Files/Corvalin/Corvalin_w11CtxMn_Pack.msix";
constexpr std::int32_t kRpcChangedMode = static_cast<std::int32_t>(0x80010106u);

class Bridge : public SimFixture {
 protected:
  Bridge() { sim.osBuild = 22631; }
  void TearDown() override {
    deploy.WaitIdle();
    EXPECT_EQ(deploy.OpenCount(), 0u) << testing::PrintToString(deploy.DescribeOpen());
  }
  TSimDeploy& deploy = sim.deploy;
};

// Eligible from build 22000 up, except 24000-24999: Windows 11 24H2 and later
// (26100 up) included.
TEST_F(Bridge, BuildRanges) {
  struct TCase {
    std::uint32_t build;
    bool eligible;
  };
  for (const TCase& c : {TCase{19045, false}, TCase{21999, false}, TCase{22000, true}, TCase{23999, true},
                         TCase{24000, false}, TCase{24999, false}, TCase{25000, true}, TCase{25999, true},
                         TCase{26000, true}, TCase{26100, true}, TCase{0xFFFFFFFFu, true}}) {
    sim.osBuild = c.build;
    EXPECT_EQ(IsW11CtxMenuSupported(), c.eligible) << c.build;
  }
}

// Without the runtime library nothing of the runtime is called.
TEST_F(Bridge, NoRuntimeNoCalls) {
  deploy.runtimePresent = false;
  EXPECT_FALSE(IsW11CtxMenuSupported());
  EXPECT_EQ(deploy.CallCounts()["RoInitialize"], 0u);
}

// The deployment test: RoInitialize must give 0 or 1 and the package manager
// must be had as IPackageManager9; a refused RoInitialize is not balanced.
TEST_F(Bridge, DeploymentTest) {
  deploy.FailCall("RoInitialize", 1, cS_FALSE);
  EXPECT_TRUE(IsW11CtxMenuSupported());
  deploy.FailCall("RoInitialize", 1, kRpcChangedMode);
  EXPECT_FALSE(IsW11CtxMenuSupported());
  EXPECT_EQ(deploy.CallCounts()["RoUninitialize"], 1u);
  deploy.runtimeClasses = {cAddPackageOptionsClass, cUriClass};
  EXPECT_FALSE(IsW11CtxMenuSupported());
}

// The factory's own failure is not passed on: E_NOINTERFACE; a refused query
// or activation gives its own code.
TEST_F(Bridge, ActivateWinRTClassCodes) {
  ASSERT_EQ(deploy.RoInitialize(), cS_OK);
  {
    TDeployRef object;
    EXPECT_EQ(ActivateWinRTClass(u"Windows.No.Such.Class", cIidIPackageManager, object), cE_NOINTERFACE);
    EXPECT_FALSE(object);
    EXPECT_EQ(ActivateWinRTClass(cPackageManagerClass, cIidIAddPackageOptions, object), cE_NOINTERFACE);
    deploy.FailCall("ActivateInstance", 1, cE_ACCESSDENIED);
    EXPECT_EQ(ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager, object), cE_ACCESSDENIED);
    deploy.FailCall("WindowsCreateString", 1, cE_OUTOFMEMORY);
    EXPECT_EQ(ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager, object), cE_NOINTERFACE);
    EXPECT_EQ(ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager2, object), cS_OK);
    EXPECT_TRUE(object);
  }
  deploy.RoUninitialize();
}

// A refused conversion gives the empty string.
TEST_F(Bridge, PathToUrlRefused) {
  deploy.FailCall("UrlCreateFromPathW", 1, cE_INVALIDARG);
  EXPECT_EQ(PathToUrl(kPackage), u"");
}

// The conversions the emulation makes are those of the real system: the same
// table runs natively against the emulation and under Wine against shlwapi.
TEST(PathToUrlBothBackends, Conversions) {
#ifndef _WIN32
  TSimPlatform emulated;
  IPlatform* previous = SetOs(&emulated);
#endif
  struct TCase {
    ustring path;
    ustring url;
  };
  const TCase cases[] = {
      {kPackage, kPackageUrl},
      {kLocation, u"file:///C:/Program%20Files/Corvalin/"},
      {u"C:\\a%b#c\\d", u"file:///C:/a%25b%23c/d"},
      {u"\\\\srv\\share\\x y", u"file://srv/share/x%20y"},
      {u"file:///C:/x", u"file:///C:/x"},
  };
  for (const TCase& c : cases) EXPECT_EQ(PathToUrl(c.path), c.url) << ToUtf8(c.path);
#ifndef _WIN32
  SetOs(previous);
#endif
}

// A URL that can't be made a platform string leaves the Uri empty without
// raising; a Uri the platform refuses raises.
TEST_F(Bridge, PathToUri) {
  ASSERT_EQ(deploy.RoInitialize(), cS_OK);
  {
    TDeployRef uri;
    PathToUri(kPackage, uri);
    EXPECT_TRUE(uri);
    deploy.FailCall("WindowsCreateString", 1, cE_OUTOFMEMORY);
    PathToUri(kPackage, uri);
    EXPECT_FALSE(uri);
    deploy.FailCall("CreateUri", 1, cE_INVALIDARG);
    EXPECT_THROW(PathToUri(kPackage, uri), std::exception);
  }
  deploy.RoUninitialize();
}

// The lookup: exact match but for ASCII case; the found name is the last one
// visited (the match, the second of two others, or empty); other families ignored.
TEST_F(Bridge, FindFamilyPackage) {
  struct TCase {
    const char* name;
    std::vector<ustring> registered;
    bool match;
    ustring found;
  };
  const TCase cases[] = {
      {"none", {}, false, u""},
      {"other family only", {kOther}, false, u""},
      {"exact", {kCurrent}, true, kCurrent},
      {"case differs", {u"corvalin.W11CONTEXTMENU_1.0.0.0_X64__K3V9QD2MZT8WA"}, true,
       u"corvalin.W11CONTEXTMENU_1.0.0.0_X64__K3V9QD2MZT8WA"},
      {"two, neither matching", {kOlder, kOther, kOlder2}, false, kOlder2},
      {"match stops the walk", {kCurrent, kOlder}, true, kCurrent},
  };
  for (const TCase& c : cases) {
    TSimPlatform fresh;
    SetOs(&fresh);
    for (const ustring& name : c.registered) fresh.deploy.RegisterPackage(name);
    ustring found = u"stale";
    std::int32_t code = -1;
    EXPECT_EQ(FindFamilyPackage(kFamily, kCurrent, found, code), c.match) << c.name;
    EXPECT_EQ(found, c.found) << c.name;
    EXPECT_EQ(code, cS_OK) << c.name;
    EXPECT_EQ(fresh.deploy.OpenCount(), 0u) << c.name;
    SetOs(&sim);
  }
}

// The walk ends at the match: a package after it whose name cannot be read
// does not turn "found" into a failed lookup. A failure before the match still
// fails it.
TEST_F(Bridge, FindFamilyPackageStopsAtMatch) {
  deploy.RegisterPackage(kOlder);
  deploy.RegisterPackage(kCurrent);
  deploy.RegisterPackage(kOlder2);
  deploy.FailCall("get_FullName", 3, cE_FAIL);
  ustring found;
  std::int32_t code = -1;
  EXPECT_TRUE(FindFamilyPackage(kFamily, kCurrent, found, code));
  EXPECT_EQ(found, kCurrent);
  EXPECT_EQ(code, cS_OK);
  EXPECT_EQ(deploy.CallCounts()["get_FullName"], 2u) << "no name is read past the match";

  deploy.ClearFaults();
  deploy.FailCall("get_FullName", 1, cE_FAIL);
  EXPECT_FALSE(FindFamilyPackage(kFamily, kCurrent, found, code));
  EXPECT_EQ(code, cE_UNEXPECTED);
}

// Refusals of the lookup: the refusing step's code, or E_UNEXPECTED when the
// search itself failed; nothing found.
TEST_F(Bridge, FindFamilyPackageFailures) {
  deploy.RegisterPackage(kCurrent);
  struct TCase {
    const char* op;
    std::uint64_t nth;  // call within the lookup
    std::int32_t injected;
    std::int32_t code;
  };
  for (const TCase& c : {TCase{"RoInitialize", 1, kRpcChangedMode, kRpcChangedMode},
                         TCase{"GetActivationFactory", 1, cREGDB_E_CLASSNOTREG, cE_NOINTERFACE},
                         TCase{"ActivateInstance", 1, cE_ACCESSDENIED, cE_ACCESSDENIED},
                         TCase{"WindowsCreateString", 1, cE_OUTOFMEMORY, cE_NOINTERFACE},  // the class name
                         TCase{"WindowsCreateString", 2, cE_OUTOFMEMORY, cE_OUTOFMEMORY},  // the family name
                         TCase{"WindowsCreateString", 3, cE_OUTOFMEMORY, cE_OUTOFMEMORY},  // the empty user id
                         TCase{"FindPackagesByUserSecurityIdPackageFamilyName", 1, cE_ACCESSDENIED, cE_UNEXPECTED}}) {
    deploy.ClearFaults();
    deploy.FailCall(c.op, c.nth, c.injected);
    ustring found;
    std::int32_t code = 0;
    EXPECT_FALSE(FindFamilyPackage(kFamily, kCurrent, found, code)) << c.op << c.nth;
    EXPECT_EQ(code, c.code) << c.op << c.nth;
    EXPECT_EQ(found, u"") << c.op << c.nth;
    EXPECT_EQ(deploy.OpenCount(), 0u) << c.op << c.nth;
  }
}

// An addition that completes: true, code 0, the package URL with the
// installation folder as external location, and the package registered.
TEST_F(Bridge, AddSparsePackageCompletes) {
  deploy.packageFiles[kPackageUrl] = kCurrent;
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  std::int32_t code = -1;
  EXPECT_TRUE(AddSparsePackage(ap, kLocation, kPackage, code));
  EXPECT_EQ(code, cS_OK);
  const auto additions = deploy.Additions();
  ASSERT_EQ(additions.size(), 1u);
  EXPECT_EQ(additions[0].packageUri, kPackageUrl);
  EXPECT_EQ(additions[0].externalLocationUri, u"file:///C:/Program%20Files/Corvalin/");
  EXPECT_EQ(deploy.Packages(), std::vector<ustring>{kCurrent});
  DoneAsyncParams(ap);
}

// Every refusal on the way to the addition: false, the refusing step's code
// or E_UNEXPECTED for what raised, and nothing added.
TEST_F(Bridge, AddSparsePackageFailures) {
  struct TCase {
    const char* op;
    std::uint64_t nth;
    std::int32_t injected;
    std::int32_t code;
  };
  for (const TCase& c : {TCase{"RoInitialize", 1, kRpcChangedMode, kRpcChangedMode},
                         TCase{"GetActivationFactory", 1, cREGDB_E_CLASSNOTREG, cE_NOINTERFACE},
                         TCase{"ActivateInstance", 2, cE_ACCESSDENIED, cE_ACCESSDENIED},
                         TCase{"CreateUri", 1, cE_INVALIDARG, cE_UNEXPECTED},
                         TCase{"PutExternalLocationUri", 1, cE_ACCESSDENIED, cE_UNEXPECTED},
                         TCase{"CreateUri", 2, cE_INVALIDARG, cE_UNEXPECTED},
                         TCase{"AddPackageByUriAsync", 1, cE_ACCESSDENIED, cE_UNEXPECTED},
                         TCase{"PutCompleted", 1, cE_FAIL, cE_UNEXPECTED},
                         TCase{"PutProgress", 1, cE_FAIL, cE_UNEXPECTED}}) {
    TSimPlatform fresh;
    SetOs(&fresh);
    fresh.deploy.FailCall(c.op, c.nth, c.injected);
    {
      TAsyncParams ap;
      InitAsyncParams(ap, 0, 0, 0);
      std::int32_t code = 0;
      EXPECT_FALSE(AddSparsePackage(ap, kLocation, kPackage, code)) << c.op << c.nth;
      EXPECT_EQ(code, c.code) << c.op << c.nth;
      DoneAsyncParams(ap);
    }
    fresh.deploy.WaitIdle();
    EXPECT_TRUE(fresh.deploy.Packages().empty()) << c.op << c.nth;
    EXPECT_EQ(fresh.deploy.OpenCount(), 0u) << c.op << c.nth << testing::PrintToString(fresh.deploy.DescribeOpen());
    SetOs(&sim);
  }
}

// A removal that completes takes the package away; one whose name can't be
// made a platform string reports that code and removes nothing.
TEST_F(Bridge, RemovePackageByName) {
  deploy.RegisterPackage(kOlder);
  TAsyncParams ap;
  InitAsyncParams(ap, 0, 0, 0);
  std::int32_t code = -1;
  deploy.FailCall("WindowsCreateString", 2, cE_OUTOFMEMORY);  // the first is the class name
  EXPECT_FALSE(RemovePackageByName(ap, kOlder, code));
  EXPECT_EQ(code, cE_OUTOFMEMORY);
  EXPECT_EQ(deploy.Packages(), std::vector<ustring>{kOlder});
  ResetAsyncParams(ap);
  EXPECT_TRUE(RemovePackageByName(ap, kOlder, code));
  EXPECT_EQ(code, cS_OK);
  EXPECT_TRUE(deploy.Packages().empty());
  DoneAsyncParams(ap);
}

}  // namespace
