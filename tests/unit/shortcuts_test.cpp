// The shortcut step against the emulated shell: the five Start-menu links and
// the desktop link with their targets, working folders and descriptions,
// failures that cost one link or the whole step, the folder notifications, the
// COM apartment's balance, and the two probes used elsewhere.
#include <gtest/gtest.h>

#include "common/utils.h"
#include "shell/com_apartment.h"
#include "shell/shortcuts.h"
#include "support/install_env.h"
#include "support/sim_fixture.h"

namespace {

const ustring kMenu = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Corvalin";
const ustring kDesktop = u"C:\\Users\\Public\\Desktop";

class ShortcutsTest : public SimFixture {
 protected:
  ShortcutsTest() : ns(NewInstallChoices(true)) {}
  void TearDown() override { EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen()); }
  bool Notified(std::int32_t event, const ustring& path) {
    for (const TSimNotification& n : sim.Notifications())
      if (n.event == event && n.path == path && n.hasPath && n.flags == cShcnfPathW) return true;
    return false;
  }
  std::vector<ustring> SavedLinks() {
    std::vector<ustring> saved;
    for (const TSimCall& call : sim.CallLog())
      if (call.op == "ShellLinkSave") saved.push_back(call.subject);
    return saved;
  }
  TNewSetup ns;
};

struct TLinkCase {
  const char16_t* name;
  const char16_t* target;
  const char16_t* description;
};

// German setup, folder without a trailing backslash: the five links in
// order, each with its target, the folder as working folder and the German
// description; the new menu folder is announced, the desktop is left alone.
TEST_F(ShortcutsTest, StartMenuLinksInGerman) {
  ns.nsLangua = cLangGerman;
  ns.nsInsLoc = u"C:\\Tools\\Corvalin";
  ASSERT_TRUE(InstallShortCuts(ns));
  const TLinkCase links[] = {
      {u"Corvalin", u"Corvalin.exe", u"Erstellt und validiert Datei-Hashwerte"},
      {u"Help (UK)", u"Corvalin_en.chm", u"Corvalin: Benutzerhandbuch englisch"},
      {u"Help (DE)", u"Corvalin_de.chm", u"Corvalin: Benutzerhandbuch deutsch"},
      {u"Manual (UK)", u"Corvalin_en.pdf", u"Corvalin: Handbuch (englisch)"},
      {u"Manual (DE)", u"Corvalin_de.pdf", u"Corvalin: Handbuch (deutsch)"},
  };
  std::vector<ustring> expectedOrder;
  for (const TLinkCase& c : links) {
    const ustring file = kMenu + u"\\" + c.name + u".lnk";
    expectedOrder.push_back(file);
    const auto link = sim.ReadLink(file);
    ASSERT_TRUE(link.has_value()) << ToUtf8(file);
    EXPECT_EQ(link->target, ustring(u"C:\\Tools\\Corvalin\\") + c.target);
    EXPECT_EQ(link->workingDirectory, u"C:\\Tools\\Corvalin");
    EXPECT_EQ(link->description, c.description);
  }
  EXPECT_EQ(SavedLinks(), expectedOrder);
  EXPECT_FALSE(sim.HasFile(kDesktop + u"\\Corvalin.lnk"));
  EXPECT_TRUE(Notified(cShcneMkdir, kMenu));
  EXPECT_TRUE(Notified(cShcneUpdateDir, kMenu));
  EXPECT_FALSE(Notified(cShcneUpdateDir, kDesktop));
}

// The desktop link when wanted: the main program's link, saved a second time
// on the all-users desktop, which is then announced; the working folder keeps
// its trailing backslash.
TEST_F(ShortcutsTest, DesktopLinkWhenWanted) {
  ns.nsCutDsk = true;
  ASSERT_TRUE(InstallShortCuts(ns));
  const auto link = sim.ReadLink(kDesktop + u"\\Corvalin.lnk");
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->target, kInstallDir + u"Corvalin.exe");
  EXPECT_EQ(link->workingDirectory, kInstallDir);
  EXPECT_EQ(link->description, u"Creates and validates hash values for files");
  EXPECT_EQ(SavedLinks().size(), 6u);
  EXPECT_TRUE(Notified(cShcneUpdateDir, kDesktop));
  EXPECT_TRUE(DesktopShortCutExists());
}

// Desktop wanted but unresolvable: the step fails, but all five Start-menu
// links are made and the desktop is not announced.
TEST_F(ShortcutsTest, DesktopUnresolvable) {
  ns.nsCutDsk = true;
  sim.specialFolderErrors[cCsidlCommonDesktopDirectory] = cE_FAIL;
  EXPECT_FALSE(InstallShortCuts(ns));
  EXPECT_EQ(SavedLinks().size(), 5u);
  EXPECT_TRUE(sim.ReadLink(kMenu + u"\\Manual (DE).lnk").has_value());
  EXPECT_TRUE(Notified(cShcneUpdateDir, kMenu));
  EXPECT_FALSE(Notified(cShcneUpdateDir, kDesktop));
  EXPECT_FALSE(DesktopShortCutExists());
}

// One link that can't be saved fails the step; the links after it are made.
TEST_F(ShortcutsTest, OneFailedLinkDoesNotStopTheOthers) {
  sim.FailCall("ShellLinkSave", 1, static_cast<std::uint32_t>(cE_ACCESSDENIED), u"Help (UK)");
  EXPECT_FALSE(InstallShortCuts(ns));
  EXPECT_FALSE(sim.HasFile(kMenu + u"\\Help (UK).lnk"));
  for (const char16_t* name : {u"Corvalin", u"Help (DE)", u"Manual (UK)", u"Manual (DE)"})
    EXPECT_TRUE(sim.ReadLink(kMenu + u"\\" + name + u".lnk").has_value()) << ToUtf8(name);
}

// A refused link property gives E_FAIL and saves nothing.
TEST_F(ShortcutsTest, RefusedPropertyGivesEFail) {
  ASSERT_TRUE(ComInitOk(ComInit()));
  THandle link = 0;
  ASSERT_EQ(Os().ShellLinkCreate(link), cS_OK);
  sim.FailCall("ShellLinkSetWorkingDirectory", 1, static_cast<std::uint32_t>(cE_INVALIDARG));
  const TShortCutInfo sc{kInstallDir, u"", u"Corvalin.exe", u"X", u"", false, 0, 0};
  EXPECT_EQ(SaveShellLink(link, sc, kDesktop), cE_FAIL);
  EXPECT_FALSE(sim.HasFile(kDesktop + u"\\X.lnk"));
  EXPECT_EQ(SaveShellLink(link, sc, kDesktop), cS_OK);
  EXPECT_TRUE(sim.HasFile(kDesktop + u"\\X.lnk"));
  Os().ShellLinkRelease(link);
  ComDone();
}

// An existing menu folder (an update): no folder announcement, every link
// saved over the old one, success.
TEST_F(ShortcutsTest, ExistingMenuFolder) {
  sim.PutFile(kMenu + u"\\Corvalin.lnk", "old link");
  ASSERT_TRUE(InstallShortCuts(ns));
  EXPECT_FALSE(Notified(cShcneMkdir, kMenu));
  EXPECT_TRUE(sim.ReadLink(kMenu + u"\\Corvalin.lnk").has_value());
}

// Failures before any link: no programs folder, a folder that can't be made,
// COM that can't start. Nothing is saved and COM is not ended without a start.
TEST_F(ShortcutsTest, EarlyFailures) {
  sim.specialFolderErrors[cCsidlCommonPrograms] = cE_FAIL;
  EXPECT_FALSE(InstallShortCuts(ns));
  EXPECT_FALSE(sim.HasDir(kMenu));
  sim.specialFolderErrors.clear();
  sim.FailCall("CreateDirectoryW", 1, cErrAccessDenied);
  EXPECT_FALSE(InstallShortCuts(ns));
  sim.FailCall("CoInitialize", 1, static_cast<std::uint32_t>(cE_OUTOFMEMORY));
  EXPECT_FALSE(InstallShortCuts(ns));
  EXPECT_TRUE(SavedLinks().empty());
  EXPECT_EQ(sim.CallCounts()["CoUninitialize"], 0u);
}

// A thread whose apartment is already open (ComInit gives 1) still succeeds
// and balances its ComInit with one ComDone.
TEST_F(ShortcutsTest, AlreadyInitialisedApartment) {
  ASSERT_EQ(ComInit(), cS_OK);
  EXPECT_EQ(ComInit(), cS_FALSE);
  ComDone();
  ASSERT_TRUE(InstallShortCuts(ns));
  EXPECT_EQ(sim.OpenCount(), 1u);  // only the test's own apartment
  ComDone();
}

// A link object that can't be made raises, and the apartment is still ended.
TEST_F(ShortcutsTest, LinkObjectFailureRaises) {
  sim.FailCall("ShellLinkCreate", 2, static_cast<std::uint32_t>(cREGDB_E_CLASSNOTREG));
  try {
    InstallShortCuts(ns);
    ADD_FAILURE() << "no exception";
  } catch (const EShellLinkCreate& e) {
    EXPECT_EQ(e.code(), cREGDB_E_CLASSNOTREG);
  }
  EXPECT_EQ(sim.CallCounts()["CoUninitialize"], 1u);
  EXPECT_EQ(SavedLinks().size(), 1u);
}

// The association UI probe: absent, present, and COM refusing to start.
TEST_F(ShortcutsTest, AssocRegUIAvailable) {
  EXPECT_FALSE(AssocRegUIAvailable());
  sim.comClasses.push_back(cClsidAssocRegUI);
  EXPECT_TRUE(AssocRegUIAvailable());
  sim.FailCall("CoInitialize", 1, static_cast<std::uint32_t>(cE_OUTOFMEMORY));
  EXPECT_FALSE(AssocRegUIAvailable());
  EXPECT_EQ(sim.CallCounts()["CoUninitialize"], 2u);
}

// The desktop test looks for the main program's link on the all-users desktop.
TEST_F(ShortcutsTest, DesktopShortCutExists) {
  EXPECT_FALSE(DesktopShortCutExists());
  sim.PutFile(kDesktop + u"\\Corvalin.lnk", "x");
  EXPECT_TRUE(DesktopShortCutExists());
  sim.specialFolderErrors[cCsidlCommonDesktopDirectory] = cE_FAIL;
  EXPECT_FALSE(DesktopShortCutExists());
}

}  // namespace
