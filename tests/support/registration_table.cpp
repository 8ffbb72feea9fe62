#include "support/registration_table.h"

#include "catalogue/identity.h"
#include "catalogue/registry_tables.h"

namespace {

const ustring kType = u"SOFTWARE\\Classes\\Corvalin.HashFileExt";
const ustring kClsid = u"SOFTWARE\\Classes\\CLSID\\";
const ustring kUninst = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

TRegRow Sz(const ustring& key, const ustring& name, const ustring& text, bool newOnly = false) {
  return {key, name, kSz, text, 0, newOnly};
}
TRegRow Dw(const ustring& key, const ustring& name, std::uint32_t number) {
  return {key, name, kDword, u"", number, false};
}
TRegRow KeyOnly(const ustring& key) { return {key, u"", kKeyOnly, u"", 0, false}; }

}  // namespace

std::vector<TRegRow> RegistrationRows(const ustring& f, std::int64_t total, const ustring& date,
                                      const ustring& uninstallString) {
  const ustring server = u"\\InprocServer32";
  const ustring library = u"\"" + f + u"cvlnshxt.dll\"";
  // The quiet command carries the same language option after " /S:1".
  const ustring german = u" /l:1";
  const bool isGerman = uninstallString.size() >= german.size() &&
                        uninstallString.compare(uninstallString.size() - german.size(), german.size(), german) == 0;
  const ustring quietString = u"\"" + f + u"Uninstall.exe\" /S:1" + (isGerman ? german : u"");
  std::vector<TRegRow> rows{
      Sz(kType, u"", u"Corvalin Hash File"),
      Sz(kType + u"\\DefaultIcon", u"", u"\"" + f + u"Corvalin.exe\",0"),
      KeyOnly(kType + u"\\Shell"),
      KeyOnly(kType + u"\\Shell\\Open"),
      Sz(kType + u"\\Shell\\Open\\Command", u"", u"\"" + f + u"Corvalin.exe\" \"%1\""),
      KeyOnly(kType + u"\\shellex"),
      Sz(kType + u"\\shellex\\{00021500-0000-0000-C000-000000000046}", u"", ClsidInfoTip, true),
      KeyOnly(kType + u"\\shellex\\ContextMenuHandlers"),
      Sz(kType + u"\\shellex\\ContextMenuHandlers\\Corvalin", u"", ClsidContextMenu, true),
      KeyOnly(kType + u"\\shellex\\PropertySheetHandlers"),
      Sz(kType + u"\\shellex\\PropertySheetHandlers\\Corvalin", u"", ClsidHashSheet, true),
  };
  for (const char16_t* id : {ClsidContextMenu, ClsidInfoTip, ClsidHashSheet, ClsidFilePage}) {
    rows.push_back(Sz(kClsid + id, u"", u"Corvalin"));
    rows.push_back(Sz(kClsid + id + server, u"", library));
    rows.push_back(Sz(kClsid + id + server, u"ThreadingModel", u"Apartment"));
  }
  const std::vector<TRegRow> rest{
      Sz(u"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers\\Corvalin", u"", ClsidContextMenu, true),
      Sz(u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers\\Corvalin", u"", ClsidContextMenu, true),
      Sz(u"SOFTWARE\\Classes\\Drive\\shellex\\ContextMenuHandlers\\Corvalin", u"", ClsidContextMenu, true),
      Sz(u"SOFTWARE\\Classes\\*\\shellex\\PropertySheetHandlers\\CorvalinHashPage", u"", ClsidFilePage, true),
      Sz(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Corvalin.exe", u"", f + u"Corvalin.exe"),
      Sz(kUninst, u"DisplayIcon", f + u"Corvalin.exe,0"),
      Sz(kUninst, u"DisplayName", u"Corvalin v10.01 KQ x64"),
      Sz(kUninst, u"DisplayVersion", u"10.01 KQ"),
      Sz(kUninst, u"HelpLink", cWebAddress),
      Sz(kUninst, u"InstallDate", date),
      Sz(kUninst, u"InstallLocation", f),
      Sz(kUninst, u"Publisher", cPublisher),
      Sz(kUninst, u"UninstallString", uninstallString),
      Sz(kUninst, u"QuietUninstallString", quietString),
      Dw(kUninst, u"EstimatedSize", static_cast<std::uint32_t>(total / 1024)),
      Dw(kUninst, u"Language", 1033),
      Dw(kUninst, u"NoModify", 1),
      Dw(kUninst, u"NoRepair", 1),
      Dw(kUninst, u"Version", 0x0A012711),
      Dw(kUninst, u"VersionMajor", 10),
      Dw(kUninst, u"VersionMinor", 1),
      Dw(u"SOFTWARE\\Corvalin", u"SetupVersion", 0x0A010140),
  };
  rows.insert(rows.end(), rest.begin(), rest.end());
  return rows;
}
