// The application's registration against the emulated registry: every write
// of the registration table (as data below), the update rules, the two ways
// of registering the extensions, the chosen associations, the composed
// numbers and texts, and a failure that stops the step.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/joined_texts.h"
#include "catalogue/registry_tables.h"
#include "common/utils.h"
#include "engine/app_registration.h"
#include "engine/associations.h"
#include "engine/reg_compose.h"
#include "shell/com_apartment.h"
#include "support/install_env.h"
#include "support/registration_table.h"
#include "support/sim_fixture.h"

namespace {

const ustring kF = u"C:\\Program Files\\Corvalin\\";
const ustring kClsid = u"SOFTWARE\\Classes\\CLSID\\";
const ustring kUninst = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

// The table of writes for a new English installation into kF made on
// 2026-12-10 (the emulation's UTC date).
std::vector<TRegRow> ExpectedRows(std::int64_t total, const ustring& uninstallString) {
  return RegistrationRows(kF, total, u"2026-12-10", uninstallString);
}

std::optional<std::uint32_t> Dword(TSimPlatform& sim, const ustring& key, const ustring& name) {
  const auto value = sim.GetValue(cHkeyLocalMachine, key, name);
  if (!value || value->type != cRegDword || value->data.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(value->data[0] | (value->data[1] << 8) | (value->data[2] << 16) |
                                    (static_cast<std::uint32_t>(value->data[3]) << 24));
}

void CheckRow(TSimPlatform& sim, const TRegRow& row, bool keepsOld) {
  SCOPED_TRACE(ToUtf8(row.key + u" : " + row.name));
  EXPECT_TRUE(sim.HasKey(cHkeyLocalMachine, row.key));
  switch (row.kind) {
    case kKeyOnly:
      EXPECT_FALSE(sim.GetValue(cHkeyLocalMachine, row.key, u"").has_value());
      break;
    case kSz:
      EXPECT_EQ(sim.GetString(cHkeyLocalMachine, row.key, row.name), keepsOld ? u"old" : row.text);
      break;
    case kDword:
      EXPECT_EQ(Dword(sim, row.key, row.name), row.number);
      break;
  }
}

class RegistrationTest : public SimFixture {
 protected:
  TNewSetup Choices(TSuLang lang = cLangEnglish) {
    TNewSetup ns = NewInstallChoices(true);
    ns.nsLangua = lang;
    ns.nsTotSiz = 37000000;
    return ns;
  }
  void TearDown() override { EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen()); }
};

// A new installation writes every row of the table, with these types and data.
TEST_F(RegistrationTest, NewInstallationWritesTheTable) {
  ASSERT_TRUE(RegisterApplication(Choices()));
  for (const TRegRow& row : ExpectedRows(37000000, kF + u"Uninstall.exe")) CheckRow(sim, row, false);
}

// German: the uninstall command carries " /l:1", the quiet one too after " /S:1"
// (only the quiet one is quoted); the language id stays 1033.
TEST_F(RegistrationTest, GermanUninstallCommand) {
  ASSERT_TRUE(RegisterApplication(Choices(cLangGerman)));
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, kUninst, u"UninstallString"), kF + u"Uninstall.exe /l:1");
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, kUninst, u"QuietUninstallString"),
            u"\"" + kF + u"Uninstall.exe\" /S:1 /l:1");
  EXPECT_EQ(Dword(sim, kUninst, u"Language"), 1033u);
}

// An update rewrites every value but the new-only handler assignments, whose
// keys exist all the same.
TEST_F(RegistrationTest, UpdateLeavesNewOnlyRows) {
  const std::vector<TRegRow> rows = ExpectedRows(37000000, kF + u"Uninstall.exe");
  for (const TRegRow& row : rows)
    if (row.kind == kSz) sim.PutString(cHkeyLocalMachine, row.key, row.name, u"old");
  TNewSetup ns = Choices();
  ns.nsInsTyp = cInsTypUpdate;
  ASSERT_TRUE(RegisterApplication(ns));
  for (const TRegRow& row : rows) CheckRow(sim, row, row.newOnly);
}

// Without the association UI class: eight extension keys, each with the
// product in its open-with list, and no capabilities (the product key exists
// from the setup version row); the shell hears of the change.
TEST_F(RegistrationTest, OpenWithWhenAssocUiMissing) {
  ASSERT_TRUE(RegisterApplication(Choices()));
  for (const char16_t* ext : HashExts) {
    const ustring key = ustring(u"SOFTWARE\\Classes\\") + ext;
    EXPECT_TRUE(sim.HasKey(cHkeyLocalMachine, key)) << ToUtf8(ext);
    const auto value = sim.GetValue(cHkeyLocalMachine, key + u"\\OpenWithProgIds", u"Corvalin.HashFileExt");
    ASSERT_TRUE(value.has_value()) << ToUtf8(ext);
    EXPECT_EQ(value->type, cRegNone);
    EXPECT_TRUE(value->data.empty());
    EXPECT_FALSE(sim.GetValue(cHkeyLocalMachine, key, u"").has_value()) << "nothing associated";
  }
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Corvalin\\Capabilities"));
  EXPECT_FALSE(sim.GetValue(cHkeyLocalMachine, u"SOFTWARE\\RegisteredApplications", u"Corvalin").has_value());
  EXPECT_TRUE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Corvalin"));
  ASSERT_FALSE(sim.Notifications().empty());
  EXPECT_EQ(sim.Notifications().back().event, cShcneAssocChanged);
}

// With the association UI class: the default-programs capabilities in the
// setup language, and no open-with entries.
TEST_F(RegistrationTest, CapabilitiesWhenAssocUiPresent) {
  sim.comClasses.push_back(cClsidAssocRegUI);
  ASSERT_TRUE(RegisterApplication(Choices(cLangGerman)));
  const ustring caps = u"SOFTWARE\\Corvalin\\Capabilities";
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, caps, u"ApplicationDescription"), ApplicationDescription(cLangGerman));
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, caps, u"ApplicationName"), u"Corvalin");
  for (const char16_t* ext : HashExts) {
    EXPECT_EQ(sim.GetString(cHkeyLocalMachine, caps + u"\\FileAssociations", ext), u"Corvalin.HashFileExt");
    EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, ustring(u"SOFTWARE\\Classes\\") + ext + u"\\OpenWithProgIds"));
  }
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, u"SOFTWARE\\RegisteredApplications", u"Corvalin"),
            u"SOFTWARE\\Corvalin\\Capabilities");
}

// Chosen extensions get the product's file type; the others keep their owner.
TEST_F(RegistrationTest, ChosenAssociationsOnly) {
  sim.PutString(cHkeyLocalMachine, u"SOFTWARE\\Classes\\.md5", u"", u"Other.Md5File");
  TNewSetup ns = Choices();
  ns.nsAssoci = {true, false, true, false, false, false, false, true};
  ASSERT_TRUE(RegisterApplication(ns));
  for (std::size_t k = 0; k < HashExts.size(); ++k) {
    const auto owner = sim.GetString(cHkeyLocalMachine, ustring(u"SOFTWARE\\Classes\\") + HashExts[k], u"");
    if (ns.nsAssoci[k]) {
      EXPECT_EQ(owner, u"Corvalin.HashFileExt") << k;
    } else if (k == 1) {
      EXPECT_EQ(owner, u"Other.Md5File");
    } else {
      EXPECT_FALSE(owner.has_value()) << k;
    }
  }
}

// The first refused key ends the step: what came before stays, nothing after
// it is written, the associations are not touched.
TEST_F(RegistrationTest, RefusedKeyStopsTheStep) {
  sim.DenyKeyAccess(cHkeyLocalMachine, kClsid + ClsidHashSheet + u"\\InprocServer32", cKeySetValue);
  EXPECT_FALSE(RegisterApplication(Choices()));
  EXPECT_EQ(sim.GetString(cHkeyLocalMachine, kClsid + ClsidHashSheet, u""), u"Corvalin");
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, kClsid + ClsidFilePage));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, kUninst));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\.sfv"));
}

// A base key that can't be opened for creating subkeys fails the check and
// stops the registration at that key.
TEST_F(RegistrationTest, RefusedBaseKey) {
  EXPECT_TRUE(CheckBaseKeys());
  sim.DenyKeyAccess(cHkeyLocalMachine, u"SOFTWARE\\Classes\\Drive\\shellex\\ContextMenuHandlers", cKeyCreateSubKey);
  EXPECT_FALSE(CheckBaseKeys());
  EXPECT_FALSE(WriteRegTables(Choices()));
  EXPECT_TRUE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers\\Corvalin"));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\Drive\\shellex\\ContextMenuHandlers\\Corvalin"));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\*\\shellex\\PropertySheetHandlers\\CorvalinHashPage"));
}

// A row of an unknown kind writes nothing and fails.
TEST_F(RegistrationTest, UnknownKindFails) {
  const TRegValue row{static_cast<TRegKind>(2), 0, true, u"X"};
  EXPECT_FALSE(WriteRegValue(cHkeyLocalMachine, row, Choices()));
  EXPECT_FALSE(sim.GetValue(cHkeyLocalMachine, u"", u"X").has_value());
}

// Rows without data and, in an update, rows not marked for it are not wanted.
TEST(ValueWantedTest, Rules) {
  const TRegValue noData{rkString, -1, true, u""}, newOnly{rkString, 6, false, u""}, always{rkString, 0, true, u""};
  EXPECT_FALSE(ValueWanted(cInsTypNew, noData));
  EXPECT_FALSE(ValueWanted(cInsTypUpdate, noData));
  EXPECT_TRUE(ValueWanted(cInsTypNew, newOnly));
  EXPECT_FALSE(ValueWanted(cInsTypUpdate, newOnly));
  EXPECT_TRUE(ValueWanted(cInsTypUpdate, always));
}

// EstimatedSize is the size in KiB, rounded down; sizes of 4 GiB and more
// don't wrap (a 5 GiB installation is 5242880 KiB, not 1048576).
TEST(ComposeRegNumberTest, EstimatedSize) {
  struct TCase {
    std::int64_t bytes;
    std::uint32_t kib;
  };
  for (const TCase& c : {TCase{0, 0}, TCase{1023, 0}, TCase{1024, 1}, TCase{37000000, 36132},
                         TCase{(4ll << 30) - 1, 4194303}, TCase{4ll << 30, 4194304}, TCase{5ll << 30, 5242880},
                         TCase{-1, 0}})
    EXPECT_EQ(ComposeRegNumber(26, c.bytes), c.kib) << c.bytes;
}

// The fixed numbers, and 0 for ids that are not numbers.
TEST(ComposeRegNumberTest, FixedNumbers) {
  EXPECT_EQ(ComposeRegNumber(27, 0), 1033u);
  EXPECT_EQ(ComposeRegNumber(28, 0), 1u);
  EXPECT_EQ(ComposeRegNumber(29, 0), 1u);
  EXPECT_EQ(ComposeRegNumber(30, 0), 167847697u);
  EXPECT_EQ(ComposeRegNumber(31, 0), 10u);
  EXPECT_EQ(ComposeRegNumber(32, 0), 1u);
  EXPECT_EQ(ComposeRegNumber(33, 0), 167838016u);
  EXPECT_EQ(ComposeRegNumber(24, 1 << 20), 0u);
  EXPECT_EQ(ComposeRegNumber(25, 1 << 20), 0u);
}

// A folder without its trailing backslash gives the same texts.
TEST_F(RegistrationTest, FolderWithoutBackslash) {
  for (int id = 0; id <= 24; ++id)
    EXPECT_EQ(ComposeRegText(id, cLangGerman, u"C:\\Tools\\Corvalin"),
              ComposeRegText(id, cLangGerman, u"C:\\Tools\\Corvalin\\"))
        << id;
  EXPECT_EQ(ComposeRegText(16, cLangEnglish, u"C:\\Tools\\Corvalin"), u"C:\\Tools\\Corvalin\\Corvalin.exe");
  EXPECT_EQ(ComposeRegText(2, cLangEnglish, u"C:\\Tools"), u"");
}

// InstallDate is the UTC date, whatever the local time.
TEST_F(RegistrationTest, InstallDateIsUtc) {
  sim.utcTime = {2023, 11, 4, 30, 23, 30, 0, 0};
  EXPECT_EQ(ComposeRegText(21, cLangEnglish, kF), u"2023-11-30");
  sim.utcTime = {2023, 12, 5, 1, 0, 5, 0, 0};
  EXPECT_EQ(ComposeRegText(21, cLangEnglish, kF), u"2023-12-01");
}

}  // namespace
