#include "engine/reg_compose.h"

#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/registry_tables.h"
#include "catalogue/version.h"
#include "common/utils.h"

namespace {

constexpr char16_t cQuote = u'"';
// The uninstaller reads the setup language back from this option; English
// is its default, so only German writes it.
constexpr char16_t cLangOption[] = u" /l:";
constexpr char16_t cSilentOption[] = u" /S:1";
constexpr std::uint32_t cLangIdEnglishUS = 1033;

ustring Quoted(const ustring& text) { return cQuote + text + cQuote; }

}  // namespace

ustring ComposeRegText(int dataId, TSuLang lang, const ustring& folder) {
  const ustring f = AddBackslash(folder);
  const ustring mainProgram = f + cMainProgram;
  switch (dataId) {
    case 0: return cFileTypeName;
    case 1: return Quoted(mainProgram) + u",0";
    case 4: return Quoted(mainProgram) + u" " + Quoted(u"%1");
    case 6: return ClsidInfoTip;
    case 8: return ClsidContextMenu;
    case 10: return ClsidHashSheet;
    case 11: return cProductName;
    case 12: return Quoted(f + PayFiles[cPayShellExt].pfFilNam);
    case 13: return u"Apartment";
    case 14: return ClsidContextMenu;
    case 15: return ClsidFilePage;
    case 16: return mainProgram;
    case 17: return mainProgram + u",0";
    case 18: return ComposeDisplayName();
    case 19: return ComposeDisplayVersion(cVerMajor, cVerMinor);
    case 20: return cWebAddress;
    case 21: return UtcDateStamp();
    case 22: return f;
    case 23: return cPublisher;
    case 24: {
      ustring command = f + PayFiles[cPayUninstaller].pfFilNam;
      if (lang == cLangGerman) command += cLangOption + DecOfInt(lang);
      return command;
    }
    case 25: {
      // Quoted, unlike the plain command: deployment tools run it as it stands.
      ustring command = Quoted(f + PayFiles[cPayUninstaller].pfFilNam) + cSilentOption;
      if (lang == cLangGerman) command += cLangOption + DecOfInt(lang);
      return command;
    }
    default: return u"";
  }
}

std::uint32_t ComposeRegNumber(int dataId, std::int64_t totalSize) {
  switch (dataId) {
    case 26:
      // Shift the whole 64-bit size before cutting it to 32 bits: cutting
      // first would report a 5 GiB installation as 1 GiB.
      return totalSize <= 0 ? 0u : static_cast<std::uint32_t>(static_cast<std::uint64_t>(totalSize) >> 10);
    case 27: return cLangIdEnglishUS;
    case 28: return 1;
    case 29: return 1;
    case 30: return cVersionDword;
    case 31: return static_cast<std::uint32_t>(cVerMajor);
    case 32: return static_cast<std::uint32_t>(cVerMinor);
    case 33: return cSetupVersionDword;
    default: return 0;
  }
}
