// Registry names of the product: the default-programs keys, the four COM
// class ids of the shell extension, and the three tables (base keys ->
// subkeys -> values) that drive the application registration. Ranges are
// inclusive indexes into the next table down; rows may share a range.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include "catalogue/fixed_text.h"
#include "common/types.h"

// Keys of the default-programs registration, relative to HKLM\SOFTWARE.
inline constexpr std::array<const char16_t*, 4> CapKeys{
    u"Corvalin", u"Corvalin\\Capabilities", u"Corvalin\\Capabilities\\FileAssociations", u"RegisteredApplications"};

// Class ids served by the shell-extension library (PayFiles entry 6), in
// registry form. They must match the ids that library implements.
inline constexpr char16_t ClsidContextMenu[] = u"{FDC03D3C-DF09-4140-8CA0-A92BAB5E6073}";  // context-menu handler
inline constexpr char16_t ClsidInfoTip[] = u"{92F3F817-1C69-41F5-A296-1243DB7DEE9E}";      // IQueryInfo for hash files
inline constexpr char16_t ClsidHashSheet[] = u"{1A1427AC-1107-4B7D-A183-5A98A504419C}";    // property sheet, hash files
inline constexpr char16_t ClsidFilePage[] = u"{9884CC44-4D30-4DDF-8B89-6457FA100AFB}";     // property sheet, all files

// Registry form: braces, upper-case hexadecimal, 8-4-4-4-12 groups.
constexpr bool IsRegistryGuid(const char16_t* text) {
  if (TextLength(text) != 38 || text[0] != u'{' || text[37] != u'}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const char16_t c = text[i];
    const bool hyphenPlace = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphenPlace ? c != u'-' : !((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
  }
  return true;
}
static_assert(IsRegistryGuid(ClsidContextMenu) && IsRegistryGuid(ClsidInfoTip) && IsRegistryGuid(ClsidHashSheet) &&
              IsRegistryGuid(ClsidFilePage));

namespace reg_detail {
inline constexpr auto cCtxMenuServer = JoinText(ClsidContextMenu, u"\\InprocServer32");
inline constexpr auto cInfoTipServer = JoinText(ClsidInfoTip, u"\\InprocServer32");
inline constexpr auto cHashSheetServer = JoinText(ClsidHashSheet, u"\\InprocServer32");
inline constexpr auto cFilePageServer = JoinText(ClsidFilePage, u"\\InprocServer32");
}  // namespace reg_detail

// Kind of a registry value row; the numbers are the Windows value types.
// 2 is deliberately no member: any other kind makes the registration fail.
enum TRegKind : std::uint32_t { rkNone = 0, rkString = 1, rkBinary = 3, rkDWord = 4 };

struct TRegBase {
  int rbFirst;               // first RegSubKeys row
  int rbLast;                // last RegSubKeys row, inclusive
  const char16_t* rbKeyPat;  // key path under HKEY_LOCAL_MACHINE
};

struct TRegSubKey {
  int skFirst;               // first RegValues row
  int skLast;                // last RegValues row, inclusive
  const char16_t* skSubPat;  // path relative to the base key
};

struct TRegValue {
  TRegKind rvKind;
  int rvValId;               // data id for the value composer; -1: only the key is created
  bool rvOnUpd;              // also written by an update installation
  const char16_t* rvValNam;  // empty: the key's default value
};

inline constexpr std::array<TRegBase, 12> RegBases{{
    {0, 10, u"SOFTWARE\\Classes"},
    {11, 12, u"SOFTWARE\\Classes\\CLSID"},
    {13, 14, u"SOFTWARE\\Classes\\CLSID"},
    {15, 16, u"SOFTWARE\\Classes\\CLSID"},
    {17, 18, u"SOFTWARE\\Classes\\CLSID"},
    {19, 19, u"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers"},
    {19, 19, u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers"},
    {19, 19, u"SOFTWARE\\Classes\\Drive\\shellex\\ContextMenuHandlers"},
    {20, 20, u"SOFTWARE\\Classes\\*\\shellex\\PropertySheetHandlers"},
    {21, 21, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths"},
    {22, 22, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {23, 23, u"SOFTWARE"},
}};

inline constexpr std::array<TRegSubKey, 24> RegSubKeys{{
    {0, 0, u"Corvalin.HashFileExt"},
    {1, 1, u"Corvalin.HashFileExt\\DefaultIcon"},
    {2, 2, u"Corvalin.HashFileExt\\Shell"},
    {3, 3, u"Corvalin.HashFileExt\\Shell\\Open"},
    {4, 4, u"Corvalin.HashFileExt\\Shell\\Open\\Command"},
    {5, 5, u"Corvalin.HashFileExt\\shellex"},
    {6, 6, u"Corvalin.HashFileExt\\shellex\\{00021500-0000-0000-C000-000000000046}"},  // IQueryInfo
    {7, 7, u"Corvalin.HashFileExt\\shellex\\ContextMenuHandlers"},
    {8, 8, u"Corvalin.HashFileExt\\shellex\\ContextMenuHandlers\\Corvalin"},
    {9, 9, u"Corvalin.HashFileExt\\shellex\\PropertySheetHandlers"},
    {10, 10, u"Corvalin.HashFileExt\\shellex\\PropertySheetHandlers\\Corvalin"},
    {11, 11, ClsidContextMenu},
    {12, 13, reg_detail::cCtxMenuServer.data()},
    {11, 11, ClsidInfoTip},
    {12, 13, reg_detail::cInfoTipServer.data()},
    {11, 11, ClsidHashSheet},
    {12, 13, reg_detail::cHashSheetServer.data()},
    {11, 11, ClsidFilePage},
    {12, 13, reg_detail::cFilePageServer.data()},
    {14, 14, u"Corvalin"},
    {15, 15, u"CorvalinHashPage"},
    {16, 16, u"Corvalin.exe"},
    {17, 32, u"Corvalin"},
    {33, 33, u"Corvalin"},
}};

inline constexpr std::array<TRegValue, 34> RegValues{{
    {rkString, 0, true, u""},
    {rkString, 1, true, u""},
    {rkString, -1, true, u""},
    {rkString, -1, true, u""},
    {rkString, 4, true, u""},
    {rkString, -1, true, u""},
    {rkString, 6, false, u""},  // handler assignments (false) survive an update
    {rkString, -1, true, u""},
    {rkString, 8, false, u""},
    {rkString, -1, true, u""},
    {rkString, 10, false, u""},
    {rkString, 11, true, u""},
    {rkString, 12, true, u""},
    {rkString, 13, true, u"ThreadingModel"},
    {rkString, 14, false, u""},
    {rkString, 15, false, u""},
    {rkString, 16, true, u""},
    {rkString, 17, true, u"DisplayIcon"},
    {rkString, 18, true, u"DisplayName"},
    {rkString, 19, true, u"DisplayVersion"},
    {rkString, 20, true, u"HelpLink"},
    {rkString, 21, true, u"InstallDate"},
    {rkString, 22, true, u"InstallLocation"},
    {rkString, 23, true, u"Publisher"},
    {rkString, 24, true, u"UninstallString"},
    {rkString, 25, true, u"QuietUninstallString"},  // for unattended removal by deployment tools
    {rkDWord, 26, true, u"EstimatedSize"},
    {rkDWord, 27, true, u"Language"},
    {rkDWord, 28, true, u"NoModify"},
    {rkDWord, 29, true, u"NoRepair"},
    {rkDWord, 30, true, u"Version"},
    {rkDWord, 31, true, u"VersionMajor"},
    {rkDWord, 32, true, u"VersionMinor"},
    {rkDWord, 33, true, u"SetupVersion"},
}};

// Rows that the reader of an earlier installation shares with the registration.
inline constexpr int cRegBaseUninstall = 10;     // with cRegSubUninstall: the uninstall entry
inline constexpr int cRegSubUninstall = 22;
inline constexpr int cRegValInstallLocation = 22;
inline constexpr int cRegValUninstallString = 24;
inline constexpr int cRegValVersion = 30;
inline constexpr int cRegValDisplayVersion = 19;

// The product's own key (HKLM\SOFTWARE\Corvalin), which also carries the
// mark of an installation that has not completed yet.
inline constexpr int cRegBaseProduct = 11;
inline constexpr int cRegSubProduct = 23;
inline ustring ProductKey() {
  return ustring(RegBases[static_cast<std::size_t>(cRegBaseProduct)].rbKeyPat) + u"\\" +
         RegSubKeys[static_cast<std::size_t>(cRegSubProduct)].skSubPat;
}

// The uninstall entry's key path below HKEY_LOCAL_MACHINE.
inline ustring UninstallEntryKey() {
  return ustring(RegBases[static_cast<std::size_t>(cRegBaseUninstall)].rbKeyPat) + u"\\" +
         RegSubKeys[static_cast<std::size_t>(cRegSubUninstall)].skSubPat;
}

namespace reg_detail {
// Every range has first <= last and lies inside a table of `size` rows.
template <typename Row, std::size_t N>
constexpr bool RangesInside(const std::array<Row, N>& rows, int Row::*first, int Row::*last, std::size_t size) {
  for (const Row& row : rows)
    if (row.*first < 0 || row.*first > row.*last || static_cast<std::size_t>(row.*last) >= size) return false;
  return true;
}
constexpr bool ValueIdsValid() {
  for (std::size_t i = 0; i < RegValues.size(); ++i)
    if (RegValues[i].rvValId != -1 && RegValues[i].rvValId != static_cast<int>(i)) return false;
  return true;
}
}  // namespace reg_detail

static_assert(reg_detail::RangesInside(RegBases, &TRegBase::rbFirst, &TRegBase::rbLast, RegSubKeys.size()));
static_assert(reg_detail::RangesInside(RegSubKeys, &TRegSubKey::skFirst, &TRegSubKey::skLast, RegValues.size()));
static_assert(reg_detail::ValueIdsValid(), "a value's data id is -1 or its own row");
