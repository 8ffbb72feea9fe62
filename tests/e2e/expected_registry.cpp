#include "e2e/expected_registry.h"

#include <cwchar>

#include "catalogue/identity.h"
#include "catalogue/registry_tables.h"

namespace e2e {

namespace {
std::wstring W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
const std::wstring kClasses = L"SOFTWARE\\Classes\\";
const std::wstring kProg = kClasses + L"Corvalin.HashFileExt";
const std::wstring kClsid = kClasses + L"CLSID\\";
const std::wstring kUninst = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
}  // namespace

std::vector<std::wstring> ExpectedBareKeys() {
  return {kProg + L"\\Shell", kProg + L"\\Shell\\Open", kProg + L"\\shellex", kProg + L"\\shellex\\ContextMenuHandlers",
          kProg + L"\\shellex\\PropertySheetHandlers"};
}

std::vector<TExpectedValue> ExpectedValues(const std::wstring& f, bool german, const std::wstring& today) {
  const std::wstring q = L"\"";
  const std::wstring menu = W(ClsidContextMenu), tip = W(ClsidInfoTip), sheet = W(ClsidHashSheet), page = W(ClsidFilePage);
  std::vector<TExpectedValue> v = {
      {kProg, L"", REG_SZ, L"Corvalin Hash File", 0, false},
      {kProg + L"\\DefaultIcon", L"", REG_SZ, q + f + L"Corvalin.exe" + q + L",0", 0, false},
      {kProg + L"\\Shell\\Open\\Command", L"", REG_SZ, q + f + L"Corvalin.exe" + q + L" " + q + L"%1" + q, 0, false},
      {kProg + L"\\shellex\\{00021500-0000-0000-C000-000000000046}", L"", REG_SZ, tip, 0, true},
      {kProg + L"\\shellex\\ContextMenuHandlers\\Corvalin", L"", REG_SZ, menu, 0, true},
      {kProg + L"\\shellex\\PropertySheetHandlers\\Corvalin", L"", REG_SZ, sheet, 0, true},
  };
  for (const std::wstring& id : {menu, tip, sheet, page}) {
    v.push_back({kClsid + id, L"", REG_SZ, L"Corvalin", 0, false});
    v.push_back({kClsid + id + L"\\InprocServer32", L"", REG_SZ, q + f + L"cvlnshxt.dll" + q, 0, false});
    v.push_back({kClsid + id + L"\\InprocServer32", L"ThreadingModel", REG_SZ, L"Apartment", 0, false});
  }
  v.push_back({kClasses + L"*\\shellex\\ContextMenuHandlers\\Corvalin", L"", REG_SZ, menu, 0, true});
  v.push_back({kClasses + L"Directory\\shellex\\ContextMenuHandlers\\Corvalin", L"", REG_SZ, menu, 0, true});
  v.push_back({kClasses + L"Drive\\shellex\\ContextMenuHandlers\\Corvalin", L"", REG_SZ, menu, 0, true});
  v.push_back({kClasses + L"*\\shellex\\PropertySheetHandlers\\CorvalinHashPage", L"", REG_SZ, page, 0, true});
  v.push_back({L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Corvalin.exe", L"", REG_SZ,
               f + L"Corvalin.exe", 0, false});
  v.push_back({kUninst, L"DisplayIcon", REG_SZ, f + L"Corvalin.exe,0", 0, false});
  v.push_back({kUninst, L"DisplayName", REG_SZ, L"Corvalin v10.01 KQ x64", 0, false});
  v.push_back({kUninst, L"DisplayVersion", REG_SZ, L"10.01 KQ", 0, false});
  v.push_back({kUninst, L"HelpLink", REG_SZ, W(cWebAddress), 0, false});
  v.push_back({kUninst, L"InstallDate", REG_SZ, today, 0, false});
  v.push_back({kUninst, L"InstallLocation", REG_SZ, f, 0, false});
  v.push_back({kUninst, L"Publisher", REG_SZ, W(cPublisher), 0, false});
  v.push_back({kUninst, L"UninstallString", REG_SZ, f + L"Uninstall.exe" + (german ? L" /l:1" : L""), 0, false});
  v.push_back({kUninst, L"QuietUninstallString", REG_SZ,
               L"\"" + f + L"Uninstall.exe\" /S:1" + (german ? L" /l:1" : L""), 0, false});
  v.push_back({kUninst, L"Language", REG_DWORD, L"", 1033, false});
  v.push_back({kUninst, L"NoModify", REG_DWORD, L"", 1, false});
  v.push_back({kUninst, L"NoRepair", REG_DWORD, L"", 1, false});
  v.push_back({kUninst, L"Version", REG_DWORD, L"", 0x0A012711, false});
  v.push_back({kUninst, L"VersionMajor", REG_DWORD, L"", 10, false});
  v.push_back({kUninst, L"VersionMinor", REG_DWORD, L"", 1, false});
  v.push_back({L"SOFTWARE\\Corvalin", L"SetupVersion", REG_DWORD, L"", 0x0A010140, false});
  return v;
}

std::wstring UtcToday() {
  SYSTEMTIME st;
  ::GetSystemTime(&st);
  wchar_t text[16];
  std::swprintf(text, 16, L"%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
  return text;
}

}  // namespace e2e
