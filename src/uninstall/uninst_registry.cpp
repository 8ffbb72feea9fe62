// Removal of the registration. The registration tables are walked backwards
// so that a key's sub-keys go before it; values go by the names the tables
// give them, whatever data they hold now, because an update leaves the
// handler assignments as the first installation wrote them.
#include "uninstall/uninst_registry.h"

#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/registry_tables.h"
#include "common/utils.h"
#include "engine/unfinished_mark.h"
#include "platform/platform.h"
#include "shell/reg_tools.h"
#include "shell/win_shl_to.h"

namespace {

constexpr char16_t cSoftware[] = u"SOFTWARE";
constexpr char16_t cClasses[] = u"SOFTWARE\\Classes";
constexpr char16_t cOpenWith[] = u"\\OpenWithProgIds";

ustring Describe(const ustring& key, const ustring& value) {
  ustring text = u"HKLM\\" + key;
  if (!value.empty()) text += u" : " + value;
  return text;
}

void RemoveValue(const ustring& key, const ustring& name, TUnReport& report) {
  report.Note(DeleteRegValue(cHkeyLocalMachine, key, name), Describe(key, name.empty() ? u"(default)" : name));
}

void RemoveKey(const ustring& key, TUnReport& report) {
  report.Note(DeleteRegKeyIfEmpty(cHkeyLocalMachine, key), Describe(key, u""));
}

// One subkey row below one base row: its values, then the key.
void RemoveTableKey(const TRegBase& base, const TRegSubKey& sub, TUnReport& report) {
  const ustring key = ustring(base.rbKeyPat) + u"\\" + sub.skSubPat;
  for (int k = sub.skFirst; k <= sub.skLast; ++k) {
    const TRegValue& row = RegValues[static_cast<std::size_t>(k)];
    if (row.rvValId != -1) RemoveValue(key, row.rvValNam, report);
  }
  RemoveKey(key, report);
}

bool IsUninstallEntry(std::size_t base, int sub) {
  return base == static_cast<std::size_t>(cRegBaseUninstall) && sub == cRegSubUninstall;
}

}  // namespace

TInstalled InstalledIn(const ustring& folder) {
  const ustring entry = UninstallEntryKey();
  const ustring name = RegValues[static_cast<std::size_t>(cRegValInstallLocation)].rvValNam;
  // A missing entry or value means "not installed"; any other failure means
  // that we can't tell, which must not pass for "not installed".
  // An installation that did not complete may have no entry yet, or one
  // that lacks the folder: its note names the folder instead.
  const auto withoutEntry = [&] { return UnfinishedIn(folder) ? TInstalled::Here : TInstalled::NotHere; };
  TRegKey key;
  const std::uint32_t opened = Os().RegOpenKeyExW(cHkeyLocalMachine, AddBackslash(entry), 0, cKeyQueryValue, key.Out());
  if (opened == cErrFileNotFound) return withoutEntry();
  if (opened != cErrSuccess) return TInstalled::Unknown;
  std::uint32_t type = 0, size = 0;
  const std::uint32_t asked = Os().RegQueryValueExW(key.Get(), name, &type, nullptr, &size);
  if (asked == cErrFileNotFound) return withoutEntry();
  ustring location;
  if (asked != cErrSuccess || !ReadString(key.Get(), name, location))
    return TInstalled::Unknown;
  // The folder as the file system finds it: a path that differs only in
  // letter case, beyond ASCII too, is the same folder.
  const bool here = !location.empty() && Os().SameNameIgnoringCase(AddBackslash(location), AddBackslash(folder));
  return here || UnfinishedIn(folder) ? TInstalled::Here : TInstalled::NotHere;
}

void RemoveRegTables(TUnReport& report) {
  for (std::size_t i = RegBases.size(); i-- > 0;) {
    const TRegBase& base = RegBases[i];
    for (int j = base.rbLast; j >= base.rbFirst; --j) {
      if (IsUninstallEntry(i, j)) continue;
      RemoveTableKey(base, RegSubKeys[static_cast<std::size_t>(j)], report);
    }
  }
}

void RemoveUninstallEntry(TUnReport& report) {
  const TRegBase& base = RegBases[static_cast<std::size_t>(cRegBaseUninstall)];
  const TRegSubKey& sub = RegSubKeys[static_cast<std::size_t>(cRegSubUninstall)];
  const ustring key = ustring(base.rbKeyPat) + u"\\" + sub.skSubPat;
  // The note of an unfinished installation first, with the product's key it
  // kept: a failure leaves the entry for another run.
  report.Note(ClearUnfinishedWithKey(), Describe(ProductKey(), cUnfinishedValue));
  if (!report.Clean()) return;
  // The folder goes last, with the key: a run ended before that finds the
  // installation again by it, one ended after finds the entry gone.
  const ustring location = RegValues[static_cast<std::size_t>(cRegValInstallLocation)].rvValNam;
  for (int k = sub.skFirst; k <= sub.skLast; ++k) {
    const TRegValue& row = RegValues[static_cast<std::size_t>(k)];
    if (row.rvValId != -1 && row.rvValNam != location) RemoveValue(key, row.rvValNam, report);
  }
  const TRemoval last = DeleteRegKeyWithLast(cHkeyLocalMachine, key, location);
  report.Note(last, Describe(key, location));
  if (last == TRemoval::Kept) RemoveKey(key, report);  // something else is in it: it stays
}

void RemoveAssociations(TUnReport& report) {
  const ustring software = cSoftware;
  // Default programs: the capabilities (deepest first) and the application's
  // entry in the list of registered applications; CapKeys[0] itself is the
  // product key of the tables, removed with them.
  const ustring fileAssocs = software + u"\\" + CapKeys[2];
  for (const char16_t* ext : HashExts) RemoveValue(fileAssocs, ext, report);
  RemoveKey(fileAssocs, report);
  const ustring capabilities = software + u"\\" + CapKeys[1];
  RemoveValue(capabilities, u"ApplicationDescription", report);
  RemoveValue(capabilities, u"ApplicationName", report);
  RemoveKey(capabilities, report);
  // The list itself is the system's: only the product's entry goes.
  RemoveValue(software + u"\\" + CapKeys[3], cProductName, report);

  // The extensions: only what still is ours. A default value that another
  // program took over since stays with it.
  for (const char16_t* ext : HashExts) {
    const ustring extKey = ustring(cClasses) + u"\\" + ext;
    RemoveValue(extKey + cOpenWith, cProgId, report);
    RemoveKey(extKey + cOpenWith, report);
    report.Note(DeleteRegTextIf(cHkeyLocalMachine, extKey, u"", cProgId), Describe(extKey, u"(default)"));
    RemoveKey(extKey, report);
  }
  NotifyAssocChanged();
}
