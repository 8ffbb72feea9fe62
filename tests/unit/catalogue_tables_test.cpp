// Invariants of the product tables that the compiler does not already check.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <vector>

#include "catalogue/product.h"
#include "common/setup_choices.h"
#include "common/utils.h"

namespace {

bool EndsWith(const ustring& text, const ustring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// Only the two read-mes stay out of the installation; every other file is installed.
TEST(PayFilesTest, OnlyTheReadMesAreNotInstalled) {
  std::set<std::size_t> notInstalled;
  for (std::size_t i = 0; i < PayFiles.size(); ++i)
    if (!PayFiles[i].pfInstal) notInstalled.insert(i);
  EXPECT_EQ(notInstalled, (std::set<std::size_t>{1, 2}));
}

// File names are bare names and distinct regardless of case, so no file overwrites another.
TEST(PayFilesTest, NamesAreBareAndDistinct) {
  std::set<ustring> seen;
  for (const TPayFile& file : PayFiles) {
    const ustring name = file.pfFilNam;
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(LastCharOf(u"\\/:", name), 0) << ToUtf8(name);
    EXPECT_TRUE(seen.insert(LowerAscii(name)).second) << ToUtf8(name);
  }
}

// The entries other parts reach by index hold the files they expect.
TEST(PayFilesTest, IndexedEntriesNameTheRightFiles) {
  struct TCase {
    int index;
    const char16_t* name;
  };
  const TCase cases[] = {
      {cPayMainProgram, cMainProgram},
      {cPayReadMeFirst + cLangEnglish, u"ReadMe_en.txt"},
      {cPayReadMeFirst + cLangGerman, u"ReadMe_de.txt"},
      {cPayLicenseFirst + cLangEnglish, u"License_en.txt"},
      {cPayLicenseFirst + cLangGerman, u"License_de.txt"},
      {cPayShellExt, u"cvlnshxt.dll"},
      {cPayCtxMenuPackage, u"Corvalin_w11CtxMn_Pack.msix"},
      {cPayUninstaller, u"Uninstall.exe"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ustring(PayFiles[static_cast<std::size_t>(c.index)].pfFilNam), c.name);
}

// Resource ids run from 128 for the first entry to 142 for the last.
TEST(PayFilesTest, ResourceIdsFollowTheIndex) {
  EXPECT_EQ(PayResourceId(0), 128u);
  EXPECT_EQ(PayResourceId(static_cast<int>(cPayFileCount) - 1), 142u);
}

// Shortcuts exist exactly for the program, the help files and the manuals, each with both descriptions.
TEST(CutEntriesTest, ShortcutsAndDescriptionsGoTogether) {
  std::set<std::size_t> withShortcut;
  for (std::size_t i = 0; i < CutEntries.size(); ++i) {
    const TCutEntry& entry = CutEntries[i];
    const bool hasLink = !ustring(entry.ceLnkNam).empty();
    if (hasLink) withShortcut.insert(i);
    EXPECT_EQ(!entry.ceDescri[cLangEnglish].empty(), hasLink) << i;
    EXPECT_EQ(!entry.ceDescri[cLangGerman].empty(), hasLink) << i;
  }
  EXPECT_EQ(withShortcut, (std::set<std::size_t>{0, 7, 8, 12, 13}));
  // The desktop shortcut is the main program's, under the product's name.
  EXPECT_EQ(ustring(PayFiles[static_cast<std::size_t>(cCutDesktopEntry)].pfFilNam), u"Corvalin.exe");
  EXPECT_EQ(ustring(CutEntries[static_cast<std::size_t>(cCutDesktopEntry)].ceLnkNam), u"Corvalin");
}

// The association flags, the extensions and the algorithm families have one element per extension.
TEST(HashExtsTest, TablesRunParallel) {
  EXPECT_EQ(std::tuple_size<TFileAsso>::value, HashExts.size());
  EXPECT_EQ(HashAlgos.size(), HashExts.size());
  std::set<ustring> seen;
  for (const char16_t* ext : HashExts) {
    EXPECT_EQ(ustring(ext).size(), 4u);
    EXPECT_EQ(ext[0], u'.');
    EXPECT_TRUE(seen.insert(ext).second);
  }
}

// The algorithm list has one line per extension, .blk first and .xxh last, each "ext:<TAB>algorithms" from the table.
TEST(HashExtsTest, AlgorithmListLinesMatchTheTable) {
  const ustring text = AlgoListText;
  ASSERT_EQ(text.size(), 288u);
  ASSERT_EQ(text.substr(0, 4), u"\r\n\r\n");
  EXPECT_FALSE(EndsWith(text, u"\r\n"));
  const std::vector<ustring> lines = SplitCrLf(text.substr(4));
  const char16_t* alphabetical[] = {u".blk", u".bk3", u".md5", u".sfv", u".sh1", u".sh2", u".sh3", u".xxh"};
  ASSERT_EQ(lines.size(), std::size(alphabetical));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::size_t k = 0;
    while (k < HashExts.size() && ustring(HashExts[k]) != alphabetical[i]) ++k;
    ASSERT_LT(k, HashExts.size());
    EXPECT_EQ(lines[i], ustring(alphabetical[i]) + u":\t" + HashAlgos[k]);
  }
}

// The extension families carry the algorithms their files are made with.
TEST(HashExtsTest, FamiliesOfSelectedExtensions) {
  EXPECT_EQ(ustring(HashAlgos[0]), u"CRC-32");
  EXPECT_EQ(ustring(HashAlgos[3]), u"SHA-224, SHA-256, SHA-384, SHA-512, SHA-512/224, SHA-512/256");
  EXPECT_EQ(ustring(HashAlgos[7]), u"XXH32, XXH64");
}

// Every subkey row is reached from some base row and every value row from some subkey row.
TEST(RegTablesTest, NoRowIsUnreachable) {
  std::vector<bool> subReached(RegSubKeys.size()), valReached(RegValues.size());
  for (const TRegBase& base : RegBases)
    for (int i = base.rbFirst; i <= base.rbLast; ++i) subReached[static_cast<std::size_t>(i)] = true;
  for (const TRegSubKey& sub : RegSubKeys)
    for (int i = sub.skFirst; i <= sub.skLast; ++i) valReached[static_cast<std::size_t>(i)] = true;
  for (std::size_t i = 0; i < subReached.size(); ++i) EXPECT_TRUE(subReached[i]) << "subkey " << i;
  for (std::size_t i = 0; i < valReached.size(); ++i) EXPECT_TRUE(valReached[i]) << "value " << i;
}

// The file-type subkeys hang below the ProgID and the handler keys carry the product's names.
TEST(RegTablesTest, SubkeysUseTheIdentityNames) {
  const ustring progId = cProgId;
  for (std::size_t i = 0; i <= 10; ++i)
    EXPECT_EQ(ustring(RegSubKeys[i].skSubPat).substr(0, progId.size()), progId) << i;
  EXPECT_EQ(ustring(RegSubKeys[0].skSubPat), progId);
  EXPECT_TRUE(EndsWith(RegSubKeys[8].skSubPat, ustring(u"\\") + cHandlerKeyName));
  EXPECT_TRUE(EndsWith(RegSubKeys[10].skSubPat, ustring(u"\\") + cHandlerKeyName));
  EXPECT_EQ(ustring(RegSubKeys[19].skSubPat), cHandlerKeyName);
  EXPECT_EQ(ustring(RegSubKeys[20].skSubPat), cPropPageKeyName);
  EXPECT_EQ(ustring(RegSubKeys[21].skSubPat), cMainProgram);
  EXPECT_EQ(ustring(RegSubKeys[22].skSubPat), cProductName);
  EXPECT_EQ(ustring(RegSubKeys[23].skSubPat), cProductName);
  EXPECT_EQ(ustring(CapKeys[0]), cProductName);
}

// Each class gets a key named by its id and an InprocServer32 key below it.
TEST(RegTablesTest, ClassRowsComeInPairs) {
  const char16_t* ids[] = {ClsidContextMenu, ClsidInfoTip, ClsidHashSheet, ClsidFilePage};
  std::set<ustring> distinct;
  for (std::size_t k = 0; k < std::size(ids); ++k) {
    distinct.insert(ids[k]);
    EXPECT_EQ(ustring(RegSubKeys[11 + 2 * k].skSubPat), ids[k]);
    EXPECT_EQ(ustring(RegSubKeys[12 + 2 * k].skSubPat), ustring(ids[k]) + u"\\InprocServer32");
    EXPECT_EQ(ustring(RegBases[1 + k].rbKeyPat), u"SOFTWARE\\Classes\\CLSID");
    EXPECT_EQ(RegBases[1 + k].rbFirst, static_cast<int>(11 + 2 * k));
  }
  EXPECT_EQ(distinct.size(), 4u);
}

// Only the shell-extension handler assignments are left alone by an update.
TEST(RegTablesTest, UpdateSkipsOnlyHandlerAssignments) {
  std::set<std::size_t> kept;
  for (std::size_t i = 0; i < RegValues.size(); ++i)
    if (!RegValues[i].rvOnUpd) kept.insert(i);
  EXPECT_EQ(kept, (std::set<std::size_t>{6, 8, 10, 14, 15}));
}

// Texts go up to the uninstall entry's QuietUninstallString and numbers follow; nothing else is written.
TEST(RegTablesTest, ValueKindsAreTextThenNumbers) {
  for (std::size_t i = 0; i < RegValues.size(); ++i)
    EXPECT_EQ(RegValues[i].rvKind, i <= 25 ? rkString : rkDWord) << i;
}

// The rows shared with the reader of an earlier installation name the values it reads.
TEST(RegTablesTest, UninstallEntryRowsNameTheirValues) {
  struct TCase {
    int row;
    const char16_t* name;
  };
  const TCase cases[] = {{cRegValInstallLocation, u"InstallLocation"},
                         {cRegValUninstallString, u"UninstallString"},
                         {cRegValVersion, u"Version"},
                         {cRegValDisplayVersion, u"DisplayVersion"}};
  const TRegSubKey& entry = RegSubKeys[static_cast<std::size_t>(cRegSubUninstall)];
  for (const TCase& c : cases) {
    EXPECT_EQ(ustring(RegValues[static_cast<std::size_t>(c.row)].rvValNam), c.name);
    EXPECT_GE(c.row, entry.skFirst);
    EXPECT_LE(c.row, entry.skLast);
  }
  const TRegBase& base = RegBases[static_cast<std::size_t>(cRegBaseUninstall)];
  EXPECT_EQ(ustring(base.rbKeyPat), u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  EXPECT_TRUE(cRegSubUninstall >= base.rbFirst && cRegSubUninstall <= base.rbLast);
}

// The default-programs keys nest: capabilities under the product key, associations under capabilities.
TEST(RegTablesTest, CapabilityKeysNest) {
  EXPECT_EQ(ustring(CapKeys[1]), ustring(CapKeys[0]) + u"\\Capabilities");
  EXPECT_EQ(ustring(CapKeys[2]), ustring(CapKeys[1]) + u"\\FileAssociations");
  EXPECT_EQ(ustring(CapKeys[3]), u"RegisteredApplications");
}
