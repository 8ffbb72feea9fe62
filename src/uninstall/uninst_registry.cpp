// Removal of the registration. The registration tables are walked backwards
// so that a key's sub-keys go before it; values go by the names the tables
// give them, whatever data they hold now, because an update leaves the
// handler assignments as the first installation wrote them.
#include "uninstall/uninst_registry.h"

#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/registry_tables.h"
#include "common/utils.h"
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

bool InstalledIn(const ustring& folder) {
  const TRegBase& base = RegBases[static_cast<std::size_t>(cRegBaseUninstall)];
  const ustring entry = ustring(base.rbKeyPat) + u"\\" + RegSubKeys[static_cast<std::size_t>(cRegSubUninstall)].skSubPat;
  ustring location;
  if (!ReadRootString(cHkeyLocalMachine, entry,
                      RegValues[static_cast<std::size_t>(cRegValInstallLocation)].rvValNam, location))
    return false;
  return !location.empty() && LowerAscii(AddBackslash(location)) == LowerAscii(AddBackslash(folder));
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
  RemoveTableKey(base, RegSubKeys[static_cast<std::size_t>(cRegSubUninstall)], report);
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
  // The list itself is the system's; it goes only when the setup made it and
  // nothing else is in it (a bare system has none before the installation).
  RemoveValue(software + u"\\" + CapKeys[3], cProductName, report);
  RemoveKey(software + u"\\" + CapKeys[3], report);

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
