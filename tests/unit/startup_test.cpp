// The start-up checks, the earlier installation's uninstall entry and the
// update decision, against the emulated system.
#include "engine/startup.h"

#include <cstdint>

#include "catalogue/payload_files.h"
#include "catalogue/registry_tables.h"
#include "support/payload_records.h"
#include "support/sim_fixture.h"

namespace {

// Parameterised cases print as their name.
template <typename T>
  requires requires(const T& t) { t.name; }
void PrintTo(const T& c, std::ostream* os) {
  *os << c.name;
}


const ustring kEntry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
const ustring kOldDir = u"D:\\Tools\\Corvalin\\";

constexpr std::uint32_t Version(std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
  return major << 24 | minor << 16 | build;
}

class StartupTest : public SimFixture {
 protected:
  // Well-formed records for every installed entry; returns their total size.
  std::int64_t PutGoodPayload() {
    std::int64_t total = 0;
    for (int i = 0; i < static_cast<int>(PayFiles.size()); ++i) {
      if (!PayFiles[static_cast<std::size_t>(i)].pfInstal) continue;
      const TByteVec data = SampleBytes(100 + static_cast<std::size_t>(i) * 37, static_cast<std::uint32_t>(i));
      sim.resources[{cRtRcData, PayResourceId(i)}] = MakeRecord(data);
      total += static_cast<std::int64_t>(data.size());
    }
    return total;
  }

  // An uninstall entry as the registration writes it, with the folder and uninstaller on disk.
  void PutEarlier(std::uint32_t version, const ustring& displayVersion, const ustring& options = u"") {
    sim.PutString(cHkeyLocalMachine, kEntry, u"InstallLocation", kOldDir);
    sim.PutString(cHkeyLocalMachine, kEntry, u"UninstallString", kOldDir + u"Uninstall.exe" + options);
    sim.PutDword(cHkeyLocalMachine, kEntry, u"Version", version);
    sim.PutString(cHkeyLocalMachine, kEntry, u"DisplayVersion", displayVersion);
    sim.PutFile(kOldDir + u"Uninstall.exe", "MZ");
  }
};

// The uninstall entry's key and value names are those of the registration tables.
TEST_F(StartupTest, EntryNamesComeFromTheTables) {
  EXPECT_EQ(ustring(RegBases[cRegBaseUninstall].rbKeyPat) + u"\\" + RegSubKeys[cRegSubUninstall].skSubPat, kEntry);
  EXPECT_EQ(ustring(RegValues[cRegValInstallLocation].rvValNam), u"InstallLocation");
  EXPECT_EQ(ustring(RegValues[cRegValUninstallString].rvValNam), u"UninstallString");
  EXPECT_EQ(ustring(RegValues[cRegValVersion].rvValNam), u"Version");
  EXPECT_EQ(ustring(RegValues[cRegValDisplayVersion].rvValNam), u"DisplayVersion");
}

// All checks passing: code 0 and the payload total in nsTotSiz.
TEST_F(StartupTest, CheckStartupPasses) {
  const std::int64_t total = PutGoodPayload();
  std::int64_t size = 0;
  EXPECT_EQ(CheckStartup(size), cStartOk);
  EXPECT_EQ(size, total);
}

// A damaged payload gives 2 with -1, before the group test: also for a user who is no administrator.
TEST_F(StartupTest, DamagedPayloadBeforeAdminTest) {
  sim.isAdmin = false;  // no records at all: the scan fails
  std::int64_t size = 0;
  EXPECT_EQ(CheckStartup(size), cStartDamaged);
  EXPECT_EQ(size, -1);
  EXPECT_EQ(sim.CallCounts().count("CheckAdminMembership"), 0u);
}

// A good payload and a user outside the Administrators group (or an unanswerable question): 3.
TEST_F(StartupTest, NotAnAdministrator) {
  PutGoodPayload();
  std::int64_t size = 0;
  sim.isAdmin = false;
  EXPECT_EQ(CheckStartup(size), cStartNoAdmin);
  sim.isAdmin = true;
  sim.adminQueryFails = true;
  EXPECT_EQ(CheckStartup(size), cStartNoAdmin);
}

// An unknown system directory gives 5 before the scan, which leaves nsTotSiz alone.
TEST_F(StartupTest, NoSystemDirectory) {
  PutGoodPayload();
  sim.systemDirectory.clear();
  std::int64_t size = 42;
  EXPECT_EQ(CheckStartup(size), cStartNoSystemDir);
  EXPECT_EQ(size, 42);
  EXPECT_EQ(sim.CallCounts().count("FindOwnResource"), 0u);
}

// Without an earlier installation: a new installation in the programs folder.
TEST_F(StartupTest, NewInstallationDefaults) {
  TNewSetup ns;
  ns.nsLangua = cLangGerman;
  EXPECT_EQ(InitNewSetup(ns), cStartOk);
  EXPECT_EQ(ns.nsInsTyp, cInsTypNew);
  EXPECT_EQ(ns.nsInsLoc, u"C:\\Program Files\\Corvalin\\");
  EXPECT_EQ(ns.nsLangua, cLangGerman);
}

// A programs folder that can't be determined gives 6 and leaves the folder as it was.
TEST_F(StartupTest, NoProgramsFolder) {
  sim.specialFolderErrors[cCsidlProgramFiles] = cE_FAIL;
  TNewSetup ns;
  ns.nsInsLoc = u"X:\\kept\\";
  EXPECT_EQ(InitNewSetup(ns), cStartNoProgramsDir);
  EXPECT_EQ(ns.nsInsLoc, u"X:\\kept\\");
  EXPECT_EQ(ns.nsInsTyp, cInsTypNew);
}

// A programs folder that "resolves" to nothing would make the default a relative path: also 6.
TEST_F(StartupTest, EmptyProgramsFolder) {
  sim.specialFolders[cCsidlProgramFiles] = u"";
  TNewSetup ns;
  EXPECT_EQ(InitNewSetup(ns), cStartNoProgramsDir);
  EXPECT_EQ(ns.nsInsLoc, u"");
}

struct TDecisionCase {
  const char* name;
  std::uint32_t version;
  ustring displayVersion;
  ustring options;
  std::uint8_t code;
  std::uint8_t insTyp;
  TSuLang lang;
};

class UpdateDecision : public StartupTest, public testing::WithParamInterface<TDecisionCase> {};

// The update decision: same major, minor not newer, same edition, and folder and uninstaller present.
TEST_P(UpdateDecision, Decides) {
  const TDecisionCase& c = GetParam();
  PutEarlier(c.version, c.displayVersion, c.options);
  TNewSetup ns;
  EXPECT_EQ(InitNewSetup(ns), c.code);
  EXPECT_EQ(ns.nsInsTyp, c.insTyp);
  EXPECT_EQ(ns.nsLangua, c.lang);
  EXPECT_EQ(ns.nsInsLoc, c.insTyp == cInsTypUpdate ? kOldDir : u"C:\\Program Files\\Corvalin\\");
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpdateDecision,
    testing::Values(
        TDecisionCase{"same_version", Version(10, 1, 10001), u"10.01 KQ", u"", cStartOk, cInsTypUpdate, 0},
        TDecisionCase{"older_minor", Version(10, 0, 9000), u"10.00 KQ", u"", cStartOk, cInsTypUpdate, 0},
        TDecisionCase{"newer_minor", Version(10, 2, 1), u"10.02 KQ", u"", cStartUninstallFirst, cInsTypNew, 0},
        TDecisionCase{"major_9", Version(9, 1, 1), u"9.01 KQ", u"", cStartUninstallFirst, cInsTypNew, 0},
        TDecisionCase{"major_11_older_minor", Version(11, 0, 1), u"11.00 KQ", u"", cStartUninstallFirst, cInsTypNew, 0},
        TDecisionCase{"other_edition", Version(10, 1, 1), u"10.01 KX", u"", cStartUninstallFirst, cInsTypNew, 0},
        TDecisionCase{"edition_case_matters", Version(10, 1, 1), u"10.01 kq", u"", cStartUninstallFirst, cInsTypNew, 0},
        TDecisionCase{"one_character_display", Version(10, 1, 1), u"Q", u"", cStartUninstallFirst, cInsTypNew, 0},
        TDecisionCase{"exactly_the_edition", Version(10, 1, 1), u"KQ", u"", cStartOk, cInsTypUpdate, 0},
        TDecisionCase{"german", Version(10, 1, 1), u"10.01 KQ", u" /l:1", cStartOk, cInsTypUpdate, 1},
        TDecisionCase{"english_option", Version(10, 1, 1), u"10.01 KQ", u" /l:0", cStartOk, cInsTypUpdate, 0},
        TDecisionCase{"language_out_of_range", Version(10, 1, 1), u"10.01 KQ", u" /l:5", cStartOk, cInsTypUpdate, 0}),
    [](const testing::TestParamInfo<TDecisionCase>& info) { return std::string(info.param.name); });

// Missing uninstaller or folder: a new installation in the default folder, code 0, no note.
TEST_F(StartupTest, MissingUninstallerOrFolderMeansNewInstallation) {
  PutEarlier(Version(10, 1, 1), u"10.01 KQ", u" /l:1");
  ASSERT_TRUE(sim.HasFile(kOldDir + u"Uninstall.exe"));
  std::filesystem::remove(sim.HostPath(kOldDir + u"Uninstall.exe"));
  TNewSetup ns;
  EXPECT_EQ(InitNewSetup(ns), cStartOk);
  EXPECT_EQ(ns.nsInsTyp, cInsTypNew);
  EXPECT_EQ(ns.nsLangua, 0);
  EXPECT_EQ(ns.nsInsLoc, u"C:\\Program Files\\Corvalin\\");
  sim.PutString(cHkeyLocalMachine, kEntry, u"InstallLocation", u"D:\\Gone\\");
  sim.PutString(cHkeyLocalMachine, kEntry, u"UninstallString", u"D:\\Tools\\Corvalin\\Other.exe");
  sim.PutFile(u"D:\\Tools\\Corvalin\\Other.exe", "MZ");
  EXPECT_EQ(InitNewSetup(ns), cStartOk);
  EXPECT_EQ(ns.nsInsTyp, cInsTypNew);
}

// An uninstaller held open by a running process still counts as present.
TEST_F(StartupTest, UninstallerInUseCountsAsPresent) {
  PutEarlier(Version(10, 1, 1), u"10.01 KQ");
  sim.HoldExclusive(kOldDir + u"Uninstall.exe");
  TNewSetup ns;
  EXPECT_EQ(InitNewSetup(ns), cStartOk);
  EXPECT_EQ(ns.nsInsTyp, cInsTypUpdate);
}

// GetUInstInfo splits the version and the uninstall command.
TEST_F(StartupTest, GetUInstInfoReadsTheEntry) {
  PutEarlier(Version(10, 1, 10001), u"10.01 KQ", u" /l:1");
  TUInstInfo info;
  ASSERT_TRUE(GetUInstInfo(info));
  EXPECT_EQ(info.uiVerMaj, 10u);
  EXPECT_EQ(info.uiVerMin, 1u);
  EXPECT_EQ(info.uiVerBui, 10001u);
  EXPECT_EQ(info.uiDspVer, u"10.01 KQ");
  EXPECT_EQ(info.uiUnInst, kOldDir + u"Uninstall.exe");
  EXPECT_EQ(info.uiInsLoc, kOldDir);
  EXPECT_EQ(info.uiSelLan, 1);
}

struct TEntryCase {
  const char* name;
  void (*spoil)(TSimPlatform&);
};

class BrokenEntry : public StartupTest, public testing::WithParamInterface<TEntryCase> {};

// A value missing or of the wrong type makes GetUInstInfo false, and the setup a new installation with code 0.
TEST_P(BrokenEntry, MeansNewInstallation) {
  PutEarlier(Version(10, 1, 1), u"10.01 KQ", u" /l:1");
  GetParam().spoil(sim);
  TUInstInfo info;
  EXPECT_FALSE(GetUInstInfo(info));
  EXPECT_EQ(info.uiSelLan, 0);
  EXPECT_EQ(info.uiVerMaj, 0u);
  TNewSetup ns;
  EXPECT_EQ(InitNewSetup(ns), cStartOk);
  EXPECT_EQ(ns.nsInsTyp, cInsTypNew);
  EXPECT_EQ(ns.nsLangua, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenEntry,
    testing::Values(
        TEntryCase{"display_version_expand_sz",
                   [](TSimPlatform& s) { s.PutString(cHkeyLocalMachine, kEntry, u"DisplayVersion", u"10.01 KQ", cRegExpandSz); }},
        TEntryCase{"version_as_binary",
                   [](TSimPlatform& s) { s.PutValue(cHkeyLocalMachine, kEntry, u"Version", cRegBinary, {1, 0, 1, 10}); }},
        TEntryCase{"version_as_string",
                   [](TSimPlatform& s) { s.PutString(cHkeyLocalMachine, kEntry, u"Version", u"10.1"); }},
        TEntryCase{"install_location_multi_sz",
                   [](TSimPlatform& s) { s.PutString(cHkeyLocalMachine, kEntry, u"InstallLocation", u"D:\\", cRegMultiSz); }},
        TEntryCase{"key_unreadable", [](TSimPlatform& s) { s.DenyKeyAccess(cHkeyLocalMachine, kEntry, cSimDenyAll); }}),
    [](const testing::TestParamInfo<TEntryCase>& info) { return std::string(info.param.name); });

// The values are read in order, each only after the earlier ones succeeded; the key is always closed.
TEST_F(StartupTest, ReadsStopAtTheFirstFailure) {
  PutEarlier(Version(10, 1, 1), u"10.01 KQ");
  sim.PutString(cHkeyLocalMachine, kEntry, u"UninstallString", u"x", cRegExpandSz);
  TUInstInfo info;
  EXPECT_FALSE(GetUInstInfo(info));
  std::vector<ustring> asked;
  for (const TSimCall& call : sim.CallLog()) {
    if (call.op == "RegQueryValueExW") asked.push_back(call.arg);
  }
  // InstallLocation twice (size, then data), UninstallString once (its type fails), nothing more.
  EXPECT_EQ(asked, (std::vector<ustring>{u"InstallLocation", u"InstallLocation", u"UninstallString"}));
  EXPECT_EQ(info.uiInsLoc, kOldDir);  // read before the failure; the caller ignores it
}

// The administrators question: true only when it was answered yes.
TEST_F(StartupTest, IsAdminMember) {
  EXPECT_TRUE(IsAdminMember());
  sim.isAdmin = false;
  EXPECT_FALSE(IsAdminMember());
  sim.isAdmin = true;
  sim.adminQueryFails = true;
  EXPECT_FALSE(IsAdminMember());
}

// The logon name, or the empty string when the query fails.
TEST_F(StartupTest, GetLogonUserName) {
  sim.userName = u"Jo Smith";
  EXPECT_EQ(GetLogonUserName(), u"Jo Smith");
  sim.FailCall("GetUserNameW", 1, 0);
  EXPECT_EQ(GetLogonUserName(), u"");
}

// This setup is built for 64-bit Windows.
TEST(StartupBuild, IsWin64Build) { EXPECT_TRUE(IsWin64Build()); }

}  // namespace
